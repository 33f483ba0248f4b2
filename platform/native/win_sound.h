// The sound device and buffers with the meaning of DirectSound, and the foreground window.
#pragma once

#include "win_types.h"
