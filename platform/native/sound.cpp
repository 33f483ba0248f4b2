// DirectSound stand-in: devices and static secondary buffers that keep a copy of what is
// written into them, the buffer-lost behaviour, the foreground window, fault injection and a
// play log of the sounds started, from which the panel host reports and mixes what played.
// One process-wide state, so every module loaded into the host shares the same log. The log
// keeps the latest platformSoundLogCapacity plays: a host running for hours keeps bounded memory.
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "resource_table.h"
#include "sound_control.h"
#include "win_resources.h"
#include "win_sound.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Fault {
    bool armed = false;
    HRESULT result = DS_OK;
    uint32_t passing = 0;
};

class Device;
class Buffer;

struct State {
    std::recursive_mutex lock;
    Fault faults[platformSoundFaultCount];
    std::vector<Device*> devices;  // live
    std::vector<Buffer*> buffers;  // live
    // Objects forgotten by a reset but possibly still held by a module: kept so their calls
    // fail cleanly instead of touching freed memory.
    std::vector<void*> retired;
    struct Entry {
        PlatformSoundPlay play;
        std::shared_ptr<const Bytes> bytes;
    };
    std::deque<Entry> log;  // the kept plays, oldest first
    uint32_t dropped = 0;   // plays since the reset no longer kept: the index of log.front()
    PlatformSoundCounts counts{};
    DWORD lockPart1 = 0, lockPart2 = 0;
    HWND foreground = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x00010024));
};

// Never destroyed: modules hold devices and buffers until the process ends, and may still
// call them while other statics are torn down.
State& state() {
    static State* s = new State;
    return *s;
}

// Whether the operation fails this time, with which result.
bool failing(PlatformSoundFault which, HRESULT& result) {
    Fault& f = state().faults[which];
    if (!f.armed) return false;
    if (f.passing > 0) {
        --f.passing;
        return false;
    }
    result = f.result;
    return true;
}

// The module and WAVE resource a format record lies in. The modules pass the format record
// where it lies inside their locked resource, so its address tells which sound a buffer holds;
// the log names the sound by that resource's id.
// The module and WAVE resource the format record lies in, and how many of its bytes lie
// inside that resource (all 18 of a full record when it lies in no resource).
DWORD resourceOf(const void* format, HMODULE& module, int32_t& id) {
    module = nullptr;
    id = -1;
    void* holder = nullptr;
    unsigned resourceId = 0, remaining = 0;
    if (!platformResourceContaining(format, &holder, &resourceId, &remaining)) return sizeof(WAVEFORMATEX);
    module = holder;
    id = int32_t(resourceId);
    return remaining;
}

class Buffer final : public IDirectSoundBuffer {
public:
    Buffer(const DSBUFFERDESC& d) : size_(d.dwBufferBytes), bytes_(std::make_shared<Bytes>(d.dwBufferBytes, 0)) {
        // PCM formats end at the bits per sample; only other formats carry the extra size. A
        // format chunk may be as short as 14 bytes, so nothing past its resource is read.
        DWORD available = resourceOf(d.lpwfxFormat, module_, soundId_);
        std::memcpy(&format_, d.lpwfxFormat, std::min<DWORD>(16, available));
        format_.cbSize = 0;
        if (format_.wFormatTag != WAVE_FORMAT_PCM && available >= 18)
            std::memcpy(&format_.cbSize, &d.lpwfxFormat->cbSize, 2);
    }

    ULONG AddRef() override {
        std::lock_guard g(state().lock);
        return ++references_;
    }

    ULONG Release() override {
        std::lock_guard g(state().lock);
        if (--references_ > 0 || retired_) return references_;
        auto& live = state().buffers;
        live.erase(std::remove(live.begin(), live.end(), this), live.end());
        --state().counts.buffersLive;
        delete this;
        return 0;
    }

    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD part1Bytes, LPVOID* part2, LPDWORD part2Bytes,
                 DWORD flags) override {
        std::lock_guard g(state().lock);
        ++state().counts.lockCalls;
        if (!part1 || !part1Bytes) return DSERR_INVALIDPARAM;
        *part1 = nullptr;
        *part1Bytes = 0;
        if (part2) *part2 = nullptr;
        if (part2Bytes) *part2Bytes = 0;
        if (retired_) return DSERR_INVALIDCALL;
        if (lost_) return DSERR_BUFFERLOST;
        if (locked_ || flags != 0 || bytes == 0 || offset >= size_ || bytes > size_) return DSERR_INVALIDPARAM;
        HRESULT result;
        if (failing(platformSoundLock, result)) return result;

        DWORD first = std::min(bytes, size_ - offset);
        DWORD second = bytes - first;
        if (second && (!part2 || !part2Bytes)) return DSERR_INVALIDPARAM;
        // Written bytes belong to this buffer alone: earlier plays in the log keep theirs.
        if (bytes_.use_count() > 1) bytes_ = std::make_shared<Bytes>(*bytes_);
        Bytes& b = *bytes_;
        lockedBytes_ = bytes;
        if (state().lockPart1 || state().lockPart2) {
            // Reported lengths: the parts lie one after the other from the start of memory
            // grown to hold both; what lies past the bytes asked for is a guard pattern.
            first = state().lockPart1;
            second = part2 && part2Bytes ? state().lockPart2 : 0;
            if (b.size() < size_t(first) + second) b.resize(size_t(first) + second);
            std::fill(b.begin() + bytes, b.end(), guardByte);
            *part1 = b.data();
            if (second) *part2 = b.data() + first;
            guarded_ = true;
        } else {
            *part1 = b.data() + offset;
            if (second) *part2 = b.data();
            guarded_ = false;
        }
        *part1Bytes = first;
        if (second) *part2Bytes = second;
        part1_ = *part1;
        part2_ = second ? *part2 : nullptr;
        locked_ = true;
        return DS_OK;
    }

    HRESULT Unlock(LPVOID part1, DWORD, LPVOID part2, DWORD) override {
        std::lock_guard g(state().lock);
        if (retired_) return DSERR_INVALIDCALL;
        if (!locked_ || part1 != part1_ || part2 != part2_) return DSERR_INVALIDPARAM;
        locked_ = false;
        if (guarded_) {
            Bytes& b = *bytes_;
            if (std::any_of(b.begin() + lockedBytes_, b.end(), [](uint8_t v) { return v != guardByte; }))
                ++state().counts.overruns;
            b.resize(size_);
        }
        return DS_OK;
    }

    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override {
        std::lock_guard g(state().lock);
        ++state().counts.playCalls;
        if (retired_) return DSERR_INVALIDCALL;
        if (reserved != 0 || (flags & ~DSBPLAY_LOOPING) != 0) return DSERR_INVALIDPARAM;
        (void)priority;
        if (lost_) return DSERR_BUFFERLOST;
        HRESULT result;
        if (failing(platformSoundPlay, result)) return result;
        State::Entry e{};
        e.bytes = bytes_;
        e.play.sequence = state().dropped + uint32_t(state().log.size()) + 1;
        e.play.module = module_;
        e.play.soundId = soundId_;
        e.play.buffer = static_cast<IDirectSoundBuffer*>(this);
        e.play.startPosition = position_;
        e.play.flags = flags;
        e.play.format = format_;
        e.play.samples = bytes_->data();
        e.play.length = size_;
        state().log.push_back(e);
        if (state().log.size() > platformSoundLogCapacity) {
            state().log.pop_front();
            ++state().dropped;
        }
        // A sound played once runs to its end; without a rewind the next Play starts there.
        position_ = size_;
        return DS_OK;
    }

    HRESULT SetCurrentPosition(DWORD position) override {
        std::lock_guard g(state().lock);
        ++state().counts.rewindCalls;
        if (retired_) return DSERR_INVALIDCALL;
        if (position >= size_) return DSERR_INVALIDPARAM;
        position_ = position;
        return DS_OK;
    }

    HRESULT Restore() override {
        std::lock_guard g(state().lock);
        ++state().counts.restoreCalls;
        if (retired_) return DSERR_INVALIDCALL;
        HRESULT result;
        if (failing(platformSoundRestore, result)) return result;
        lost_ = false;
        return DS_OK;
    }

    // The memory is taken away: what was written is gone and must be written again after the
    // restore.
    void lose() {
        lost_ = true;
        locked_ = false;
        bytes_ = std::make_shared<Bytes>(size_, 0);
        position_ = 0;
    }

    void retire() { retired_ = true; }

private:
    ~Buffer() = default;
    static constexpr uint8_t guardByte = 0xCD;

    DWORD size_;
    std::shared_ptr<Bytes> bytes_;
    WAVEFORMATEX format_{};
    HMODULE module_ = nullptr;
    int32_t soundId_ = -1;
    ULONG references_ = 1;
    DWORD position_ = 0;
    bool lost_ = false;
    bool locked_ = false;
    bool guarded_ = false;
    bool retired_ = false;
    DWORD lockedBytes_ = 0;
    void* part1_ = nullptr;
    void* part2_ = nullptr;
};

class Device final : public IDirectSound {
public:
    ULONG AddRef() override {
        std::lock_guard g(state().lock);
        return ++references_;
    }

    ULONG Release() override {
        std::lock_guard g(state().lock);
        if (--references_ > 0 || retired_) return references_;
        auto& live = state().devices;
        live.erase(std::remove(live.begin(), live.end(), this), live.end());
        --state().counts.devicesLive;
        delete this;
        return 0;
    }

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC d, LPDIRECTSOUNDBUFFER* out, LPUNKNOWN outer) override {
        std::lock_guard g(state().lock);
        if (!out) return DSERR_INVALIDPARAM;
        *out = nullptr;
        if (d) state().counts.lastDescription = *d;
        if (retired_) return DSERR_INVALIDCALL;
        if (outer) return DSERR_NOAGGREGATION;
        if (!d || d->dwSize != sizeof(DSBUFFERDESC) || d->dwReserved != 0 || !d->lpwfxFormat ||
            d->dwBufferBytes < DSBSIZE_MIN || d->dwBufferBytes > DSBSIZE_MAX)
            return DSERR_INVALIDPARAM;
        HRESULT result;
        if (failing(platformSoundBufferCreation, result)) return result;
        auto* b = new Buffer(*d);
        state().buffers.push_back(b);
        ++state().counts.buffersCreated;
        ++state().counts.buffersLive;
        *out = b;
        return DS_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD level) override {
        std::lock_guard g(state().lock);
        ++state().counts.cooperativeLevelCalls;
        state().counts.cooperativeWindow = window;
        state().counts.cooperativeLevel = level;
        if (retired_) return DSERR_INVALIDCALL;
        if (!window || level < 1 || level > 4) return DSERR_INVALIDPARAM;
        HRESULT result;
        if (failing(platformSoundCooperativeLevel, result)) return result;
        return DS_OK;
    }

    void retire() { retired_ = true; }

private:
    ~Device() = default;

    ULONG references_ = 1;
    bool retired_ = false;
};

}  // namespace

extern "C" {

HRESULT DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* out, LPUNKNOWN outer) {
    std::lock_guard g(state().lock);
    if (!out) return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    if (device) return DSERR_NODRIVER;
    HRESULT result;
    if (failing(platformSoundDeviceCreation, result)) return result;
    auto* d = new Device;
    state().devices.push_back(d);
    ++state().counts.devicesCreated;
    ++state().counts.devicesLive;
    *out = d;
    return DS_OK;
}

HWND GetForegroundWindow() {
    std::lock_guard g(state().lock);
    return state().foreground;
}

void platformSoundInjectFault(PlatformSoundFault fault, HRESULT result, uint32_t passing) {
    std::lock_guard g(state().lock);
    if (fault < 0 || fault >= platformSoundFaultCount) return;
    state().faults[fault] = Fault{true, result, passing};
}

void platformSoundClearFault(PlatformSoundFault fault) {
    std::lock_guard g(state().lock);
    if (fault < 0 || fault >= platformSoundFaultCount) return;
    state().faults[fault] = Fault{};
}

void platformSoundLoseBuffers() {
    std::lock_guard g(state().lock);
    for (Buffer* b : state().buffers) b->lose();
}

void platformSoundReportLockLengths(DWORD part1Bytes, DWORD part2Bytes) {
    std::lock_guard g(state().lock);
    state().lockPart1 = part1Bytes;
    state().lockPart2 = part2Bytes;
}

void platformSoundSetForegroundWindow(HWND window) {
    std::lock_guard g(state().lock);
    state().foreground = window;
}

uint32_t platformSoundPlayCount() {
    std::lock_guard g(state().lock);
    return state().dropped + uint32_t(state().log.size());
}

uint32_t platformSoundFirstKept() {
    std::lock_guard g(state().lock);
    return state().dropped;
}

BOOL platformSoundPlayAt(uint32_t index, PlatformSoundPlay* out) {
    std::lock_guard g(state().lock);
    const State& s = state();
    if (!out || index < s.dropped || index - s.dropped >= s.log.size()) return FALSE;
    *out = s.log[index - s.dropped].play;
    return TRUE;
}

void platformSoundGetCounts(PlatformSoundCounts* out) {
    std::lock_guard g(state().lock);
    if (out) *out = state().counts;
}

void platformSoundReset() {
    std::lock_guard g(state().lock);
    State& s = state();
    for (Buffer* b : s.buffers) {
        b->retire();
        s.retired.push_back(static_cast<IDirectSoundBuffer*>(b));
    }
    for (Device* d : s.devices) {
        d->retire();
        s.retired.push_back(static_cast<IDirectSound*>(d));
    }
    s.buffers.clear();
    s.devices.clear();
    for (Fault& f : s.faults) f = Fault{};
    s.log.clear();
    s.dropped = 0;
    s.counts = PlatformSoundCounts{};
    s.lockPart1 = s.lockPart2 = 0;
    s.foreground = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x00010024));
}
}
