// Fixture of the sound path tests: a fresh load of the sound harness, a clean DirectSound
// stand-in, and a set of WAVE resources registered under a module handle of the test's own.
// Resource load and lock failures, which the resource stand-in cannot produce, come from
// LoadResource and LockResource interposed by this test program.
#pragma once

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <map>

#include "platform/win.h"
#include "resource_table.h"
#include "sound_control.h"
#include "sound_harness.h"
#include "wave_images.h"

enum class ResourceFault { none, load, lock };
inline ResourceFault resourceFault = ResourceFault::none;

// The test module's sounds.
enum TestSound : uint16_t {
    goodSound = 1,      // format, fact, 100 sample bytes
    shortFormat = 2,    // 13-byte format chunk, then 40 sample bytes
    emptyData = 5,      // format, then a data chunk of length 0
    truncatedData = 7,  // data size field reaching past the end of the resource
    otherSound = 8,     // format, 60 sample bytes
    missingSound = 99,  // no such resource
};

struct TestResource {
    uint16_t id;
    Bytes image;
    Bytes samples;       // the sample bytes the image carries
    uint32_t dataOffset;  // where they lie in the image
};

inline const std::vector<TestResource>& testResources() {
    static const std::vector<TestResource> resources = [] {
        Bytes good = samplePattern(100, 1), shortOne = samplePattern(40, 2), other = samplePattern(60, 3);
        return std::vector<TestResource>{
            {goodSound, waveImage({fmtChunk(), factChunk(), dataChunk(good)}), good, 12 + 24 + 12 + 8},
            {shortFormat, waveImage({fmtChunk(13), dataChunk(shortOne)}), shortOne, 12 + 22 + 8},
            {emptyData, waveImage({fmtChunk(), dataChunk({})}), {}, 12 + 24 + 8},
            {truncatedData, waveImage({fmtChunk(), {"data", other, true, 1000}}), {}, 0},
            {otherSound, waveImage({fmtChunk(), dataChunk(other)}), other, 12 + 24 + 8},
        };
    }();
    return resources;
}

inline const TestResource& testResource(uint16_t id) {
    for (const TestResource& r : testResources())
        if (r.id == id) return r;
    throw std::out_of_range("no such test resource");
}

class SoundPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        platformSoundReset();
        resourceFault = ResourceFault::none;
        for (const TestResource& r : testResources())
            entries.push_back({r.id, 0, "WAVE", r.image.data(), uint32_t(r.image.size())});
        table = {entries.data(), uint32_t(entries.size())};
        platformRegisterResources(module(), &table);
        load();
    }

    // A fresh load of the sound path, as a module loaded anew, against a clean stand-in.
    void load() {
        library = LoadLibraryA(HARNESS_PATH);
        ASSERT_NE(library, nullptr) << dlerror();
        auto get = reinterpret_cast<const SoundHarness* (*)()>(GetProcAddress(library, "soundHarness"));
        ASSERT_NE(get, nullptr);
        h = get();
        ASSERT_EQ(h->cache->count, 0u) << "the harness was not loaded afresh";
        ASSERT_EQ(*h->soundStatus, 0) << "the harness was not loaded afresh";
        h->useModule(module());
    }

    void reload() {
        FreeLibrary(library);
        library = nullptr;
        platformSoundReset();
        load();
    }

    void TearDown() override {
        platformUnregisterResources(module());
        if (library) FreeLibrary(library);
        platformSoundReset();
        resourceFault = ResourceFault::none;
    }

    void* module() { return &moduleTag; }

    PlatformSoundCounts counts() {
        PlatformSoundCounts c{};
        platformSoundGetCounts(&c);
        return c;
    }

    PlatformSoundPlay play(uint32_t index) {
        PlatformSoundPlay p{};
        EXPECT_TRUE(platformSoundPlayAt(index, &p)) << "no play " << index;
        return p;
    }

    Bytes playedBytes(uint32_t index) {
        PlatformSoundPlay p = play(index);
        return p.samples ? Bytes(p.samples, p.samples + p.length) : Bytes{};
    }

    HMODULE library = nullptr;
    const SoundHarness* h = nullptr;
    std::vector<NativeResource> entries;
    NativeResourceTable table{};
    char moduleTag = 0;
};
