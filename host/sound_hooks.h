// What the host can learn about the sounds a module starts. The native sound stand-in keeps
// a log of every sound started; under Windows the module talks to DirectSound directly and
// the host sees nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win.h"

namespace soundhooks {

struct SoundStart {
    uint32_t id;  // the module's WAVE resource id
    // The sound itself, for mixing a run into a WAV file.
    uint32_t samplesPerSecond = 0;
    uint16_t channels = 0;
    uint16_t bitsPerSample = 0;
    std::vector<uint8_t> samples;
};

// The next sound started that has not been reported yet.
bool nextSoundStart(SoundStart& out);

// Whether this build can see sounds at all.
bool available();

}  // namespace soundhooks
