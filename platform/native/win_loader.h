// Loading a module as Windows does: map it, call its entry routine with its instance handle
// and the attach reason, and find exported symbols by name.
#pragma once

#include "win_types.h"

extern "C" {
HMODULE LoadLibraryA(LPCSTR path);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
}
