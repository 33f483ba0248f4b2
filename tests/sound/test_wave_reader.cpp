// The WAVE reader and buffer creation: the chunk walk on crafted and committed images, the
// resource look-up, the copy into a buffer whatever lengths the lock reports, and every
// failure of creation and refill with the status it leaves.
#include <fstream>
#include <iterator>

#include "harness_fixture.h"

namespace {

struct Wanted {
    bool format, samples, length;
};
constexpr Wanted everything{true, true, true};
constexpr Wanted samplesOnly{false, true, true};

struct ParseCase {
    const char* reason;
    Bytes image;
    Wanted wanted;
    bool found;
    // Expected outputs when found: offsets into the image, -1 for none.
    int formatAt = -1;
    int samplesAt = -1;
    uint32_t length = 0;
};

Bytes withTail(Bytes image, const std::string& tail) {
    image.insert(image.end(), tail.begin(), tail.end());
    return image;
}

// Layout used below: the RIFF header is 12 bytes; a chunk is 8 header bytes, its contents,
// and a pad byte after odd contents. A 16-byte format chunk first puts its record at 20 and
// the next chunk at 36.
const std::vector<ParseCase>& parseCases() {
    static const std::vector<ParseCase> cases = {
        {"format, fact, data: all three found when the data chunk is reached",
         waveImage({fmtChunk(), factChunk(), dataChunk(samplePattern(10, 0))}), everything, true, 20, 56, 10},
        {"data before the format: the data is kept and the walk succeeds at the format",
         waveImage({dataChunk(samplePattern(10, 0)), fmtChunk()}), everything, true, 38, 20, 10},
        {"a 13-byte format chunk fails the walk although a valid one follows",
         waveImage({fmtChunk(13), fmtChunk(), dataChunk(samplePattern(10, 0))}), everything, false},
        {"without the format wanted a 13-byte format chunk is stepped over",
         waveImage({fmtChunk(13), fmtChunk(), dataChunk(samplePattern(10, 0))}), samplesOnly, true, -1, 66, 10},
        {"a 14-byte format chunk is long enough",
         waveImage({fmtChunk(14), dataChunk(samplePattern(4, 0))}), everything, true, 20, 42, 4},
        {"an odd chunk is stepped over together with its pad byte",
         waveImage({fmtChunk(), {"junk", {1, 2, 3}}, dataChunk(samplePattern(10, 0))}), everything, true, 20, 56, 10},
        {"an odd data chunk without its pad: the misplaced chunk after it is never read",
         waveImage({fmtChunk(), dataChunk(samplePattern(11, 0), false), {"LIST", {}, true, 0xFFFFFFF0}}), everything,
         true, 20, 44, 11},
        {"a second data chunk before the format is ignored",
         waveImage({dataChunk(samplePattern(10, 0)), dataChunk(samplePattern(20, 0)), fmtChunk()}), everything, true,
         66, 20, 10},
        {"a second format chunk is ignored",
         waveImage({fmtChunk(), {"fmt ", pcmFormat(2, 22050, 16)}, dataChunk(samplePattern(10, 0))}), everything,
         true, 20, 68, 10},
        {"a zero-length data chunk before the format leaves the length to find: none follows",
         waveImage({dataChunk({}), fmtChunk()}), everything, false},
        {"a zero-length data chunk before the format leaves the length to find: a later one counts",
         waveImage({dataChunk({}), fmtChunk(), dataChunk(samplePattern(10, 0))}), everything, true, 28, 52, 10},
        {"a RIFF size of 4 finds nothing", waveImage({fmtChunk(), dataChunk(samplePattern(10, 0))}, 4), everything,
         false},
        {"a RIFF size of 0 finds nothing", waveImage({fmtChunk(), dataChunk(samplePattern(10, 0))}, 0), everything,
         false},
        {"the RIFF size ends the walk before the data chunk",
         waveImage({fmtChunk(), dataChunk(samplePattern(10, 0))}, 4 + 24), everything, false},
        {"a RIFF size past the end of the image, but everything found before it",
         waveImage({fmtChunk(), dataChunk(samplePattern(10, 0))}, 5000), everything, true, 20, 44, 10},
        {"not a RIFF file", waveImage({fmtChunk(), dataChunk(samplePattern(10, 0))}, {}, "RIFX"), everything, false},
        {"not a WAVE form", waveImage({fmtChunk(), dataChunk(samplePattern(10, 0))}, {}, "RIFF", "AVI "), everything,
         false},
        {"a data size reaching past the end of the image fails, nothing is read beyond it",
         waveImage({fmtChunk(), {"data", samplePattern(10, 0), true, 1000}}), everything, false},
        {"a chunk header cut off by the end of the image fails",
         withTail(waveImage({fmtChunk()}, 100), "data"), everything, false},
        {"a skipped chunk reaching past the end of the image fails",
         waveImage({fmtChunk(), {"junk", {1, 2}, true, 0x7FFFFFFF}, dataChunk(samplePattern(10, 0))}), everything,
         false},
        {"with only the format wanted the walk stops at the format chunk",
         waveImage({fmtChunk(), {"junk", {}, true, 0xFFFFFFF0}}), {true, false, false}, true, 20},
        {"an image shorter than the RIFF header", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0}, everything, false},
    };
    return cases;
}

TEST_F(SoundPathTest, ParseWaveImageWalksTheChunksAsDescribed) {
    for (const ParseCase& c : parseCases()) {
        SCOPED_TRACE(c.reason);
        const WAVEFORMATEX* format = nullptr;
        const void* samples = nullptr;
        uint32_t length = 0;
        bool found = h->parseWaveImage(c.image.data(), uint32_t(c.image.size()), c.wanted.format ? &format : nullptr,
                                       c.wanted.samples ? &samples : nullptr, c.wanted.length ? &length : nullptr);
        ASSERT_EQ(found, c.found);
        if (!found) continue;
        auto at = [&](int offset) -> const void* { return offset < 0 ? nullptr : c.image.data() + offset; };
        EXPECT_EQ(static_cast<const void*>(format), at(c.formatAt));
        EXPECT_EQ(samples, at(c.samplesAt));
        EXPECT_EQ(length, c.length);
    }
}

TEST_F(SoundPathTest, ParseWaveImageEmptiesTheWantedOutputsFirst) {
    Bytes notWave = waveImage({fmtChunk(), dataChunk(samplePattern(10, 0))}, {}, "RIFX");
    auto* format = reinterpret_cast<const WAVEFORMATEX*>(notWave.data());
    const void* samples = notWave.data();
    uint32_t length = 77;
    EXPECT_FALSE(h->parseWaveImage(notWave.data(), uint32_t(notWave.size()), &format, &samples, &length));
    EXPECT_EQ(format, nullptr);
    EXPECT_EQ(samples, nullptr);
    EXPECT_EQ(length, 0u);
}

// The committed sounds, including the two whose odd data chunk lacks its pad byte.
TEST_F(SoundPathTest, ParseWaveImageReadsTheCommittedSounds) {
    struct Sound {
        const char* file;
        uint16_t channels;
        uint32_t rate;
        uint16_t bits;
        uint32_t sampleBytes;
    };
    const Sound sounds[] = {
        {"switch_click.wav", 1, 11025, 16, 1534},      {"magneto_click.wav", 1, 11025, 16, 1534},
        {"knob_click.wav", 2, 22050, 8, 628},          {"selector_sound.wav", 1, 11025, 8, 60310},
        {"long_toggle_sound.wav", 1, 11025, 8, 121885}, {"ignition_cut_sound.wav", 1, 11025, 16, 181998},
        {"short_toggle_sound.wav", 1, 8000, 8, 17579},
    };
    for (const Sound& s : sounds) {
        SCOPED_TRACE(s.file);
        std::ifstream in(std::string(RESOURCE_DIR) + "/sounds/" + s.file, std::ios::binary);
        Bytes image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ASSERT_FALSE(image.empty());
        const WAVEFORMATEX* format;
        const void* samples;
        uint32_t length;
        ASSERT_TRUE(h->parseWaveImage(image.data(), uint32_t(image.size()), &format, &samples, &length));
        EXPECT_EQ(static_cast<const void*>(format), image.data() + 20);
        EXPECT_EQ(format->wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(format->nChannels, s.channels);
        EXPECT_EQ(format->nSamplesPerSec, s.rate);
        EXPECT_EQ(format->wBitsPerSample, s.bits);
        EXPECT_EQ(length, s.sampleBytes);
        EXPECT_LE(static_cast<const uint8_t*>(samples) + length, image.data() + image.size());
    }
}

struct FindCase {
    const char* reason;
    uint16_t id;
    ResourceFault fault;
    bool wantFormat;
    bool found;
    int32_t status;  // soundStatus afterwards; it is 50 before
};

TEST_F(SoundPathTest, FindWaveResourceReportsEachFailureByItsStatus) {
    const FindCase cases[] = {
        {"no WAVE resource with this id", missingSound, ResourceFault::none, true, false, 4},
        {"the resource cannot be loaded", goodSound, ResourceFault::load, true, false, 3},
        {"the resource cannot be locked", goodSound, ResourceFault::lock, true, false, 1},
        {"a 13-byte format chunk with the format wanted", shortFormat, ResourceFault::none, true, false, 2},
        {"a data chunk reaching past the end of the resource", truncatedData, ResourceFault::none, true, false, 2},
        {"found: the status is left as it was", goodSound, ResourceFault::none, true, true, 50},
        {"a 13-byte format chunk without the format wanted", shortFormat, ResourceFault::none, false, true, 50},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.reason);
        *h->soundStatus = 50;
        resourceFault = c.fault;
        const WAVEFORMATEX* format = nullptr;
        const void* samples = nullptr;
        uint32_t length = 0;
        EXPECT_EQ(h->findWaveResource(module(), c.id, c.wantFormat ? &format : nullptr, &samples, &length), c.found);
        resourceFault = ResourceFault::none;
        EXPECT_EQ(*h->soundStatus, c.status);
        if (c.found) {
            const TestResource& r = testResource(c.id);
            EXPECT_EQ(samples, r.image.data() + r.dataOffset);
            EXPECT_EQ(length, r.samples.size());
        }
    }
}

struct CreateCase {
    const char* reason;
    uint16_t id;
    int32_t statusBefore;
    ResourceFault resource;
    PlatformSoundFault fault;  // platformSoundFaultCount: none
    int32_t status;
    uint32_t buffersLeft;  // live buffers afterwards
};

TEST_F(SoundPathTest, CreateWaveBufferFailuresAddTheirStepToTheStatus) {
    const CreateCase cases[] = {
        {"no such resource: the reader's 4 + 10", missingSound, 0, ResourceFault::none, platformSoundFaultCount, 14, 0},
        {"the resource cannot be loaded: 3 + 10", goodSound, 0, ResourceFault::load, platformSoundFaultCount, 13, 0},
        {"the resource cannot be locked: 1 + 10", goodSound, 0, ResourceFault::lock, platformSoundFaultCount, 11, 0},
        {"a 13-byte format: 2 + 10", shortFormat, 0, ResourceFault::none, platformSoundFaultCount, 12, 0},
        {"DirectSound refuses the buffer: previous value + 20", goodSound, 7, ResourceFault::none,
         platformSoundBufferCreation, 27, 0},
        {"a zero-length data chunk makes a buffer DirectSound refuses", emptyData, 0, ResourceFault::none,
         platformSoundFaultCount, 20, 0},
        {"the samples cannot be copied: previous value + 30, the new buffer released", goodSound, 5,
         ResourceFault::none, platformSoundLock, 35, 0},
        {"a DirectSound result left in the status still gets its step added", goodSound, DSERR_BUFFERLOST,
         ResourceFault::none, platformSoundBufferCreation, int32_t(uint32_t(DSERR_BUFFERLOST) + 20), 0},
    };
    for (const CreateCase& c : cases) {
        SCOPED_TRACE(c.reason);
        platformSoundReset();
        IDirectSound* device = nullptr;
        ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
        *h->soundStatus = c.statusBefore;
        resourceFault = c.resource;
        if (c.fault != platformSoundFaultCount) platformSoundInjectFault(c.fault, DSERR_OUTOFMEMORY, 0);
        EXPECT_EQ(h->createWaveBuffer(device, c.id), nullptr);
        resourceFault = ResourceFault::none;
        EXPECT_EQ(*h->soundStatus, c.status);
        EXPECT_EQ(counts().buffersLive, c.buffersLeft);
    }
}

TEST_F(SoundPathTest, CreateWaveBufferMakesAStaticBufferOfTheSamples) {
    IDirectSound* device = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
    *h->soundStatus = 9;
    IDirectSoundBuffer* buffer = h->createWaveBuffer(device, goodSound);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(*h->soundStatus, 9) << "success leaves the status alone";

    const TestResource& r = testResource(goodSound);
    DSBUFFERDESC d = counts().lastDescription;
    EXPECT_EQ(d.dwSize, sizeof(DSBUFFERDESC));
    EXPECT_EQ(d.dwFlags, 0x100E2u) << "static, frequency, pan, volume, play-cursor reporting";
    EXPECT_EQ(d.dwBufferBytes, r.samples.size()) << "exactly as long as the samples";
    EXPECT_EQ(d.dwReserved, 0u);
    EXPECT_EQ(static_cast<const void*>(d.lpwfxFormat), r.image.data() + 20) << "the format record used in place";

    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(playedBytes(0), r.samples);
}

struct CopyCase {
    const char* reason;
    DWORD part1, part2;   // lengths Lock reports (0, 0: the true ones)
    size_t copiedBytes;  // bytes of the samples that reach the buffer
};

// The samples reach the buffer as far as the lock's parts allow, and never more of them than
// the sample length, however long the parts are said to be.
TEST_F(SoundPathTest, CopyWaveToBufferStaysWithinTheSamples) {
    const Bytes samples = samplePattern(100, 9);
    const CopyCase cases[] = {
        {"the true lengths", 0, 0, 100},
        {"two parts covering the samples exactly", 60, 40, 100},
        {"a second part longer than what is left", 60, 80, 100},
        {"a first part longer than the samples", 150, 0, 100},
        {"a first part longer than the samples, and a second part", 150, 50, 100},
        {"parts shorter than the samples", 30, 0, 30},
    };
    for (const CopyCase& c : cases) {
        SCOPED_TRACE(c.reason);
        platformSoundReset();
        IDirectSound* device = nullptr;
        ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
        WAVEFORMATEX format{1, 1, 11025, 11025, 1, 8, 0};
        DSBUFFERDESC d{sizeof(DSBUFFERDESC), 0x100E2, 100, 0, &format};
        IDirectSoundBuffer* buffer = nullptr;
        ASSERT_EQ(device->CreateSoundBuffer(&d, &buffer, nullptr), DS_OK);
        platformSoundReportLockLengths(c.part1, c.part2);
        EXPECT_TRUE(h->copyWaveToBuffer(buffer, samples.data(), uint32_t(samples.size())));
        platformSoundReportLockLengths(0, 0);
        EXPECT_EQ(counts().overruns, 0u) << "bytes written past the samples";
        ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
        Bytes expected(100, 0);
        std::copy(samples.begin(), samples.begin() + long(c.copiedBytes), expected.begin());
        EXPECT_EQ(playedBytes(0), expected);
    }
}

TEST_F(SoundPathTest, CopyWaveToBufferRefusesWithoutTouchingTheStatus) {
    IDirectSound* device = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
    WAVEFORMATEX format{1, 1, 11025, 11025, 1, 8, 0};
    DSBUFFERDESC d{sizeof(DSBUFFERDESC), 0x100E2, 100, 0, &format};
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(device->CreateSoundBuffer(&d, &buffer, nullptr), DS_OK);
    const Bytes samples = samplePattern(100, 9);

    struct Case {
        const char* reason;
        IDirectSoundBuffer* buffer;
        const void* data;
        uint32_t length;
        bool lockFails;
    };
    const Case cases[] = {
        {"no buffer", nullptr, samples.data(), 100, false},
        {"no data", buffer, nullptr, 100, false},
        {"zero length", buffer, samples.data(), 0, false},
        {"the lock fails", buffer, samples.data(), 100, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        *h->soundStatus = 61;
        if (c.lockFails) platformSoundInjectFault(platformSoundLock, DSERR_INVALIDCALL, 0);
        EXPECT_FALSE(h->copyWaveToBuffer(c.buffer, c.data, c.length));
        platformSoundClearFault(platformSoundLock);
        EXPECT_EQ(*h->soundStatus, 61);
    }
}

struct RefillCase {
    const char* reason;
    uint16_t id;
    ResourceFault resource;
    PlatformSoundFault fault;  // platformSoundFaultCount: none
    bool refilled;
    int32_t status;  // 70 before
};

TEST_F(SoundPathTest, RefillWaveBufferRestoresAndWritesTheSamplesAgain) {
    const RefillCase cases[] = {
        {"restored and filled again", goodSound, ResourceFault::none, platformSoundFaultCount, true, 70},
        {"a 13-byte format chunk is not looked at", shortFormat, ResourceFault::none, platformSoundFaultCount, true,
         70},
        {"no such resource: the reader's code", missingSound, ResourceFault::none, platformSoundFaultCount, false, 4},
        {"the resource cannot be locked: the reader's code", goodSound, ResourceFault::lock, platformSoundFaultCount,
         false, 1},
        {"the restore fails: status unchanged", goodSound, ResourceFault::none, platformSoundRestore, false, 70},
        {"the copy fails: status unchanged", goodSound, ResourceFault::none, platformSoundLock, false, 70},
    };
    for (const RefillCase& c : cases) {
        SCOPED_TRACE(c.reason);
        platformSoundReset();
        IDirectSound* device = nullptr;
        ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
        const TestResource& r = testResource(c.id == missingSound ? uint16_t(goodSound) : c.id);
        WAVEFORMATEX format{1, 1, 11025, 11025, 1, 8, 0};
        DSBUFFERDESC d{sizeof(DSBUFFERDESC), 0x100E2, uint32_t(r.samples.size()), 0, &format};
        IDirectSoundBuffer* buffer = nullptr;
        ASSERT_EQ(device->CreateSoundBuffer(&d, &buffer, nullptr), DS_OK);
        platformSoundLoseBuffers();

        *h->soundStatus = 70;
        resourceFault = c.resource;
        if (c.fault != platformSoundFaultCount) platformSoundInjectFault(c.fault, DSERR_BUFFERLOST, 0);
        EXPECT_EQ(h->refillWaveBuffer(buffer, c.id), c.refilled);
        resourceFault = ResourceFault::none;
        EXPECT_EQ(*h->soundStatus, c.status);
        if (c.refilled) {
            ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
            EXPECT_EQ(playedBytes(0), r.samples);
        }
    }
}

}  // namespace
