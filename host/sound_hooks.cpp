// Sound observation: only the native stand-in can report what started.
#include "sound_hooks.h"

namespace soundhooks {

bool nextSoundStart(HMODULE, SoundStart&) { return false; }
void reset() {}

}  // namespace soundhooks
