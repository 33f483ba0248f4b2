// The WAVE resource reader and sound buffer creation: the RIFF chunk walk, the resource
// look-up in this module, and the making and refilling of static DirectSound buffers.
// Uses the frame's module handle and the platform seam only.
#include "sound/wave.h"

#include <cstring>

#include "frame/frame.h"
#include "sound/player.h"

namespace {

uint32_t readWord(const uint8_t* at) {
    uint32_t v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

bool sameTag(const uint8_t* at, const char (&tag)[5]) { return std::memcmp(at, tag, 4) == 0; }

// The status codes pile up across the steps of a creation; wrap-around arithmetic keeps the
// sum defined whatever value an earlier DirectSound result left.
void addToStatus(uint32_t n) { soundStatus = int32_t(uint32_t(soundStatus) + n); }

// Static buffer with frequency, pan and volume control, and the newer play-cursor reporting.
constexpr DWORD bufferFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                              DSBCAPS_GETCURRENTPOSITION2;
static_assert(bufferFlags == 0x100E2);

// The first-generation description, the 20-byte record every DirectSound version accepts.
static_assert(sizeof(DSBUFFERDESC1) == 4 * sizeof(DWORD) + sizeof(void*));

// The format record is used where it lies and is never shorter than this: up to and
// including the block alignment.
constexpr uint32_t minimumFormatBytes = 14;

// The module whose resources are searched: the handle the entry routine recorded.
HMODULE thisModule() { return static_cast<HMODULE>(frame::moduleInstance); }

}  // namespace

bool parseWaveImage(const void* image, uint32_t imageSize, const WAVEFORMATEX** format, const void** samples,
                    uint32_t* length) {
    if (format) *format = nullptr;
    if (samples) *samples = nullptr;
    if (length) *length = 0;
    auto* bytes = static_cast<const uint8_t*>(image);
    if (!bytes || imageSize < 12 || !sameTag(bytes, "RIFF") || !sameTag(bytes + 8, "WAVE")) return false;

    // The walk follows the RIFF size, as the files say; the resource's own size only bounds
    // it, so that a size field that lies can never make it read outside the resource.
    const uint64_t end = 8 + uint64_t(readWord(bytes + 4));
    uint64_t position = 12;
    auto stillEmpty = [&] { return (samples && !*samples) || (length && *length == 0); };
    while (position < end) {
        if (position + 8 > imageSize) return false;
        const uint8_t* chunk = bytes + position;
        const uint32_t chunkSize = readWord(chunk + 4);
        const uint64_t contents = position + 8;
        if (contents + chunkSize > imageSize) return false;

        if (sameTag(chunk, "fmt ") && format && !*format) {
            // A short format record fails the whole walk, whatever follows it.
            if (chunkSize < minimumFormatBytes) return false;
            *format = reinterpret_cast<const WAVEFORMATEX*>(bytes + contents);
            if (!stillEmpty()) return true;
        } else if (sameTag(chunk, "data") && stillEmpty()) {
            // A data chunk of length 0 leaves the length empty, so a later one still counts.
            if (samples) *samples = bytes + contents;
            if (length) *length = chunkSize;
            if (!format || *format) return true;
        }
        // Chunks are padded to an even size.
        position = contents + ((uint64_t(chunkSize) + 1) & ~uint64_t(1));
    }
    return false;
}

bool findWaveResource(HMODULE module, uint16_t id, const WAVEFORMATEX** format, const void** samples,
                      uint32_t* length) {
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), "WAVE");
    if (!resource) {
        soundStatus = 4;
        return false;
    }
    HGLOBAL loaded = LoadResource(module, resource);
    if (!loaded) {
        soundStatus = 3;
        return false;
    }
    const void* image = LockResource(loaded);
    if (!image) {
        soundStatus = 1;
        return false;
    }
    if (!parseWaveImage(image, SizeofResource(module, resource), format, samples, length)) {
        soundStatus = 2;
        return false;
    }
    return true;
}

bool copyWaveToBuffer(IDirectSoundBuffer* buffer, const void* samples, uint32_t length) {
    if (!buffer || !samples || length == 0) return false;
    LPVOID part1 = nullptr, part2 = nullptr;
    DWORD part1Bytes = 0, part2Bytes = 0;
    if (buffer->Lock(0, length, &part1, &part1Bytes, &part2, &part2Bytes, 0) < 0) return false;
    // Never more than the samples hold, whatever lengths the lock reports.
    auto* from = static_cast<const uint8_t*>(samples);
    const uint32_t first = part1 ? (part1Bytes < length ? part1Bytes : length) : 0;
    if (first) std::memcpy(part1, from, first);
    if (part2Bytes != 0 && part2) {
        const uint32_t rest = length - first;
        const uint32_t second = part2Bytes < rest ? part2Bytes : rest;
        if (second) std::memcpy(part2, from + first, second);
    }
    buffer->Unlock(part1, part1Bytes, part2, part2Bytes);
    return true;
}

IDirectSoundBuffer* createWaveBuffer(IDirectSound* device, uint16_t id) {
    const WAVEFORMATEX* format;
    const void* samples;
    uint32_t length;
    if (!findWaveResource(thisModule(), id, &format, &samples, &length)) {
        addToStatus(10);
        return nullptr;
    }
    DSBUFFERDESC1 description{};
    description.dwSize = sizeof description;
    description.dwFlags = bufferFlags;
    description.dwBufferBytes = length;
    description.dwReserved = 0;
    description.lpwfxFormat = const_cast<WAVEFORMATEX*>(format);
    IDirectSoundBuffer* buffer = nullptr;
    if (device->CreateSoundBuffer(reinterpret_cast<LPCDSBUFFERDESC>(&description), &buffer, nullptr) < 0 ||
        !buffer) {
        addToStatus(20);
        return nullptr;
    }
    if (!copyWaveToBuffer(buffer, samples, length)) {
        buffer->Release();
        addToStatus(30);
        return nullptr;
    }
    return buffer;
}

bool refillWaveBuffer(IDirectSoundBuffer* buffer, uint16_t id) {
    // Only the samples are wanted: format chunks are stepped over without their size test.
    const void* samples;
    uint32_t length;
    if (!findWaveResource(thisModule(), id, nullptr, &samples, &length)) return false;
    if (buffer->Restore() < 0) return false;
    return copyWaveToBuffer(buffer, samples, length);
}
