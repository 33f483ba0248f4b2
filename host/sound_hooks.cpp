// Sound observation: only the native stand-in can report what started (its play log).
#include "sound_hooks.h"

#if !defined(_WIN32)
#include <algorithm>

#include "sound_control.h"
#endif

namespace soundhooks {

#if defined(_WIN32)
bool nextSoundStart(SoundStart&) { return false; }
bool available() { return false; }
#else
namespace {
uint32_t reported = 0;
}

bool nextSoundStart(SoundStart& out) {
    uint32_t count = platformSoundPlayCount();
    if (reported > count) reported = 0;  // the log was reset
    // Plays the log no longer keeps are passed over: a host that did not look for a long
    // time hears the latest ones.
    reported = std::max(reported, platformSoundFirstKept());
    PlatformSoundPlay play;
    if (reported >= count || !platformSoundPlayAt(reported, &play)) return false;
    ++reported;
    out.id = uint32_t(play.soundId);
    out.samplesPerSecond = play.format.nSamplesPerSec;
    out.channels = play.format.nChannels;
    out.bitsPerSample = play.format.wBitsPerSample;
    out.samples.assign(play.samples, play.samples + (play.samples ? play.length : 0));
    return true;
}

bool available() { return true; }
#endif

}  // namespace soundhooks
