// The magneto cluster both overheads share, driven through each built module: the block's
// opening, synchronisation and release at their places in install, update and kill, the
// selectors' steps along the icon order 0, 2, 1, 3, the ignition cut lever, the laws of their
// icons, the block shared between the two modules, and the cluster without a block.
#include <cmath>
#include <limits>

#include "fake_panel.h"

namespace {

using namespace bench;

constexpr const char* blockName = "P9VMagnetoSharedMemoryObject";

// Both modules place the cluster at the same element and rectangle numbers.
constexpr int leverIcon = 13, engine2Icon = 14, engine1Icon = 15;
constexpr int engine1Up = 5, engine1Down = 6, engine2Up = 7, engine2Down = 8, cutRect = 9, restoreRect = 10;

struct Cluster {
    Overhead module;
    int32_t magnetoClick;
    int32_t ignitionCutSound;
};

std::ostream& operator<<(std::ostream& out, const Cluster& c) { return out << c.module.name; }

const Cluster clusters[] = {{firstOfficer, 9101, 9501}, {captain, 9201, 9901}};

class MagnetoCluster : public testing::TestWithParam<Cluster> {
protected:
    void SetUp() override { freshProcessState(); }

    const Cluster& c() const { return GetParam(); }

    // Clicks rectangle `rect` and returns its result, keeping what it sent and played.
    int32_t click(Module& m, int rect) {
        panel().clearLog();
        uint32_t mark = platformSoundPlayCount();
        int32_t result = m.click(rect);
        sounds = soundsSince(mark, m.handle());
        return result;
    }

    std::vector<int32_t> sounds;
};

struct InstallExpectation {
    const char* service;
    uint32_t token;  // for the variable services
};

TEST_P(MagnetoCluster, InstallOpensBindsAndSynchronisesBeforeTheMouseList) {
    Module m(c().module.path);
    ASSERT_TRUE(m.loaded());
    panel().setDouble(131, 1.0);
    panel().setInteger(132, 3);
    EXPECT_EQ(m.install(), 1);
    const InstallExpectation expected[] = {
        {"installElements", 0}, {"bindVariable", 132}, {"bindVariable", 167}, {"bindVariable", 131},
        {"bindVariable", 166},  {"readVariable", 131}, {"readVariable", 132}, {"readVariable", 166},
        {"readVariable", 167},  {"registerMouseList", 0}, {"installMouseList", 0},
    };
    const auto& calls = panel().calls;
    ASSERT_EQ(calls.size(), std::size(expected)) << testing::PrintToString(panel().serviceNames());
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].service, expected[i].service) << "step " << i;
        if (expected[i].token) {
            EXPECT_EQ(calls[i].word, expected[i].token) << "step " << i;
        }
    }
    EXPECT_EQ(panel().mouseWord, HostWord(0x7004)) << "registered against the root's host word plus 4";
    EXPECT_EQ(platformFileMappingViewCount(blockName), 1);
    BlockView block;
    EXPECT_EQ(block->engine1Magneto, 3) << "engine 1 synchronised at install (condition 1.0)";
    EXPECT_EQ(block->engine2Magneto, 0) << "engine 2's condition is 0.0";
    m.kill();
}

TEST_P(MagnetoCluster, FreshBlockShowsSelectorsAtZeroAndIgnitionNotCut) {
    Module m(c().module.path);
    m.install();
    BlockView block;
    EXPECT_EQ(block->engine1Magneto, 0);
    EXPECT_EQ(block->engine2Magneto, 0);
    EXPECT_EQ(block->ignitionCut, 0);
    EXPECT_EQ(m.evaluate(engine1Icon), 0.0);
    EXPECT_EQ(m.evaluate(engine2Icon), 0.0);
    EXPECT_EQ(m.evaluate(leverIcon), 0.0);
    m.kill();
}

TEST_P(MagnetoCluster, UpdateSynchronisesThenHoldsACutIgnitionThenUpdatesElements) {
    Module m(c().module.path);
    m.install();
    BlockView block;
    block->ignitionCut = 1;
    panel().setDouble(131, 1.0);
    panel().setInteger(132, 2);
    panel().setDouble(166, 1.0);
    panel().setInteger(167, 3);
    panel().clearLog();
    m.update();
    const std::vector<std::string> order = {"readVariable", "readVariable", "readVariable", "readVariable",
                                            "updateElements"};
    EXPECT_EQ(panel().serviceNames(), order);
    EXPECT_EQ(block->engine1Magneto, 0) << "copied in, then held at 0 while cut";
    EXPECT_EQ(block->engine2Magneto, 0);
    EXPECT_TRUE(panel().keyEvents.empty()) << "the hold tells the simulator nothing";

    block->ignitionCut = 0;
    m.update();
    EXPECT_EQ(block->engine1Magneto, 2);
    EXPECT_EQ(block->engine2Magneto, 3);
    m.kill();
}

TEST_P(MagnetoCluster, KillReleasesTheViewAndReinstallShowsTheSamePositions) {
    Module m(c().module.path);
    m.install();
    m.click(engine1Up);  // 0 -> 2
    m.click(engine2Up);
    m.click(engine2Up);  // 0 -> 2 -> 1
    panel().clearLog();
    m.kill();
    const std::vector<std::string> order = {"unregisterMouseList", "killElements"};
    EXPECT_EQ(panel().serviceNames(), order);
    EXPECT_EQ(platformFileMappingViewCount(blockName), 0) << "the module's view is unmapped";
    m.install();
    EXPECT_EQ(m.evaluate(engine1Icon), 1.0) << "value 2 shows at index 1";
    EXPECT_EQ(m.evaluate(engine2Icon), 2.0) << "value 1 shows at index 2";
    m.kill();
}

struct StepCase {
    int32_t start;
    bool up;
    int32_t after;
    int eventOffset;  // -1: no event
    int32_t result;
    const char* reason;
};

const StepCase stepCases[] = {
    {0, true, 2, 2, 1, "up from 0 goes to 2"},
    {2, true, 1, 1, 1, "up from 2 goes to 1"},
    {1, true, 3, 3, 1, "up from 1 goes to 3"},
    {3, true, 3, 3, 1, "up at the end stays 3 and sends 3 again"},
    {3, false, 1, 1, 1, "down from 3 goes to 1"},
    {1, false, 2, 2, 1, "down from 1 goes to 2"},
    {2, false, 0, 0, 1, "down from 2 goes to 0"},
    {0, false, 0, 0, 1, "down at the end stays 0 and sends 0 again"},
    {4, true, 4, -1, 0, "a value from outside 0 to 3 is not moved"},
    {-1, false, -1, -1, 0, "a negative value is not moved"},
    {std::numeric_limits<int32_t>::min(), true, std::numeric_limits<int32_t>::min(), -1, 0,
     "the most negative value is not moved"},
};

TEST_P(MagnetoCluster, SelectorsStepAlongTheIconOrderForBothEngines) {
    Module m(c().module.path);
    m.install();
    BlockView block;
    struct Engine {
        int32_t BlockPeek::*field;
        int up, down;
        uint32_t base;
    };
    const Engine engines[] = {{&BlockPeek::engine1Magneto, engine1Up, engine1Down, 65927},
                              {&BlockPeek::engine2Magneto, engine2Up, engine2Down, 65933}};
    for (const Engine& e : engines) {
        for (const StepCase& s : stepCases) {
            SCOPED_TRACE(testing::Message() << "engine base " << e.base << ": " << s.reason);
            (*block).*e.field = s.start;
            int32_t other = e.base == 65927 ? block->engine2Magneto : block->engine1Magneto;
            EXPECT_EQ(click(m, s.up ? e.up : e.down), s.result);
            EXPECT_EQ((*block).*e.field, s.after);
            EXPECT_EQ(other, e.base == 65927 ? block->engine2Magneto : block->engine1Magneto)
                << "the other engine is untouched";
            std::vector<uint32_t> events;
            if (s.eventOffset >= 0) events.push_back(e.base + uint32_t(s.eventOffset));
            EXPECT_EQ(panel().keyEvents, events);
            EXPECT_EQ(sounds, std::vector<int32_t>{c().magnetoClick}) << "the click plays on every step";
        }
    }
    m.kill();
}

TEST_P(MagnetoCluster, SelectorLawShowsValuesInIconOrder) {
    Module m(c().module.path);
    m.install();
    BlockView block;
    const std::pair<int32_t, double> shown[] = {{0, 0.0}, {1, 2.0}, {2, 1.0}, {3, 3.0},
                                                {4, 3.0}, {-1, 3.0}, {1000000, 3.0}};
    for (auto [value, index] : shown) {
        block->engine1Magneto = value;
        block->engine2Magneto = value;
        EXPECT_EQ(m.evaluate(engine1Icon), index) << "engine 1 value " << value;
        EXPECT_EQ(m.evaluate(engine2Icon), index) << "engine 2 value " << value;
    }
    block->engine1Magneto = 1;
    block->engine2Magneto = 0;
    EXPECT_EQ(m.evaluate(engine1Icon), 2.0) << "each selector reads its own engine";
    EXPECT_EQ(m.evaluate(engine2Icon), 0.0);
    m.kill();
}

TEST_P(MagnetoCluster, OutOfRangeValueFromTheSimulatorIsKeptUntilTheNextSync) {
    Module m(c().module.path);
    m.install();
    BlockView block;
    panel().setDouble(131, 1.0);
    panel().setInteger(132, 9);
    m.update();
    EXPECT_EQ(block->engine1Magneto, 9) << "stored as is";
    EXPECT_EQ(m.evaluate(engine1Icon), 3.0);
    EXPECT_EQ(click(m, engine1Up), 0);
    EXPECT_TRUE(panel().keyEvents.empty());
    panel().setInteger(132, 1);
    m.update();
    EXPECT_EQ(click(m, engine1Up), 1) << "a valid value moves again";
    EXPECT_EQ(block->engine1Magneto, 3);
    m.kill();
}

TEST_P(MagnetoCluster, CutZeroesBothMagnetosOnceAndRestoreOnlyClearsTheFlag) {
    Module m(c().module.path);
    m.install();
    BlockView block;
    block->engine1Magneto = 3;
    block->engine2Magneto = 3;

    EXPECT_EQ(click(m, cutRect), 0);
    EXPECT_EQ(block->ignitionCut, 1);
    EXPECT_EQ(block->engine1Magneto, 0);
    EXPECT_EQ(block->engine2Magneto, 0);
    EXPECT_EQ(panel().keyEvents, (std::vector<uint32_t>{65932, 65938}));
    EXPECT_EQ(sounds, std::vector<int32_t>{c().ignitionCutSound});
    EXPECT_EQ(m.evaluate(leverIcon), 1.0);

    block->engine1Magneto = 2;  // a selector moved since
    EXPECT_EQ(click(m, cutRect), 0);
    EXPECT_TRUE(panel().keyEvents.empty()) << "cutting a cut ignition only plays the sound";
    EXPECT_EQ(block->engine1Magneto, 2);
    EXPECT_EQ(sounds, std::vector<int32_t>{c().ignitionCutSound});

    block->engine1Magneto = 0;
    EXPECT_EQ(click(m, restoreRect), 0);
    EXPECT_EQ(block->ignitionCut, 0);
    EXPECT_TRUE(panel().keyEvents.empty());
    EXPECT_EQ(sounds, std::vector<int32_t>{c().magnetoClick});
    EXPECT_EQ(block->engine1Magneto, 0) << "the magnetos stay at 0";
    EXPECT_EQ(m.evaluate(leverIcon), 0.0);

    EXPECT_EQ(click(m, restoreRect), 0);
    EXPECT_EQ(block->ignitionCut, 0);
    EXPECT_EQ(sounds, std::vector<int32_t>{c().magnetoClick});
    m.kill();
}

TEST_P(MagnetoCluster, WhileCutAStepIsSentButTheNextUpdateForcesZero) {
    Module m(c().module.path);
    m.install();
    BlockView block;
    click(m, cutRect);
    EXPECT_EQ(click(m, engine1Up), 1);
    EXPECT_EQ(block->engine1Magneto, 2);
    EXPECT_EQ(panel().keyEvents, std::vector<uint32_t>{65929});
    m.update();
    EXPECT_EQ(block->engine1Magneto, 0);
    EXPECT_EQ(m.evaluate(engine1Icon), 0.0);
    m.kill();
}

TEST_P(MagnetoCluster, RestoreThenSyncTakesTheSimulatorsValues) {
    Module m(c().module.path);
    m.install();
    BlockView block;
    click(m, cutRect);
    click(m, restoreRect);
    panel().setDouble(131, 1.0);
    panel().setInteger(132, 3);
    panel().setDouble(166, 1.0);
    panel().setInteger(167, 2);
    m.update();
    EXPECT_EQ(block->engine1Magneto, 3);
    EXPECT_EQ(block->engine2Magneto, 2);
    m.kill();
}

struct ConditionCase {
    double condition;
    bool copies;
    const char* reason;
};

TEST_P(MagnetoCluster, SyncFollowsTheSimulatorOnlyWhileItsConditionIsExactlyOne) {
    const ConditionCase cases[] = {
        {1.0, true, "exactly 1.0"},
        {0.0, false, "0.0: the selectors keep what was clicked"},
        {std::nextafter(1.0, 0.0), false, "just below 1.0"},
        {std::nextafter(1.0, 2.0), false, "just above 1.0"},
        {2.0, false, "2.0"},
        {-1.0, false, "-1.0"},
        {std::numeric_limits<double>::quiet_NaN(), false, "not a number"},
    };
    Module m(c().module.path);
    m.install();
    BlockView block;
    for (const ConditionCase& k : cases) {
        SCOPED_TRACE(k.reason);
        block->engine1Magneto = 1;
        block->engine2Magneto = 1;
        panel().setDouble(131, k.condition);
        panel().setInteger(132, 3);
        panel().setDouble(166, k.condition);
        panel().setInteger(167, 2);
        m.update();
        EXPECT_EQ(block->engine1Magneto, k.copies ? 3 : 1);
        EXPECT_EQ(block->engine2Magneto, k.copies ? 2 : 1);
    }
    panel().setDouble(131, 1.0);
    panel().setDouble(166, 0.0);
    m.update();
    EXPECT_EQ(block->engine1Magneto, 3) << "each engine has its own condition";
    EXPECT_EQ(block->engine2Magneto, 1);
    m.kill();
}

struct BlockFault {
    const char* reason;
    bool creation;  // else mapping
};

TEST_P(MagnetoCluster, WithoutABlockTheClusterOnlyPlaysItsSounds) {
    const BlockFault faults[] = {{"creating the object fails", true}, {"mapping the view fails", false}};
    for (const BlockFault& f : faults) {
        SCOPED_TRACE(f.reason);
        freshProcessState();
        Module m(c().module.path);
        if (f.creation)
            platformFailFileMappingCreation(ERROR_ACCESS_DENIED);
        else
            platformFailFileMappingViews(ERROR_NOT_ENOUGH_MEMORY);
        panel().setDouble(131, 1.0);
        panel().setInteger(132, 3);
        m.install();
        platformFailFileMappingCreation(0);
        platformFailFileMappingViews(0);

        EXPECT_EQ(m.evaluate(engine1Icon), 0.0);
        EXPECT_EQ(m.evaluate(engine2Icon), 0.0);
        EXPECT_EQ(m.evaluate(leverIcon), 1.0) << "no block reads as cut";
        const std::pair<int, int32_t> rects[] = {{engine1Up, c().magnetoClick},   {engine1Down, c().magnetoClick},
                                                 {engine2Up, c().magnetoClick},   {engine2Down, c().magnetoClick},
                                                 {cutRect, c().ignitionCutSound}, {restoreRect, c().magnetoClick}};
        for (auto [rect, sound] : rects) {
            EXPECT_EQ(click(m, rect), 0) << "rectangle " << rect;
            EXPECT_TRUE(panel().keyEvents.empty()) << "rectangle " << rect;
            EXPECT_EQ(sounds, std::vector<int32_t>{sound}) << "rectangle " << rect;
        }
        panel().clearLog();
        m.update();
        EXPECT_EQ(panel().serviceNames().size(), 5u) << "the bindings are still refreshed";
        {
            BlockView block;
            EXPECT_EQ(block->engine1Magneto, 0) << "nothing copied into a block the module does not hold";
        }
        m.kill();
        m.install();
        EXPECT_EQ(m.evaluate(leverIcon), 0.0) << "the next install opens the block";
        m.kill();
    }
}

INSTANTIATE_TEST_SUITE_P(BothOverheads, MagnetoCluster, testing::ValuesIn(clusters),
                         [](const auto& info) { return std::string(info.param.module.name); });

// Both overheads in one process: one block, whichever installs first creates it.
class SharedBlock : public testing::Test {
protected:
    void SetUp() override { freshProcessState(); }
};

TEST_F(SharedBlock, BothOverheadsSeeTheSameBytes) {
    Module fo(firstOfficer.path);
    Module cpt(captain.path);
    fo.install();
    fo.click(engine1Up);  // 0 -> 2
    fo.click(cutRect);    // cut: both 0
    fo.click(restoreRect);
    fo.click(engine2Up);  // 0 -> 2
    cpt.install();        // finds the object and maps the same block
    EXPECT_EQ(platformFileMappingViewCount(blockName), 2);
    EXPECT_EQ(cpt.evaluate(engine1Icon), 0.0);
    EXPECT_EQ(cpt.evaluate(engine2Icon), 1.0);
    EXPECT_EQ(cpt.evaluate(leverIcon), 0.0);

    cpt.click(engine2Up);  // 2 -> 1
    EXPECT_EQ(fo.evaluate(engine2Icon), 2.0) << "the first officer shows the captain's step";
    cpt.click(cutRect);
    EXPECT_EQ(fo.evaluate(leverIcon), 1.0);

    fo.kill();
    EXPECT_EQ(platformFileMappingViewCount(blockName), 1);
    cpt.click(restoreRect);
    cpt.click(engine1Up);
    fo.install();
    EXPECT_EQ(fo.evaluate(engine1Icon), 1.0) << "re-installed, it maps the block as it is now";
    EXPECT_EQ(fo.evaluate(leverIcon), 0.0);
    fo.kill();
    cpt.kill();
}

TEST_F(SharedBlock, BlockOutlivesBothGaugesAndAFreshProcessStartsAtZero) {
    {
        Module fo(firstOfficer.path);
        fo.install();
        fo.click(engine1Up);
        fo.kill();
    }
    {
        Module cpt(captain.path);
        cpt.install();
        EXPECT_EQ(cpt.evaluate(engine1Icon), 1.0) << "the object stays for as long as the process runs";
        cpt.kill();
    }
    platformResetFileMappings();
    Module cpt(captain.path);
    cpt.install();
    EXPECT_EQ(cpt.evaluate(engine1Icon), 0.0);
    cpt.kill();
}

}  // namespace
