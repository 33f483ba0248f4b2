// The sound path as a test library: stands in for a sound module's frame (the module handle)
// and defines the cache the player uses, with a guard after it that must never change.
#include "sound_harness.h"

#include "frame/frame.h"

namespace frame {
constinit ModuleInstance moduleInstance = nullptr;
}

namespace {
struct GuardedEntries {
    SoundCacheEntries<harnessCacheCapacity> entries;
    uintptr_t guard[2];
};
constinit GuardedEntries guarded{{}, {harnessGuardWord, harnessGuardWord}};

void useModule(void* module) { frame::moduleInstance = module; }

constinit const SoundHarness harness{
    useModule,        playSound,        &soundStatus,     &soundCache,       guarded.guard,
    parseWaveImage,   findWaveResource, copyWaveToBuffer, createWaveBuffer, refillWaveBuffer,
};
}  // namespace

constinit SoundCache soundCache = soundCacheOver(guarded.entries);

extern "C" __attribute__((visibility("default"))) const SoundHarness* soundHarness() { return &harness; }
