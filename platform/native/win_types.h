// The Windows types the modules and the host use, as the native stand-ins define them.
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using HRESULT = int32_t;
using UINT = unsigned int;
using LPVOID = void*;
using LPCVOID = const void*;
using LPSTR = char*;
using LPCSTR = const char*;
using HANDLE = void*;
using HMODULE = void*;
using HINSTANCE = void*;
using HGLOBAL = void*;
using HWND = void*;
using ULONG_PTR = uintptr_t;
using SIZE_T = uintptr_t;
using FARPROC = void (*)();

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define WINAPI
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(p) ((reinterpret_cast<ULONG_PTR>(p) >> 16) == 0)
#define RT_BITMAP MAKEINTRESOURCEA(2)

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_ACCESS_DENIED = 5;

extern "C" DWORD GetLastError();
extern "C" void SetLastError(DWORD error);
