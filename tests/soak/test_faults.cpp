// Test: every platform failure injected while every rectangle of every module is clicked.
// Uses the panel host and the platform stand-ins' controls.
//
// Platform failures under clicks: every gauge module in one panel host, every failure the
// platform can give the sound path (device, cooperative level, buffer, lock, play, lost buffer,
// restore) and the magneto block (file mapping, view) injected natively, and every mouse
// rectangle of every module clicked twice. A sound failure is silent: each click's other work
// (key events, switch states, icons, texts) must be exactly what it is without the failure.
// Without a magneto block the cluster shows its absent state and sends nothing, and the other
// gauges are not touched.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "host/panel.h"
#include "platform/native/sharedmem_control.h"
#include "platform/native/sound_control.h"

namespace {

std::vector<std::string> modulePaths() {
    std::vector<std::string> out;
    std::string list = GAUGE_MODULES;
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        if (end > start) out.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

// What one click did: the rectangle, the key events and commands it caused, and the values of
// every element of its gauge after the next update.
struct ClickRecord {
    std::string module;
    int rect;
    std::string sent;
    std::string shown;
};

// The magneto cluster's icons, known by their images: engine 1 and 2 selectors and the lever.
bool magnetoIcon(const ElementHeader* e) {
    return e->kind == Icon && (e->imageId == 1600 || e->imageId == 1800 || e->imageId == 2000);
}

std::string shownBy(const host::Gauge& g) {
    std::ostringstream out;
    for (const host::InstalledElement& item : g.elements) {
        const ElementHeader* e = item.header;
        if (e->kind == Icon)
            out << item.number << "=" << reinterpret_cast<const IconElement*>(e)->variable.value << " ";
        else if (e->kind == String)
            out << item.number << "='" << reinterpret_cast<const StringElement*>(e)->textBuffer << "' ";
        else if (e->kind == MovingImage)
            out << item.number << "=" << reinterpret_cast<const MovingImageElement*>(e)->xVariable.value << " ";
    }
    return out.str();
}

struct PanelRun {
    std::vector<ClickRecord> clicks;
    PlatformSoundCounts counts{};
    uint32_t plays = 0;
    int magnetoViewsWhileInstalled = 0;
    bool clusterShowedAbsentBlock = true;  // selectors at 0, lever at 1 after every update
};

// Loads every module into a fresh panel (fresh sound device and no magneto block), then clicks
// every rectangle of every module twice, calling `beforeClick` with the round (0 or 1) before
// each click.
PanelRun clickEverything(const std::function<void()>& setUp, const std::function<void(int round)>& beforeClick) {
    platformSoundReset();
    platformResetFileMappings();
    setUp();
    PanelRun run;
    host::Panel panel;
    std::vector<host::Module*> modules;
    for (const std::string& path : modulePaths()) {
        std::string error;
        host::Module* m = panel.load(path, error);
        EXPECT_NE(m, nullptr) << error;
        if (!m) return run;
        panel.query(*m);
        panel.install(*m);
        panel.initialize(*m);
        modules.push_back(m);
    }
    // The magneto block follows the simulator only while the sync condition is 1; here it
    // does not, so the clicks alone move the selectors.
    panel.variables.set(131, 0);
    panel.variables.set(166, 0);
    run.magnetoViewsWhileInstalled = platformFileMappingViewCount("P9VMagnetoSharedMemoryObject");
    auto updateAll = [&] {
        for (host::Module* m : modules) panel.update(*m);
        for (host::Module* m : modules)
            for (const host::InstalledElement& item : m->gauge.elements)
                if (magnetoIcon(item.header)) {
                    double v = reinterpret_cast<const IconElement*>(item.header)->variable.value;
                    if (v != (item.header->imageId == 2000 ? 1.0 : 0.0)) run.clusterShowedAbsentBlock = false;
                }
    };
    updateAll();
    for (int round = 0; round < 2; ++round)
        for (host::Module* m : modules) {
            for (int i = 1; m->gauge.mouseList && m->gauge.mouseList[i].rectType == ChildRect; ++i) {
                const MouseRect& r = m->gauge.mouseList[i];
                size_t before = panel.events.size();
                beforeClick(round);
                panel.click(*m, r.x + r.width / 2, r.y + r.height / 2);
                updateAll();
                std::ostringstream sent;
                for (size_t e = before; e < panel.events.size(); ++e)
                    if (panel.events[e].kind != host::Event::Sound)
                        sent << (panel.events[e].kind == host::Event::KeyEvent ? "key " : "command ")
                             << panel.events[e].number << " ";
                run.clicks.push_back({m->name, i, sent.str(), shownBy(m->gauge)});
            }
        }
    platformSoundGetCounts(&run.counts);
    run.plays = platformSoundPlayCount();
    return run;
}

const PanelRun& reference() {
    static const PanelRun run = clickEverything([] {}, [](int) {});
    return run;
}

std::string where(const ClickRecord& c) { return c.module + " rect " + std::to_string(c.rect); }

TEST(FaultFree, EveryModuleClickedAndHeard) {
    const PanelRun& r = reference();
    ASSERT_EQ(modulePaths().size(), 5u) << "all five gauge modules should be built";
    ASSERT_FALSE(r.clicks.empty());
    EXPECT_GT(r.plays, 0u) << "no sound started: the faults below would prove nothing";
    EXPECT_EQ(r.magnetoViewsWhileInstalled, 2) << "both overheads map the magneto block";
    EXPECT_FALSE(r.clusterShowedAbsentBlock) << "the clicks never moved the magneto cluster";
}

// ---- sound failures: silent, and nothing else changes ----

struct SoundCase {
    const char* name;
    std::function<void()> setUp;        // before the modules are loaded
    std::function<void(int)> beforeClick;  // before every click, given the round
    // That the failure happened, read from what was asked of the stand-in.
    std::function<bool(const PanelRun&)> tookEffect;
};

void injectNow(PlatformSoundFault f, HRESULT r, uint32_t passing) { platformSoundInjectFault(f, r, passing); }

const SoundCase soundCases[] = {
    {"device creation fails", [] { injectNow(platformSoundDeviceCreation, DSERR_NODRIVER, 0); }, [](int) {},
     [](const PanelRun& r) { return r.counts.devicesCreated == 0 && r.plays == 0; }},
    {"device creation fails for the second sound module only",
     [] { injectNow(platformSoundDeviceCreation, DSERR_ALLOCATED, 1); }, [](int) {},
     [](const PanelRun& r) { return r.counts.devicesCreated == 1 && r.plays > 0; }},
    {"cooperative level refused (the device stays and plays)",
     [] { injectNow(platformSoundCooperativeLevel, DSERR_PRIOLEVELNEEDED, 0); }, [](int) {},
     [](const PanelRun& r) { return r.counts.cooperativeLevelCalls >= 3 && r.plays > 0; }},
    {"buffer creation refused", [] { injectNow(platformSoundBufferCreation, DSERR_OUTOFMEMORY, 0); }, [](int) {},
     [](const PanelRun& r) { return r.counts.buffersCreated == 0 && r.plays == 0; }},
    {"buffer creation refused after two buffers", [] { injectNow(platformSoundBufferCreation, DSERR_OUTOFMEMORY, 2); },
     [](int) {}, [](const PanelRun& r) { return r.counts.buffersCreated == 2; }},
    {"lock refused (every new buffer is released again)", [] { injectNow(platformSoundLock, DSERR_INVALIDCALL, 0); },
     [](int) {}, [](const PanelRun& r) { return r.counts.buffersLive == 0 && r.plays == 0; }},
    {"lock refused after three", [] { injectNow(platformSoundLock, DSERR_INVALIDCALL, 3); }, [](int) {},
     [](const PanelRun& r) { return r.counts.lockCalls > 3 && r.plays > 0; }},
    {"play refused", [] { injectNow(platformSoundPlay, DSERR_INVALIDCALL, 0); }, [](int) {},
     [](const PanelRun& r) { return r.counts.playCalls > 0 && r.plays == 0; }},
    {"every buffer lost before every click (restored and refilled)", [] {}, [](int) { platformSoundLoseBuffers(); },
     [](const PanelRun& r) { return r.counts.restoreCalls > 0 && r.plays > 0; }},
    {"buffers lost and restore refused", [] { injectNow(platformSoundRestore, DSERR_BUFFERLOST, 0); },
     [](int) { platformSoundLoseBuffers(); }, [](const PanelRun& r) { return r.counts.restoreCalls > 0; }},
    {"buffers lost, first restore passes, the refill's restore refused",
     [] {},
     [](int) {
         platformSoundLoseBuffers();
         injectNow(platformSoundRestore, DSERR_BUFFERLOST, 1);
     },
     [](const PanelRun& r) { return r.counts.restoreCalls > 0; }},
    {"buffers made in the first round, then lost and the refill's lock refused",
     [] {},
     [](int round) {
         if (round == 0) return;
         platformSoundLoseBuffers();
         injectNow(platformSoundLock, DSERR_BUFFERLOST, 0);
     },
     [](const PanelRun& r) { return r.counts.restoreCalls > 0; }},
};

void PrintTo(const SoundCase& c, std::ostream* out) { *out << c.name; }

class SoundFault : public testing::TestWithParam<SoundCase> {};

TEST_P(SoundFault, ClickWorkIsDoneRegardless) {
    const SoundCase& c = GetParam();
    const PanelRun& expected = reference();
    PanelRun got = clickEverything(c.setUp, c.beforeClick);
    EXPECT_TRUE(c.tookEffect(got)) << c.name << ": the failure was never met (plays " << got.plays << ", restores "
                                   << got.counts.restoreCalls << ")";
    ASSERT_EQ(got.clicks.size(), expected.clicks.size()) << c.name;
    for (size_t i = 0; i < got.clicks.size(); ++i) {
        EXPECT_EQ(got.clicks[i].sent, expected.clicks[i].sent) << c.name << ": " << where(got.clicks[i]);
        EXPECT_EQ(got.clicks[i].shown, expected.clicks[i].shown) << c.name << ": " << where(got.clicks[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFailure, SoundFault, testing::ValuesIn(soundCases),
                         [](const testing::TestParamInfo<SoundCase>& p) { return std::to_string(p.index); });

// ---- magneto block failures: the block is absent, the rest is untouched ----

struct MappingCase {
    const char* name;
    std::function<void()> setUp;
    int viewsExpected;  // -1: no object was ever made
};

const MappingCase mappingCases[] = {
    {"file mapping creation fails", [] { platformFailFileMappingCreation(ERROR_ACCESS_DENIED); }, -1},
    {"file mapping creation runs out of memory", [] { platformFailFileMappingCreation(ERROR_NOT_ENOUGH_MEMORY); }, -1},
    {"view mapping fails", [] { platformFailFileMappingViews(ERROR_NOT_ENOUGH_MEMORY); }, 0},
};

void PrintTo(const MappingCase& c, std::ostream* out) { *out << c.name; }

class MappingFault : public testing::TestWithParam<MappingCase> {};

bool magnetoEvent(uint32_t k) { return k >= 65927 && k <= 65938 && k != 65931 && k != 65937; }

TEST_P(MappingFault, ClusterAbsentOtherGaugesUntouched) {
    const MappingCase& c = GetParam();
    const PanelRun& expected = reference();
    PanelRun got = clickEverything(c.setUp, [](int) {});
    platformFailFileMappingCreation(0);
    platformFailFileMappingViews(0);
    EXPECT_EQ(got.magnetoViewsWhileInstalled, c.viewsExpected) << c.name;
    EXPECT_TRUE(got.clusterShowedAbsentBlock) << c.name << ": selectors must show 0 and the lever 1 without a block";
    ASSERT_EQ(got.clicks.size(), expected.clicks.size()) << c.name;
    for (size_t i = 0; i < got.clicks.size(); ++i) {
        const ClickRecord& g = got.clicks[i];
        if (g.module == "fo_overhead" || g.module == "captain_overhead") {
            std::istringstream sent(g.sent);
            std::string kind;
            uint32_t number;
            while (sent >> kind >> number)
                EXPECT_FALSE(kind == "key" && magnetoEvent(number))
                    << c.name << ": " << where(g) << " sent magneto event " << number << " without a block";
        } else {
            EXPECT_EQ(g.sent, expected.clicks[i].sent) << c.name << ": " << where(g);
            EXPECT_EQ(g.shown, expected.clicks[i].shown) << c.name << ": " << where(g);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFailure, MappingFault, testing::ValuesIn(mappingCases),
                         [](const testing::TestParamInfo<MappingCase>& p) { return std::to_string(p.index); });

}  // namespace
