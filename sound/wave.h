// The WAVE resource reader and sound buffer creation of the sound modules: finds one of the
// module's own "WAVE" resources by id, walks its RIFF chunks for the format record and the
// samples, and makes or refills a static DirectSound buffer holding them. Failures are
// reported by the result and by soundStatus (sound/player.h). Uses the frame's module handle
// and the platform seam only.
#pragma once

#include <cstdint>

#include "platform/win.h"

// Walks the RIFF chunks of the WAVE image of `imageSize` bytes for the wanted outputs (a null
// output is not wanted): the address of the first "fmt " chunk's contents, and the address
// and length of the first "data" chunk's contents. Returns true when every wanted output was
// found. The walk stops at the chunk that completes the wanted set and never reads past it.
// A chunk whose header or contents would reach past the end of the image fails the walk.
bool parseWaveImage(const void* image, uint32_t imageSize, const WAVEFORMATEX** format, const void** samples,
                    uint32_t* length);

// Finds, loads and locks the "WAVE" resource `id` of `module` and parses it. On failure sets
// soundStatus to 4 (no such resource), 3 (cannot be loaded), 1 (cannot be locked) or
// 2 (not a usable WAVE image) and returns false; success leaves soundStatus alone.
bool findWaveResource(HMODULE module, uint16_t id, const WAVEFORMATEX** format, const void** samples,
                      uint32_t* length);

// Copies the `length` sample bytes into the buffer from its start. False, with soundStatus
// untouched, when there is no buffer, no data, no length or the buffer cannot be locked.
bool copyWaveToBuffer(IDirectSoundBuffer* buffer, const void* samples, uint32_t length);

// A new static buffer holding sound `id` of this module, or null. On failure soundStatus is
// the reader's code + 10, or its previous value + 20 (buffer refused) or + 30 (samples not
// copied; the new buffer is released).
IDirectSoundBuffer* createWaveBuffer(IDirectSound* device, uint16_t id);

// Restores a buffer whose memory was lost and writes sound `id`'s samples into it again.
bool refillWaveBuffer(IDirectSoundBuffer* buffer, uint16_t id);
