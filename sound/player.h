// The sound player of the sound modules: playSound starts one of the module's own WAVE sounds
// from its beginning, opening the sound device on the first call and making each sound's
// buffer the first time it is asked for. Uses the frame's module handle and the platform seam.
//
// Each sound module keeps its own cache of buffers, sized for the sounds it carries, and
// defines it once in one of its own files:
//
//     constinit SoundCacheEntries<8> soundCacheEntries{};
//     constinit SoundCache soundCache = soundCacheOver(soundCacheEntries);
//
// The capacity is the array size itself, so the player can never write past it.
#pragma once

#include <cstdint>

#include "platform/win.h"

// Plays sound `id` (the cache compares all 32 bits; the resource is looked up by the low 16).
// 0 when the sound started; otherwise a failure code or the failing DirectSound result, the
// same value soundStatus then holds. Callers ignore it.
int32_t playSound(int32_t id);

// Last status of the sound path, 0 at load; every playSound call ends by writing it.
extern int32_t soundStatus;

// Entries 0 to count - 1 are valid, in the order their buffers were first made; an entry is
// never removed or replaced.
struct SoundCache {
    int32_t* ids;
    IDirectSoundBuffer** buffers;
    uint32_t capacity;
    uint32_t count;
};

template <uint32_t N>
struct SoundCacheEntries {
    int32_t ids[N];
    IDirectSoundBuffer* buffers[N];
};

template <uint32_t N>
constexpr SoundCache soundCacheOver(SoundCacheEntries<N>& entries) {
    return SoundCache{entries.ids, entries.buffers, N, 0};
}

// Defined by each sound module, as above.
extern SoundCache soundCache;
