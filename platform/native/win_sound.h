// The sound device and buffers with the meaning of DirectSound, and the foreground window:
// the records, constants and interfaces the sound modules use, under their DirectSound names
// and with the same method signatures, so the modules' sound code is the same in both builds.
#pragma once

#include "win_types.h"

using ULONG = uint32_t;
using LPDWORD = DWORD*;

struct GUID {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
using LPCGUID = const GUID*;

struct IUnknown;
using LPUNKNOWN = IUnknown*;

// The published wave format record, byte-packed as Windows lays it out (18 bytes), so that it
// can be read where it lies inside a WAVE resource.
#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;  // present only in an 18-byte block; not read for PCM
};
#pragma pack(pop)
using LPWAVEFORMATEX = WAVEFORMATEX*;
static_assert(sizeof(WAVEFORMATEX) == 18);

constexpr WORD WAVE_FORMAT_PCM = 1;

// The first-generation buffer description (20 bytes on 32-bit), the one every DirectSound
// version accepts. DSBUFFERDESC1 is its Windows name when newer headers are in use.
struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;
};
using DSBUFFERDESC1 = DSBUFFERDESC;
using LPCDSBUFFERDESC = const DSBUFFERDESC*;

constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;

constexpr DWORD DSSCL_NORMAL = 1;

constexpr DWORD DSBPLAY_LOOPING = 0x00000001;

constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DSERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DSERR_ALLOCATED = static_cast<HRESULT>(0x8878000Au);
constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046u);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);

// A secondary sound buffer. A buffer holds a copy of what is written into it between Lock and
// Unlock. When its memory is lost, Play and Lock report DSERR_BUFFERLOST until Restore, and
// after Restore the samples must be written again.
struct IDirectSoundBuffer {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD part1Bytes, LPVOID* part2,
                         LPDWORD part2Bytes, DWORD flags) = 0;
    virtual HRESULT Unlock(LPVOID part1, DWORD part1Bytes, LPVOID part2, DWORD part2Bytes) = 0;
    virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
    virtual HRESULT SetCurrentPosition(DWORD position) = 0;
    virtual HRESULT Restore() = 0;

protected:
    ~IDirectSoundBuffer() = default;  // released through Release, never deleted
};
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;

// The sound device.
struct IDirectSound {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC description, LPDIRECTSOUNDBUFFER* buffer,
                                      LPUNKNOWN outer) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;

protected:
    ~IDirectSound() = default;
};
using LPDIRECTSOUND = IDirectSound*;

extern "C" {
// Only the default device is offered: a device identifier names none of the stand-in's
// devices and gives DSERR_NODRIVER. Each call makes a device of its own.
HRESULT DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* out, LPUNKNOWN outer);
// The window the panel host has in front (a fixed pseudo window unless the host says
// otherwise through sound_control.h).
HWND GetForegroundWindow();
}
