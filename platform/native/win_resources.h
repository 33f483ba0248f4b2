// Resource look-up by module handle, integer name and type, with the meaning of the Windows
// functions of the same names. Bitmap resources hold the bitmap without its file header, as
// the Windows resource compiler stores them.
#pragma once

#include "win_types.h"

struct NativeResource;
using HRSRC = const NativeResource*;

extern "C" {
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL loaded);
DWORD SizeofResource(HMODULE module, HRSRC resource);
}
