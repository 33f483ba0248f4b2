// The sound player: every row of its failure table as a run of calls against a freshly
// loaded player, the lost-buffer recovery and the failed refill, and the cache (one buffer
// per sound, made once, all 32 bits of the id compared, never more entries than it holds).
#include "harness_fixture.h"

namespace {

struct Step {
    enum Kind { play, lose, inject, clear } kind;
    int32_t id = 0;
    int32_t result = 0;  // play: expected result and soundStatus
    int32_t status = 0;
    PlatformSoundFault fault = platformSoundFaultCount;
    HRESULT faultResult = DS_OK;
    uint32_t passing = 0;
};

Step playing(int32_t id, int32_t result, int32_t status) { return {Step::play, id, result, status}; }
Step loseBuffers() { return {Step::lose}; }
Step injecting(PlatformSoundFault f, HRESULT r, uint32_t passing = 0) {
    return {Step::inject, 0, 0, 0, f, r, passing};
}
Step clearing(PlatformSoundFault f) { return {Step::clear, 0, 0, 0, f}; }

struct Scenario {
    const char* reason;
    std::vector<Step> steps;
    std::vector<uint16_t> started;  // the sounds that started, in order
    uint32_t cached;                // cache entries at the end
};

const int32_t lost = DSERR_BUFFERLOST;

const std::vector<Scenario>& scenarios() {
    static const std::vector<Scenario> s = {
        {"sound started", {playing(goodSound, 0, 0)}, {goodSound}, 1},
        {"the device cannot be created: its result, then -4 on every later call, never created again",
         {injecting(platformSoundDeviceCreation, DSERR_NODRIVER), playing(goodSound, DSERR_NODRIVER, DSERR_NODRIVER),
          clearing(platformSoundDeviceCreation), playing(goodSound, -4, -4), playing(otherSound, -4, -4)},
         {},
         0},
        {"the cooperative level is refused: -1 and the refusal's result; the device stays for later calls",
         {injecting(platformSoundCooperativeLevel, DSERR_ALLOCATED), playing(goodSound, DSERR_ALLOCATED, -1),
          playing(goodSound, 0, 0)},
         {goodSound},
         1},
        {"an id with no resource: -5 on every call, never cached",
         {playing(missingSound, -5, -5), playing(missingSound, -5, -5)}, {}, 0},
        {"a resource the reader rejects: -5", {playing(truncatedData, -5, -5), playing(shortFormat, -5, -5)}, {}, 0},
        {"a refused buffer: -5, and the next call tries the creation again",
         {injecting(platformSoundBufferCreation, DSERR_OUTOFMEMORY), playing(goodSound, -5, -5),
          clearing(platformSoundBufferCreation), playing(goodSound, 0, 0)},
         {goodSound},
         1},
        {"Play fails: -3 with Play's result; the buffer stays cached",
         {injecting(platformSoundPlay, DSERR_PRIOLEVELNEEDED), playing(goodSound, DSERR_PRIOLEVELNEEDED, -3),
          clearing(platformSoundPlay), playing(goodSound, 0, 0)},
         {goodSound},
         1},
        {"a lost buffer is restored, refilled and started again within the call",
         {playing(goodSound, 0, 0), loseBuffers(), playing(goodSound, 0, 0)}, {goodSound, goodSound}, 1},
        {"a lost buffer whose restore fails: the restore's result",
         {playing(goodSound, 0, 0), loseBuffers(), injecting(platformSoundRestore, DSERR_OUTOFMEMORY),
          playing(goodSound, DSERR_OUTOFMEMORY, DSERR_OUTOFMEMORY)},
         {goodSound},
         1},
        {"a lost buffer whose refill cannot copy: a failed play, -3 with the buffer-lost result",
         {playing(goodSound, 0, 0), loseBuffers(), injecting(platformSoundLock, DSERR_INVALIDCALL),
          playing(goodSound, lost, -3)},
         {goodSound},
         1},
        {"a lost buffer whose refill cannot restore: a failed play, -3 with the buffer-lost result",
         {playing(goodSound, 0, 0), loseBuffers(), injecting(platformSoundRestore, DSERR_OUTOFMEMORY, 1),
          playing(goodSound, lost, -3)},
         {goodSound},
         1},
        {"a lost buffer refilled whose second Play fails: that Play's result",
         {playing(goodSound, 0, 0), loseBuffers(), injecting(platformSoundPlay, DSERR_PRIOLEVELNEEDED),
          playing(goodSound, DSERR_PRIOLEVELNEEDED, DSERR_PRIOLEVELNEEDED)},
         {goodSound},
         1},
        {"a sound lost and recovered plays on: the next call is a plain start",
         {playing(goodSound, 0, 0), loseBuffers(), playing(goodSound, 0, 0), playing(goodSound, 0, 0)},
         {goodSound, goodSound, goodSound},
         1},
    };
    return s;
}

TEST_F(SoundPathTest, PlaySoundEndsEveryPathWithItsResultAndStatus) {
    for (const Scenario& sc : scenarios()) {
        SCOPED_TRACE(sc.reason);
        reload();
        int call = 0;
        for (const Step& step : sc.steps) {
            switch (step.kind) {
            case Step::play: {
                ++call;
                int32_t result = h->playSound(step.id);
                EXPECT_EQ(result, step.result) << "call " << call;
                EXPECT_EQ(*h->soundStatus, step.status) << "call " << call;
                break;
            }
            case Step::lose: platformSoundLoseBuffers(); break;
            case Step::inject: platformSoundInjectFault(step.fault, step.faultResult, step.passing); break;
            case Step::clear: platformSoundClearFault(step.fault); break;
            }
        }
        ASSERT_EQ(platformSoundPlayCount(), sc.started.size());
        for (uint32_t i = 0; i < sc.started.size(); ++i) {
            EXPECT_EQ(play(i).startPosition, 0u) << "play " << i << " did not start at the beginning";
            EXPECT_EQ(playedBytes(i), testResource(sc.started[i]).samples) << "play " << i << " played other bytes";
        }
        EXPECT_EQ(h->cache->count, sc.cached);
        EXPECT_LE(counts().devicesCreated, 1u) << "the device is made at most once per load";
    }
}

TEST_F(SoundPathTest, TheFirstCallOpensTheDeviceForTheForegroundWindow) {
    HWND front = reinterpret_cast<HWND>(uintptr_t(0x4711));
    platformSoundSetForegroundWindow(front);
    ASSERT_EQ(h->playSound(goodSound), 0);
    platformSoundSetForegroundWindow(reinterpret_cast<HWND>(uintptr_t(0x4712)));
    ASSERT_EQ(h->playSound(otherSound), 0);

    PlatformSoundCounts c = counts();
    EXPECT_EQ(c.devicesCreated, 1u);
    EXPECT_EQ(c.cooperativeLevelCalls, 1u) << "the level is set once, at the first call";
    EXPECT_EQ(c.cooperativeWindow, front);
    EXPECT_EQ(c.cooperativeLevel, DSSCL_NORMAL);
}

TEST_F(SoundPathTest, TheCacheMakesOneBufferPerSoundAndRewindsIt) {
    const int32_t clicks[] = {goodSound, goodSound, otherSound, goodSound, otherSound};
    for (int32_t id : clicks) ASSERT_EQ(h->playSound(id), 0);

    EXPECT_EQ(counts().buffersCreated, 2u) << "a buffer is made by the first click of each sound only";
    ASSERT_EQ(h->cache->count, 2u);
    EXPECT_EQ(h->cache->ids[0], goodSound) << "entries in the order their buffers were made";
    EXPECT_EQ(h->cache->ids[1], otherSound);
    ASSERT_EQ(platformSoundPlayCount(), 5u);
    const void* good = play(0).buffer;
    const void* other = play(2).buffer;
    EXPECT_NE(good, other) << "two sounds have two buffers and can sound together";
    const void* expected[] = {good, good, other, good, other};
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(play(i).buffer, expected[i]) << "click " << i;
        EXPECT_EQ(play(i).startPosition, 0u) << "click " << i << " was not rewound";
    }
}

TEST_F(SoundPathTest, TheCacheComparesAllThirtyTwoBitsOfTheId) {
    // 0x10001 names resource 1 too, but is a sound of its own.
    ASSERT_EQ(h->playSound(goodSound), 0);
    ASSERT_EQ(h->playSound(0x10000 | goodSound), 0);
    ASSERT_EQ(h->cache->count, 2u);
    EXPECT_EQ(h->cache->ids[1], 0x10000 | goodSound);
    EXPECT_NE(play(0).buffer, play(1).buffer);
    EXPECT_EQ(playedBytes(1), testResource(goodSound).samples);
}

TEST_F(SoundPathTest, TheCacheNeverHoldsMoreThanItsCapacity) {
    // Every id below names resource 1 by its low 16 bits; each is a sound of its own.
    std::vector<int32_t> ids;
    for (uint32_t i = 0; i <= harnessCacheCapacity; ++i) ids.push_back(int32_t((i << 16) | goodSound));
    for (uint32_t i = 0; i < harnessCacheCapacity; ++i) ASSERT_EQ(h->playSound(ids[i]), 0) << "sound " << i;
    const void* first = play(0).buffer;

    EXPECT_EQ(h->playSound(ids[harnessCacheCapacity]), -5) << "a new sound with every entry taken is refused";
    EXPECT_EQ(*h->soundStatus, -5);
    EXPECT_EQ(h->cache->count, harnessCacheCapacity);
    EXPECT_EQ(counts().buffersCreated, harnessCacheCapacity) << "no buffer is made for a sound that cannot be kept";
    EXPECT_EQ(h->guard[0], harnessGuardWord) << "written past the cache";
    EXPECT_EQ(h->guard[1], harnessGuardWord) << "written past the cache";
    for (uint32_t i = 0; i < harnessCacheCapacity; ++i) EXPECT_EQ(h->cache->ids[i], ids[i]) << "entry " << i;

    ASSERT_EQ(h->playSound(ids[0]), 0) << "the kept sounds still play";
    EXPECT_EQ(play(platformSoundPlayCount() - 1).buffer, first);
}

}  // namespace

TEST_F(SoundPathTest, ThePlayLogKeepsTheLatestPlaysOnly) {
    // A panel running for hours must not keep every click it ever heard.
    const uint32_t plays = platformSoundLogCapacity + 10;
    for (uint32_t i = 0; i < plays; ++i) ASSERT_EQ(h->playSound(i % 2 ? otherSound : goodSound), 0) << "play " << i;

    EXPECT_EQ(platformSoundPlayCount(), plays) << "the count is of every play since the reset";
    EXPECT_EQ(platformSoundFirstKept(), 10u);
    PlatformSoundPlay p{};
    EXPECT_FALSE(platformSoundPlayAt(9, &p)) << "the oldest plays are dropped";
    EXPECT_FALSE(platformSoundPlayAt(plays, &p));
    EXPECT_EQ(play(10).sequence, 11u) << "kept plays keep their numbers";
    EXPECT_EQ(play(plays - 1).sequence, plays);
    EXPECT_EQ(playedBytes(plays - 1), testResource(otherSound).samples) << "the latest play keeps its samples";
    EXPECT_EQ(playedBytes(10), testResource(goodSound).samples);

    platformSoundReset();
    EXPECT_EQ(platformSoundPlayCount(), 0u);
    EXPECT_EQ(platformSoundFirstKept(), 0u);
}
