// Named shared memory with the meaning of the Windows file-mapping functions: page-file
// backed objects known by name to every module of the process, and views of them.
#pragma once

#include "win_types.h"

using LPSECURITY_ATTRIBUTES = void*;

constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD PAGE_READWRITE = 0x04;
constexpr DWORD FILE_MAP_WRITE = 0x0002;
constexpr DWORD FILE_MAP_READ = 0x0004;
constexpr DWORD FILE_MAP_ALL_ACCESS = 0xF001F;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_MAPPED_ALIGNMENT = 1132;

extern "C" {
// Only page-file backing (file INVALID_HANDLE_VALUE) is offered. A name already in use gives
// the existing object, at its own size, with ERROR_ALREADY_EXISTS; a new object is
// zero-filled and leaves the last error 0. Objects live until the process ends.
HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCSTR name);
// Each call maps a view of its own at an address of its own; all views of one object show
// the same bytes. A byte count of 0 maps the object to its end.
LPVOID MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
BOOL UnmapViewOfFile(LPCVOID baseAddress);
}
