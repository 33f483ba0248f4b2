// The one seam between the two builds: the Windows services the modules and the panel host
// call, by their Windows names. The Windows build takes them from Windows itself; the native
// build takes them from this folder's stand-ins, which give the same meaning.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
#else
#include "native/win_types.h"
#include "native/win_resources.h"
#include "native/win_loader.h"
#include "native/win_sharedmem.h"
#include "native/win_sound.h"
#endif
