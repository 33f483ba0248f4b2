// What the host can learn about the sounds a module starts. The native sound stand-in keeps
// a log of every sound started; under Windows the module talks to DirectSound directly and
// the host sees nothing.
#pragma once

#include <cstdint>

#include "platform/win.h"

namespace soundhooks {

struct SoundStart {
    uint32_t id;  // the module's WAVE resource id
};

// The next sound `module` started that has not been reported yet.
bool nextSoundStart(HMODULE module, SoundStart& out);

// Clears the log (a new run).
void reset();

}  // namespace soundhooks
