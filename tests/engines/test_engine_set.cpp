// The engine set module as the panel system sees it: the built native module is loaded, its
// records are read from Linkage down and its lifecycle routines are driven against a
// recording fake of the panel system's services. Needle laws are checked against the law
// file; the module's own internals are not linked.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engines/engine_set.h"
#include "engines/laws.h"
#include "frame/records.h"
#include "platform/win.h"

namespace {

// --- A recording fake of the panel system's services. ---

struct Call {
    std::string service;
    const void* record;  // the element, ModuleVar or mouse list the service was given
    uintptr_t word;      // the second argument where there is one, else 0

    bool operator==(const Call&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Call& c) {
    return out << c.service << "(" << c.record << ", " << c.word << ")";
}

struct FakePanel {
    std::vector<Call> calls;
    std::map<uint32_t, double> simulator;          // what readVariable delivers, by token
    std::function<void(ElementHeader*)> onUpdate;  // the needle work of updateElements

    static FakePanel& get() {
        static FakePanel panel;
        return panel;
    }
    static int32_t record(const char* service, const void* r, uintptr_t word = 0) {
        get().calls.push_back({service, r, word});
        return int32_t(get().calls.size());
    }

    static int32_t HOSTCALL queryElements(ElementHeader* r) { return record("queryElements", r); }
    static int32_t HOSTCALL installElements(ElementHeader* r, ModuleInstance m) {
        reinterpret_cast<StaticImageElement*>(r)->hostWords[0] = 0x5000;  // as the panel system does
        return record("installElements", r, reinterpret_cast<uintptr_t>(m));
    }
    static int32_t HOSTCALL initializeElements(ElementHeader* r) { return record("initializeElements", r); }
    static int32_t HOSTCALL updateElements(ElementHeader* r) {
        int32_t n = record("updateElements", r);
        if (get().onUpdate) get().onUpdate(r);
        return n;
    }
    static int32_t HOSTCALL generateElements(ElementHeader* r, uint32_t phase) {
        return record("generateElements", r, phase);
    }
    static int32_t HOSTCALL plotElements(ElementHeader* r) { return record("plotElements", r); }
    static int32_t HOSTCALL killElements(ElementHeader* r) { return record("killElements", r); }
    static int32_t HOSTCALL registerMouseList(MouseRect* l, GaugeHeader*, HostWord) {
        return record("registerMouseList", l);
    }
    static int32_t HOSTCALL installMouseList(MouseRect* l, GaugeHeader*) { return record("installMouseList", l); }
    static int32_t HOSTCALL unregisterMouseList(MouseRect* l, GaugeHeader*) {
        return record("unregisterMouseList", l);
    }
    static int32_t HOSTCALL panelCommand(uint32_t c) { return record("panelCommand", nullptr, c); }
    static int32_t HOSTCALL sendKeyEvent(uint32_t e, uint32_t) { return record("sendKeyEvent", nullptr, e); }
    static int32_t HOSTCALL bindVariable(ModuleVar* v) { return record("bindVariable", v); }
    static int32_t HOSTCALL readVariable(ModuleVar* v) {
        v->value = get().simulator[v->token];
        return record("readVariable", v);
    }

    static HostServices* services() {
        static HostServices s = [] {
            HostServices t{};
            t.queryElements = queryElements;
            t.installElements = installElements;
            t.initializeElements = initializeElements;
            t.updateElements = updateElements;
            t.generateElements = generateElements;
            t.plotElements = plotElements;
            t.killElements = killElements;
            t.registerMouseList = registerMouseList;
            t.installMouseList = installMouseList;
            t.unregisterMouseList = unregisterMouseList;
            t.panelCommand = panelCommand;
            t.sendKeyEvent = sendKeyEvent;
            t.bindVariable = bindVariable;
            t.readVariable = readVariable;
            return t;
        }();
        return &s;
    }
};

// --- The module, loaded once and bound to the fake. ---

class EngineSetModule : public testing::Test {
protected:
    static void SetUpTestSuite() {
        module = LoadLibraryA(MODULE_PATH);
        ASSERT_NE(module, nullptr) << MODULE_PATH;
        linkage = reinterpret_cast<LinkageRecord*>(GetProcAddress(module, "Linkage"));
        auto* imports = reinterpret_cast<ImportEntry*>(GetProcAddress(module, "ImportTable"));
        ASSERT_NE(linkage, nullptr);
        ASSERT_NE(imports, nullptr);
        imports[0].serviceTable = FakePanel::services();
        header = linkage->gaugeHeaders[0];
        root = reinterpret_cast<EngineSetRoot*>(const_cast<ElementHeader**>(header->elementList));
    }

    void SetUp() override {
        FakePanel::get() = FakePanel{};
    }

    // The elements in drawing order, following each element's one child.
    static std::vector<ElementHeader*> chain() {
        std::vector<ElementHeader*> out;
        for (ElementHeader* e = root->rootElement; e && out.size() < 100;) {
            out.push_back(e);
            if (!e->nextList) break;
            EXPECT_EQ(e->nextList[1], nullptr) << "element " << out.size() << " has more than one child";
            e = e->nextList[0];
        }
        return out;
    }

    static NeedleElement& needleWithImage(int32_t imageId) {
        for (ElementHeader* e : chain())
            if (e->kind == Needle && e->imageId == imageId) return *reinterpret_cast<NeedleElement*>(e);
        ADD_FAILURE() << "no needle " << imageId;
        static NeedleElement none{};
        return none;
    }

    static inline HMODULE module = nullptr;
    static inline LinkageRecord* linkage = nullptr;
    static inline GaugeHeader* header = nullptr;
    static inline EngineSetRoot* root = nullptr;
};

// --- The gauge header and the word it names. ---

TEST_F(EngineSetModule, HeaderNamesTheOneGauge) {
    EXPECT_EQ(linkage->gaugeHeaders[1], nullptr) << "one gauge per module";
    EXPECT_EQ(header->version, 610);
    EXPECT_STREQ(header->name, "QTX-K7M-Engine-Set-CFS-v1s");
    EXPECT_EQ(header->defaultSize, 100u) << "millimetres";
    EXPECT_EQ(header->reserved, 0);
    for (HostWord w : header->hostWords) EXPECT_EQ(w, 0u) << "the header's trailing words are the host's";
}

// elementList names one word; the companion variables are stored right after it, so a
// reader that took the word for a list would run into them.
TEST_F(EngineSetModule, CompanionsFollowTheRootWordDirectly) {
    auto* word = reinterpret_cast<const char*>(header->elementList);
    EXPECT_EQ(reinterpret_cast<const char*>(&root->oilPressureCompanion1), word + sizeof(ElementHeader*));
    EXPECT_EQ(&root->oilPressureCompanion2, &root->oilPressureCompanion1 + 1);
    EXPECT_EQ(root->oilPressureCompanion1.token, 148u);
    EXPECT_EQ(root->oilPressureCompanion2.token, 183u);
}

// --- The element chain against the gauge's element table. ---

struct FaceRow {
    int32_t imageId, x, y;
};

const FaceRow faces[] = {
    {1000, 0, 0},   {2000, 310, 0},   {3000, 620, 0},   {4000, 930, 0},
    {5000, 0, 293}, {6000, 310, 293}, {7000, 620, 293}, {8000, 930, 293},
};

enum class Law { wrap3500, wrap4000, wrap4500, wrap5000, wrap10000, manifold1, manifold2, outsideAir };

const char* lawName(Law law) {
    switch (law) {
        case Law::wrap3500: return "scaledWrap3500";
        case Law::wrap4000: return "scaledWrap4000";
        case Law::wrap4500: return "scaledWrap4500";
        case Law::wrap5000: return "scaledWrap5000";
        case Law::wrap10000: return "scaledWrap10000";
        case Law::manifold1: return "manifoldPressureValue1";
        case Law::manifold2: return "manifoldPressureValue2";
        case Law::outsideAir: return "outsideAirTemperatureValue";
    }
    return "?";
}

double expectedLaw(Law law, double raw, double companion1, double companion2) {
    switch (law) {
        case Law::wrap3500: return wrapAround(commonScale(raw), wrap3500);
        case Law::wrap4000: return wrapAround(commonScale(raw), wrap4000);
        case Law::wrap4500: return wrapAround(commonScale(raw), wrap4500);
        case Law::wrap5000: return wrapAround(commonScale(raw), wrap5000);
        case Law::wrap10000: return wrapAround(commonScale(raw), wrap10000);
        case Law::manifold1: return manifoldPressure(companion1, commonScale(raw));
        case Law::manifold2: return manifoldPressure(companion2, commonScale(raw));
        case Law::outsideAir: return outsideAirTemperature(raw);
    }
    return 0;
}

struct Row {
    int32_t x, y;
    double value;
};

struct NeedleRow {
    int32_t imageId, x, y, pivotX, pivotY;
    uint32_t token;
    Law law;
    int32_t maxDegreesPerUpdate;
    std::vector<Row> table;
    int32_t integers[2];
};

const std::vector<Row> t1{{125, 258, 0}, {40, 159, 1200}, {176, 258, 3500}};
const std::vector<Row> t2{{358, 190, 500}, {460, 38, 2250}, {558, 88, 3150}, {560, 212, 4200}, {498, 260, 5000}};

// In chain order: engine 2's needle before engine 1's in every pair.
const NeedleRow needles[] = {
    {1200, 150, 153, 10, 10, 171, Law::wrap3500, 360, t1, {0, 0}},
    {1100, 150, 153, 10, 10, 136, Law::wrap3500, 360, t1, {0, 0}},
    {2200, 460, 153, 10, 10, 187, Law::manifold2, 360, t2, {0, 0}},
    {2100, 460, 153, 10, 10, 152, Law::manifold1, 360, t2, {0, 0}},
    {3200, 770, 153, 10, 10, 171, Law::wrap10000, 360,
     {{675, 215, 0}, {850, 62, 750}, {877, 100, 1100}, {890, 160, 1600}, {877, 195, 2500}, {875, 205, 10000}},
     {0, 0}},
    {3100, 770, 153, 10, 10, 136, Law::wrap10000, 360,
     {{675, 215, 0}, {850, 63, 750}, {877, 100, 1100}, {890, 160, 1600}, {877, 195, 2500}, {875, 205, 10000}},
     {0, 0}},
    {4100, 1077, 185, 6, 6, 350, Law::outsideAir, 6, {{988, 94, -50}, {1077, 67, 0}, {1165, 94, 50}}, {60, 6}},
    {5200, 235, 451, 0, 0, 183, Law::wrap5000, 6,
     {{196, 528, 0}, {178, 473, 1250}, {160, 443, 2500}, {178, 408, 3750}, {196, 373, 5000}}, {0, 0}},
    {5100, 65, 443, 0, 10, 148, Law::wrap5000, 6,
     {{104, 373, 5000}, {120, 408, 3750}, {140, 443, 2500}, {120, 473, 1250}, {104, 528, 0}}, {0, 0}},
    {6200, 545, 451, 0, 0, 179, Law::wrap10000, 6,
     {{506, 528, 0}, {480, 473, 50}, {470, 443, 1000}, {488, 408, 2000}, {506, 373, 4000}}, {0, 0}},
    {6100, 375, 443, 0, 10, 144, Law::wrap10000, 6,
     {{414, 373, 4000}, {435, 408, 2000}, {450, 443, 1000}, {440, 473, 50}, {414, 528, 0}}, {0, 0}},
    {7200, 855, 451, 0, 0, 182, Law::wrap4000, 6,
     {{795, 483, 0}, {790, 463, 500}, {780, 443, 1000}, {798, 418, 1800}, {816, 373, 4000}}, {0, 0}},
    {7100, 685, 443, 0, 10, 147, Law::wrap4000, 6,
     {{724, 373, 4000}, {745, 418, 1800}, {760, 443, 1000}, {750, 463, 500}, {745, 483, 0}}, {0, 0}},
    {8200, 1165, 451, 0, 0, 179, Law::wrap4500, 6,
     {{1118, 519, 0}, {1108, 514, 25}, {1084, 484, 90}, {1078, 441, 800}, {1097, 397, 1500}, {1127, 373, 4000}},
     {0, 0}},
    {8100, 995, 443, 0, 10, 144, Law::wrap4500, 6,
     {{1030, 373, 4000}, {1060, 397, 1500}, {1078, 441, 800}, {1074, 484, 90}, {1050, 514, 25}, {1040, 519, 0}},
     {0, 0}},
};

void expectCommonHeader(const ElementHeader& e, const GaugeHeader* gauge) {
    EXPECT_EQ(e.gaugeHeader, gauge);
    EXPECT_EQ(e.failureRecord, nullptr) << "no element has a failure record";
    EXPECT_EQ(e.extraFlags, 0);
    EXPECT_EQ(e.reserved, 0);
    EXPECT_EQ(e.hostWords1[0], 0u);
    EXPECT_EQ(e.hostWords1[1], 0u);
    EXPECT_EQ(e.hostWord2, 0u);
}

TEST_F(EngineSetModule, ChainHoldsFacesThenNeedlesInTableOrder) {
    std::vector<ElementHeader*> elements = chain();
    ASSERT_EQ(elements.size(), std::size(faces) + std::size(needles)) << "23 elements, each reached once";
    EXPECT_EQ(elements.back()->nextList, nullptr) << "the last needle has no children";
    EXPECT_EQ(std::set<ElementHeader*>(elements.begin(), elements.end()).size(), elements.size());

    for (size_t i = 0; i < std::size(faces); ++i) {
        SCOPED_TRACE(testing::Message() << "element " << i + 1 << ", face " << faces[i].imageId);
        const ElementHeader& e = *elements[i];
        EXPECT_EQ(e.kind, StaticImage);
        EXPECT_EQ(e.imageId, faces[i].imageId);
        EXPECT_EQ(e.x, faces[i].x);
        EXPECT_EQ(e.y, faces[i].y);
        EXPECT_EQ(e.pivotX, 0);
        EXPECT_EQ(e.pivotY, 0);
        EXPECT_EQ(e.imageFlags, 0x1);
        expectCommonHeader(e, header);
    }

    std::set<const NonlinearityEntry*> tables;
    for (size_t i = 0; i < std::size(needles); ++i) {
        const NeedleRow& want = needles[i];
        SCOPED_TRACE(testing::Message() << "element " << i + 9 << ", needle " << want.imageId);
        ASSERT_EQ(elements[i + 8]->kind, Needle);
        const auto& n = *reinterpret_cast<const NeedleElement*>(elements[i + 8]);
        EXPECT_EQ(n.header.imageId, want.imageId);
        EXPECT_EQ(n.header.x, want.x);
        EXPECT_EQ(n.header.y, want.y);
        EXPECT_EQ(n.header.pivotX, want.pivotX);
        EXPECT_EQ(n.header.pivotY, want.pivotY);
        EXPECT_EQ(n.header.imageFlags, 0x3);
        expectCommonHeader(n.header, header);
        EXPECT_EQ(n.variable.token, want.token);
        EXPECT_NE(n.valueCallback, nullptr);
        EXPECT_EQ(n.maxDegreesPerUpdate, want.maxDegreesPerUpdate);
        EXPECT_EQ(n.integers[0], want.integers[0]) << "only needle 4100 sets 60 and 6";
        EXPECT_EQ(n.integers[1], want.integers[1]) << "only needle 4100 sets 60 and 6";
        for (int32_t r : n.reserved) EXPECT_EQ(r, 0);
        for (HostWord w : n.hostWords) EXPECT_EQ(w, 0u);
        EXPECT_TRUE(tables.insert(n.nonlinearityTable).second) << "each needle has its own copy of its table";
        ASSERT_EQ(n.tableSize, want.table.size());
        for (size_t k = 0; k < want.table.size(); ++k) {
            const NonlinearityEntry& got = n.nonlinearityTable[k];
            EXPECT_EQ(got.x, want.table[k].x) << "row " << k;
            EXPECT_EQ(got.y, want.table[k].y) << "row " << k;
            EXPECT_EQ(got.value, want.table[k].value) << "row " << k;
            EXPECT_EQ(got.degrees, 0.0) << "row " << k;
        }
    }
}

// Each needle's callback computes its own law: probed with raw values at which the laws
// differ, with the companions set so that each manifold law shows which companion it reads.
TEST_F(EngineSetModule, EachNeedleComputesItsLaw) {
    const double probes[] = {-8192, 0,     0.25,  -0.1,  2048,  8192,  23893, 27306,
                             30720, 34133, 40960, 68266, 81920, 1e6,   1e20};
    const double companions[][2] = {{0, 7000}, {7000, 0}, {6000, 6000.5}};
    std::vector<ElementHeader*> elements = chain();
    ASSERT_EQ(elements.size(), 23u);
    for (const auto& c : companions) {
        root->oilPressureCompanion1.value = c[0];
        root->oilPressureCompanion2.value = c[1];
        for (size_t i = 0; i < std::size(needles); ++i) {
            auto& n = *reinterpret_cast<NeedleElement*>(elements[i + 8]);
            for (double raw : probes) {
                n.variable.value = raw;
                EXPECT_EQ(n.valueCallback(&n.variable), expectedLaw(needles[i].law, raw, c[0], c[1]))
                    << "needle " << needles[i].imageId << " should be " << lawName(needles[i].law) << ", raw "
                    << raw << ", companions " << c[0] << " / " << c[1];
            }
        }
    }
}

// The resource script gives every element its picture, at the size the face or needle needs.
TEST_F(EngineSetModule, EveryImageIsABitmapOfItsSize) {
    struct Size {
        int32_t width, height;
    };
    auto sizeFor = [](int32_t id) -> Size {
        if (id % 1000 == 0) return {302, 302};
        if (id == 4100) return {137, 23};
        if (id < 4000) return {130, 21};
        return {78, 13};
    };
    for (ElementHeader* e : chain()) {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(e->imageId), RT_BITMAP);
        ASSERT_NE(found, nullptr) << "bitmap " << e->imageId;
        auto* info = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
        ASSERT_NE(info, nullptr);
        int32_t width, height;
        std::memcpy(&width, info + 4, 4);
        std::memcpy(&height, info + 8, 4);
        EXPECT_EQ(width, sizeFor(e->imageId).width) << "bitmap " << e->imageId;
        EXPECT_EQ(std::abs(height), sizeFor(e->imageId).height) << "bitmap " << e->imageId;
    }
}

// --- Lifecycle routines: which services each calls, in which order, with what. ---

TEST_F(EngineSetModule, RoutinesCallTheirServicesInOrder) {
    ElementHeader* r = root->rootElement;
    const ModuleVar* c1 = &root->oilPressureCompanion1;
    const ModuleVar* c2 = &root->oilPressureCompanion2;
    auto handle = reinterpret_cast<ModuleInstance>(uintptr_t{0x4711000});
    struct Case {
        const char* routine;
        std::function<int32_t()> run;
        std::vector<Call> expected;
        int32_t result;  // the last service's result (its call number here), or 1 from install
    } cases[] = {
        {"query", [&] { return header->queryRoutine(); }, {{"queryElements", r, 0}}, 1},
        {"install: companions bound before the elements are installed; no mouse list",
         [&] { return header->installRoutine(handle); },
         {{"bindVariable", c1, 0}, {"bindVariable", c2, 0}, {"installElements", r, 0x4711000}},
         1},
        {"initialize", [&] { return header->initializeRoutine(); }, {{"initializeElements", r, 0}}, 1},
        {"update: companions refreshed, 148 then 183, before the elements",
         [&] { return header->updateRoutine(); },
         {{"readVariable", c1, 0}, {"readVariable", c2, 0}, {"updateElements", r, 0}},
         3},
        {"generate passes its phase unchanged", [&] { return header->generateRoutine(0xDEADBEEF); },
         {{"generateElements", r, 0xDEADBEEF}}, 1},
        {"draw", [&] { return header->drawRoutine(); }, {{"plotElements", r, 0}}, 1},
        {"kill: elements only, no mouse list, companions stay bound", [&] { return header->killRoutine(); },
         {{"killElements", r, 0}}, 1},
    };
    for (const auto& c : cases) {
        FakePanel::get().calls.clear();
        int32_t result = c.run();
        EXPECT_EQ(FakePanel::get().calls, c.expected) << c.routine;
        EXPECT_EQ(result, c.result) << c.routine;
    }
}

// The manifold pressure needles, updated by the panel system inside updateElements, see the
// companion values read at the start of that same update.
TEST_F(EngineSetModule, UpdateFeedsTheManifoldLawsThisUpdatesCompanions) {
    NeedleElement& manifold1 = needleWithImage(2100);
    NeedleElement& manifold2 = needleWithImage(2200);
    double shown1 = 0, shown2 = 0;
    FakePanel::get().onUpdate = [&](ElementHeader*) {
        manifold1.variable.value = 40960;  // scaled 6000: shown as 6000 when the companion is above 6000
        manifold2.variable.value = 40960;
        shown1 = manifold1.valueCallback(&manifold1.variable);
        shown2 = manifold2.valueCallback(&manifold2.variable);
    };
    struct Case {
        double oil1, oil2, expected1, expected2;
        const char* reason;
    } cases[] = {
        {7000, 0, 6000, 2250, "engine 1 above 6000 reads its own value; engine 2 rests on 2250"},
        {0, 7000, 2250, 6000, "the next update's companions, not the previous one's"},
        {6000, 6000, 1590, 1590, "both at exactly 6000"},
    };
    header->installRoutine(nullptr);
    for (const auto& c : cases) {
        FakePanel::get().simulator = {{148, c.oil1}, {183, c.oil2}};
        header->updateRoutine();
        EXPECT_EQ(shown1, c.expected1) << c.reason;
        EXPECT_EQ(shown2, c.expected2) << c.reason;
    }
}

}  // namespace
