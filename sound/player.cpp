// The sound player: lazy device creation, the module's cache of one buffer per sound, the
// rewind-and-play, and the recovery of a buffer whose memory was lost.
// Uses the WAVE reader and the platform seam only.
#include "sound/player.h"

#include "sound/wave.h"

constinit int32_t soundStatus = 0;

namespace {
// Cleared by the first call before the device is made, so creation is tried once per load.
constinit int32_t firstCall = 1;
constinit IDirectSound* device = nullptr;

constexpr int32_t cooperativeLevelRefused = -1;
constexpr int32_t playFailed = -3;
constexpr int32_t noDevice = -4;
constexpr int32_t noBuffer = -5;

int32_t finish(int32_t status) {
    soundStatus = status;
    return status;
}

IDirectSoundBuffer* cachedBuffer(int32_t id) {
    for (uint32_t i = 0; i < soundCache.count; ++i)
        if (soundCache.ids[i] == id) return soundCache.buffers[i];
    return nullptr;
}

HRESULT rewindAndPlay(IDirectSoundBuffer* buffer) {
    // Back to the start first, so a sound still playing from an earlier click starts again.
    buffer->SetCurrentPosition(0);
    return buffer->Play(0, 0, 0);
}
}  // namespace

int32_t playSound(int32_t id) {
    if (firstCall) {
        firstCall = 0;
        HRESULT created = DirectSoundCreate(nullptr, &device, nullptr);
        if (created != DS_OK) {
            device = nullptr;
            return finish(created);
        }
        HRESULT level = device->SetCooperativeLevel(GetForegroundWindow(), DSSCL_NORMAL);
        if (level != DS_OK) {
            // The device stays: later calls play through it.
            soundStatus = cooperativeLevelRefused;
            return level;
        }
    } else if (!device) {
        return finish(noDevice);
    }

    IDirectSoundBuffer* buffer = cachedBuffer(id);
    if (!buffer) {
        // A new id with every entry taken is refused before a buffer is made: such a buffer
        // could be neither kept nor released while it plays, so every click would leak one.
        // The modules carry no more sounds than their capacity, so this does not happen.
        if (soundCache.count >= soundCache.capacity) return finish(noBuffer);
        buffer = createWaveBuffer(device, uint16_t(id & 0xFFFF));
        if (!buffer) return finish(noBuffer);
        soundCache.ids[soundCache.count] = id;
        soundCache.buffers[soundCache.count] = buffer;
        ++soundCache.count;
    }

    HRESULT played = rewindAndPlay(buffer);
    soundStatus = played;
    if (played == DSERR_BUFFERLOST) {
        HRESULT restored = buffer->Restore();
        if (restored == DS_OK) {
            // A refill that fails leaves nothing playing, so it ends like any other failed
            // play, with the buffer-lost result, instead of reporting a sound as started.
            if (!refillWaveBuffer(buffer, uint16_t(id & 0xFFFF))) {
                soundStatus = playFailed;
                return played;
            }
            restored = rewindAndPlay(buffer);
        }
        return finish(restored);
    }
    if (played != DS_OK) {
        soundStatus = playFailed;
        return played;
    }
    return 0;
}
