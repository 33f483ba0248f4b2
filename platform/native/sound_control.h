// Control of the DirectSound stand-in for the tests and the panel host: make device, buffer and
// playing operations fail as DirectSound can, make buffers lose their memory, read what was
// started (the play log) and what was asked of the stand-in, and start again from nothing.
// Native build only.
#pragma once

#include "win_sound.h"

enum PlatformSoundFault : int32_t {
    platformSoundDeviceCreation = 0,  // DirectSoundCreate
    platformSoundCooperativeLevel,    // IDirectSound::SetCooperativeLevel
    platformSoundBufferCreation,      // IDirectSound::CreateSoundBuffer
    platformSoundLock,                // IDirectSoundBuffer::Lock
    platformSoundPlay,                // IDirectSoundBuffer::Play
    platformSoundRestore,             // IDirectSoundBuffer::Restore
    platformSoundFaultCount
};

// One sound started: a Play that returned DS_OK.
struct PlatformSoundPlay {
    uint32_t sequence;          // 1 for the first play after a reset, then 2, 3, ...
    HMODULE module;             // module holding the WAVE resource the buffer's format lies in, or null
    int32_t soundId;            // that resource's id, or -1 when the format lies in no WAVE resource
    const void* buffer;         // the buffer played (identity only)
    DWORD startPosition;        // play position when Play was called: 0 after a rewind
    DWORD flags;                // Play's flags
    WAVEFORMATEX format;        // the buffer's format, copied at creation
    const uint8_t* samples;     // the buffer's bytes as they were when it started; kept while
                                // the play is kept in the log
    DWORD length;               // the buffer's size in bytes
};

// What was asked of the stand-in since the last reset.
struct PlatformSoundCounts {
    uint32_t devicesCreated;
    uint32_t devicesLive;
    uint32_t buffersCreated;
    uint32_t buffersLive;
    uint32_t cooperativeLevelCalls;
    HWND cooperativeWindow;     // of the last SetCooperativeLevel
    DWORD cooperativeLevel;
    uint32_t lockCalls;
    uint32_t playCalls;         // every Play, failed or not
    uint32_t rewindCalls;       // SetCurrentPosition calls
    uint32_t restoreCalls;
    uint32_t overruns;          // Unlocks that found bytes written past the bytes locked
    DSBUFFERDESC lastDescription;  // of the last CreateSoundBuffer, as given
};

extern "C" {
// After `passing` more calls of the operation succeed, every later call fails with `result`
// (and, for the creations, gives no object) until the fault is cleared.
void platformSoundInjectFault(PlatformSoundFault fault, HRESULT result, uint32_t passing);
void platformSoundClearFault(PlatformSoundFault fault);
// Every buffer that exists now loses its memory: its bytes are gone, and Play and Lock report
// DSERR_BUFFERLOST until it is restored.
void platformSoundLoseBuffers();
// From now on Lock reports these part lengths instead of the ones asked for (the second part
// follows the first in the buffer's memory); 0, 0 goes back to the true lengths. Bytes written
// past the count asked of Lock are counted as overruns at Unlock.
void platformSoundReportLockLengths(DWORD part1Bytes, DWORD part2Bytes);
void platformSoundSetForegroundWindow(HWND window);

// The play log keeps the latest plays only; older ones are dropped from it as new ones come.
enum : uint32_t { platformSoundLogCapacity = 1024 };

// Plays since the last reset, kept or not: the index the next play will have.
uint32_t platformSoundPlayCount();
// Index of the oldest play still kept (0 until more than platformSoundLogCapacity have played).
uint32_t platformSoundFirstKept();
// Copies play `index` (0 = the first after the reset) of the play log; false for a play no
// longer kept and past the log's end.
BOOL platformSoundPlayAt(uint32_t index, PlatformSoundPlay* out);
void platformSoundGetCounts(PlatformSoundCounts* out);

// Clears every fault, the play log and the counts, and forgets every device and buffer as if
// released (objects still held by a module stay callable: their calls fail with
// DSERR_INVALIDCALL). Samples pointers from the log are invalid afterwards.
void platformSoundReset();
}
