// The sound path built as a library of its own for the tests: the reader and player exactly as
// the sound modules compile them, with a cache of harnessCacheCapacity entries followed by a
// guard. Loading it afresh gives a player in its load state (first call pending, no device,
// empty cache, status 0), as a freshly loaded module has.
#pragma once

#include <cstdint>

#include "sound/player.h"
#include "sound/wave.h"

constexpr uint32_t harnessCacheCapacity = 3;
constexpr uintptr_t harnessGuardWord = 0x5AFE5AFE;

struct SoundHarness {
    void (*useModule)(void* module);  // the module handle the reader searches
    int32_t (*playSound)(int32_t id);
    int32_t* soundStatus;
    SoundCache* cache;
    const uintptr_t* guard;  // two words right after the cache entries
    decltype(&::parseWaveImage) parseWaveImage;
    decltype(&::findWaveResource) findWaveResource;
    decltype(&::copyWaveToBuffer) copyWaveToBuffer;
    decltype(&::createWaveBuffer) createWaveBuffer;
    decltype(&::refillWaveBuffer) refillWaveBuffer;
};

extern "C" const SoundHarness* soundHarness();
