// The cowl flap levers module as the panel host sees it: its header, content records and
// resources, its lifecycle forwarding with the initialize hook, and the levers' behaviour
// under runs of clicks (shared position, left-lever-only key events, sound first, key event
// after the move). Each test loads the module afresh, so it starts from its load state.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "frame/records.h"
#include "platform/win.h"
#include "sound_control.h"

namespace {

// A recording service table: every call with its arguments and, at that moment, both lever
// icon values and the number of sounds started.
struct Call {
    std::string service;
    std::vector<uintptr_t> args;
    double left, right;
    uint32_t plays;
};

struct Recorder {
    std::vector<Call> calls;
    IconElement* left = nullptr;
    IconElement* right = nullptr;

    void record(const char* service, std::vector<uintptr_t> args) {
        calls.push_back({service, std::move(args), left ? left->variable.value : -1, right ? right->variable.value : -1,
                         platformSoundPlayCount()});
    }

    std::vector<const Call*> named(const std::string& service) const {
        std::vector<const Call*> found;
        for (const Call& c : calls)
            if (c.service == service) found.push_back(&c);
        return found;
    }
};

Recorder* recorder = nullptr;

uintptr_t word(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// The word the panel system leaves in the root image at install.
constexpr HostWord installWord = 0x1000;

int32_t HOSTCALL queryElements(ElementHeader* root) {
    recorder->record("queryElements", {word(root)});
    return 0;
}
int32_t HOSTCALL installElements(ElementHeader* root, ModuleInstance instance) {
    reinterpret_cast<StaticImageElement*>(root)->hostWords[0] = installWord;
    recorder->record("installElements", {word(root), word(instance)});
    return 0;
}
int32_t HOSTCALL initializeElements(ElementHeader* root) {
    recorder->record("initializeElements", {word(root)});
    return 0;
}
int32_t HOSTCALL updateElements(ElementHeader* root) {
    recorder->record("updateElements", {word(root)});
    return 0;
}
int32_t HOSTCALL generateElements(ElementHeader* root, uint32_t phase) {
    recorder->record("generateElements", {word(root), phase});
    return 0;
}
int32_t HOSTCALL plotElements(ElementHeader* root) {
    recorder->record("plotElements", {word(root)});
    return 0;
}
int32_t HOSTCALL killElements(ElementHeader* root) {
    recorder->record("killElements", {word(root)});
    return 0;
}
int32_t HOSTCALL registerMouseList(MouseRect* list, GaugeHeader* header, HostWord w) {
    recorder->record("registerMouseList", {word(list), word(header), w});
    return 0;
}
int32_t HOSTCALL installMouseList(MouseRect* list, GaugeHeader* header) {
    recorder->record("installMouseList", {word(list), word(header)});
    return 0;
}
int32_t HOSTCALL unregisterMouseList(MouseRect* list, GaugeHeader* header) {
    recorder->record("unregisterMouseList", {word(list), word(header)});
    return 0;
}
int32_t HOSTCALL panelCommand(uint32_t command) {
    recorder->record("panelCommand", {command});
    return 0;
}
int32_t HOSTCALL sendKeyEvent(uint32_t event, uint32_t parameter) {
    recorder->record("sendKeyEvent", {event, parameter});
    return 0;
}
int32_t HOSTCALL bindVariable(ModuleVar* v) {
    recorder->record("bindVariable", {word(v)});
    return 0;
}
int32_t HOSTCALL readVariable(ModuleVar* v) {
    recorder->record("readVariable", {word(v)});
    return 0;
}

HostServices recordingServices() {
    HostServices s{};
    s.queryElements = queryElements;
    s.installElements = installElements;
    s.initializeElements = initializeElements;
    s.updateElements = updateElements;
    s.generateElements = generateElements;
    s.plotElements = plotElements;
    s.killElements = killElements;
    s.registerMouseList = registerMouseList;
    s.installMouseList = installMouseList;
    s.unregisterMouseList = unregisterMouseList;
    s.panelCommand = panelCommand;
    s.sendKeyEvent = sendKeyEvent;
    s.bindVariable = bindVariable;
    s.readVariable = readVariable;
    return s;
}

// Mouse rectangles by their number in the list (1 = first child).
enum Rect {
    leftOpen = 1,
    leftOpenOff,
    leftClose,
    leftCloseOff,
    leftTrail,
    rightOpen,
    rightOpenOff,
    rightClose,
    rightCloseOff,
    rightTrail,
};
constexpr int initialize = 0;  // in a run of clicks: the host initializes the gauge

constexpr double openIcon = 0.0, openOffIcon = 1.0, trailIcon = 2.0, closeOffIcon = 3.0, closeIcon = 4.0;

class CowlFlapsTest : public ::testing::Test {
protected:
    void SetUp() override {
        platformSoundReset();
        recorder = &rec;
        load();
    }

    void TearDown() override {
        if (module) FreeLibrary(module);
        recorder = nullptr;
        platformSoundReset();
    }

    void load() {
        module = LoadLibraryA(MODULE_PATH);
        ASSERT_NE(module, nullptr);
        linkage = reinterpret_cast<LinkageRecord*>(GetProcAddress(module, "Linkage"));
        auto* imports = reinterpret_cast<ImportTableRecord*>(GetProcAddress(module, "ImportTable"));
        ASSERT_NE(linkage, nullptr);
        ASSERT_NE(imports, nullptr);
        (*imports)[0].serviceTable = &services;
        header = linkage->gaugeHeaders[0];
        ASSERT_NE(header, nullptr);
        root = *header->elementList;
        ASSERT_NE(root->nextList, nullptr);
        rec.left = reinterpret_cast<IconElement*>(root->nextList[0]);
        rec.right = reinterpret_cast<IconElement*>(root->nextList[1]);
    }

    // Loads the module anew and installs the gauge, which hands the host its mouse list.
    void reloadAndInstall() {
        FreeLibrary(module);
        module = nullptr;
        platformSoundReset();
        rec.calls.clear();
        load();
        install();
    }

    void install() {
        ASSERT_EQ(header->installRoutine(module), 1);
        auto registered = rec.named("registerMouseList");
        ASSERT_FALSE(registered.empty());
        mouseList = reinterpret_cast<MouseRect*>(registered.back()->args[0]);
    }

    void click(int rect) {
        ASSERT_EQ(mouseList[rect].rectType, ChildRect);
        ASSERT_NE(mouseList[rect].mouseFunction, nullptr);
        EXPECT_EQ(mouseList[rect].mouseFunction(0, 0), 0);
    }

    std::vector<uint32_t> keyEvents() const {
        std::vector<uint32_t> keys;
        for (const Call* c : rec.named("sendKeyEvent")) {
            EXPECT_EQ(c->args[1], 0u) << "key events carry the parameter 0";
            keys.push_back(uint32_t(c->args[0]));
        }
        return keys;
    }

    double leftValue() const { return rec.left->variable.value; }
    double rightValue() const { return rec.right->variable.value; }

    Recorder rec;
    HostServices services = recordingServices();
    HMODULE module = nullptr;
    LinkageRecord* linkage = nullptr;
    GaugeHeader* header = nullptr;
    ElementHeader* root = nullptr;
    MouseRect* mouseList = nullptr;
};

TEST_F(CowlFlapsTest, TheHeaderNamesTheOneGauge) {
    EXPECT_EQ(linkage->moduleId, 0x13);
    EXPECT_EQ(linkage->gaugeHeaders[1], nullptr);
    EXPECT_EQ(header->version, 610);
    EXPECT_STREQ(header->name, "QTX-K7M-Cowlflaps-v4s");
    EXPECT_EQ(header->defaultSize, 40u);
}

TEST_F(CowlFlapsTest, TheContentIsThePlateAndTwoLevers) {
    EXPECT_EQ(root->kind, StaticImage);
    EXPECT_EQ(root->imageId, 1000);
    EXPECT_EQ(root->x, 0);
    EXPECT_EQ(root->y, 0);
    EXPECT_EQ(root->imageFlags, 0x1);
    EXPECT_EQ(root->nextList[2], nullptr) << "the plate carries the two levers only";

    struct Lever {
        const char* reason;
        IconElement* icon;
        int32_t imageId, x, y;
    };
    const Lever levers[] = {{"left lever", rec.left, 9472, 0, -5}, {"right lever", rec.right, 13568, 185, -5}};
    for (const Lever& l : levers) {
        SCOPED_TRACE(l.reason);
        const ElementHeader& e = l.icon->header;
        EXPECT_EQ(e.kind, Icon);
        EXPECT_EQ(e.imageId, l.imageId);
        EXPECT_EQ(e.x, l.x);
        EXPECT_EQ(e.y, l.y);
        EXPECT_EQ(e.imageFlags, 0x3);
        EXPECT_EQ(e.nextList, nullptr);
        EXPECT_EQ(e.gaugeHeader, header);
        EXPECT_EQ(l.icon->variable.token, 0u) << "a local value only the module writes";
        EXPECT_EQ(l.icon->valueCallback, nullptr);
        EXPECT_EQ(l.icon->stateCount, 5u);
    }
}

TEST_F(CowlFlapsTest, TheMouseListRunsThroughThePositionsLeftLeverFirst) {
    install();
    struct Row {
        int32_t x, y, w, h;
    };
    const Row rows[] = {{90, 90, 20, 25},  {67, 90, 20, 25},  {0, 90, 20, 25},   {22, 90, 20, 25},  {45, 90, 20, 25},
                        {270, 90, 20, 25}, {248, 90, 20, 25}, {180, 90, 20, 25}, {202, 90, 20, 25}, {225, 90, 20, 25}};
    const MouseRect& parent = mouseList[0];
    EXPECT_EQ(parent.rectType, ParentRect);
    EXPECT_EQ(parent.cursor, -1);
    EXPECT_EQ(parent.mouseFunction, nullptr);
    std::vector<MouseFunction> seen;
    for (int i = 1; i <= 10; ++i) {
        SCOPED_TRACE("rectangle " + std::to_string(i));
        const MouseRect& r = mouseList[i];
        EXPECT_EQ(r.rectType, ChildRect);
        EXPECT_EQ(r.x, rows[i - 1].x);
        EXPECT_EQ(r.y, rows[i - 1].y);
        EXPECT_EQ(r.width, rows[i - 1].w);
        EXPECT_EQ(r.height, rows[i - 1].h);
        EXPECT_EQ(r.cursor, 5);
        EXPECT_EQ(r.mouseFlags, 0x20000000u);
        EXPECT_EQ(r.helpId, 0);
        EXPECT_EQ(r.keyEvent, 0u) << "the module sends the key events itself";
        ASSERT_NE(r.mouseFunction, nullptr);
        for (MouseFunction f : seen) EXPECT_NE(f, r.mouseFunction) << "each rectangle has a function of its own";
        seen.push_back(r.mouseFunction);
    }
    EXPECT_EQ(mouseList[11].rectType, EndRect);
}

TEST_F(CowlFlapsTest, EveryImageShownAndTheClickAreResourcesOfTheModule) {
    std::vector<int> bitmaps = {1000};
    for (int k = 0; k < 5; ++k) {
        bitmaps.push_back(9472 + 3 * k);
        bitmaps.push_back(13568 + 3 * k);
    }
    for (int id : bitmaps)
        EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(id), RT_BITMAP), nullptr) << "bitmap " << id;
    HRSRC click = FindResourceA(module, MAKEINTRESOURCEA(5001), "WAVE");
    ASSERT_NE(click, nullptr);
    EXPECT_EQ(SizeofResource(module, click), 686u) << "the knob click's WAVE data";
}

TEST_F(CowlFlapsTest, EachRoutineForwardsToItsServiceWithTheRoot) {
    install();
    struct Expected {
        const char* routine;
        std::function<void()> run;
        std::vector<std::pair<std::string, std::vector<uintptr_t>>> calls;
    };
    const uintptr_t r = word(root), list = word(mouseList), hdr = word(header);
    const Expected expected[] = {
        {"query", [&] { header->queryRoutine(); }, {{"queryElements", {r}}}},
        {"install",
         [&] { EXPECT_EQ(header->installRoutine(module), 1); },
         {{"installElements", {r, word(module)}},
          {"registerMouseList", {list, hdr, installWord + 4}},
          {"installMouseList", {list, hdr}}}},
        {"initialize", [&] { header->initializeRoutine(); }, {{"initializeElements", {r}}}},
        {"update", [&] { header->updateRoutine(); }, {{"updateElements", {r}}}},
        {"generate", [&] { header->generateRoutine(0xFFFFFFFE); }, {{"generateElements", {r, 0xFFFFFFFE}}}},
        {"draw", [&] { header->drawRoutine(); }, {{"plotElements", {r}}}},
        {"kill", [&] { header->killRoutine(); }, {{"unregisterMouseList", {list, hdr}}, {"killElements", {r}}}},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.routine);
        rec.calls.clear();
        e.run();
        ASSERT_EQ(rec.calls.size(), e.calls.size());
        for (size_t i = 0; i < e.calls.size(); ++i) {
            EXPECT_EQ(rec.calls[i].service, e.calls[i].first);
            EXPECT_EQ(rec.calls[i].args, e.calls[i].second);
        }
    }
    EXPECT_EQ(platformSoundPlayCount(), 0u) << "no routine makes a sound";
}

// The host draws from the icon values as it initializes, so they must already show CLOSE.
TEST_F(CowlFlapsTest, InitializeClosesBothLeversBeforeTheHostInitializesThem) {
    install();
    header->initializeRoutine();
    click(leftOpen);
    click(rightTrail);
    rec.calls.clear();
    const uint32_t plays = platformSoundPlayCount();
    header->initializeRoutine();
    ASSERT_EQ(rec.calls.size(), 1u) << "no key event, nothing but the forwarding";
    EXPECT_EQ(rec.calls[0].service, "initializeElements");
    EXPECT_EQ(rec.calls[0].left, closeIcon);
    EXPECT_EQ(rec.calls[0].right, closeIcon);
    EXPECT_EQ(platformSoundPlayCount(), plays) << "initialization makes no sound";
}

struct ClickRun {
    const char* reason;
    std::vector<int> steps;  // rectangles clicked, or initialize
    std::vector<uint32_t> keys;
    double left, right;
};

const std::vector<ClickRun>& runs() {
    static const std::vector<ClickRun> r = {
        {"before the first initialization both show OPEN and the position is OPEN", {}, {}, openIcon, openIcon},
        {"before the first initialization a click on OPEN only sounds", {leftOpen, rightOpen}, {}, openIcon, openIcon},
        {"initialization puts both at CLOSE without a key event", {initialize}, {}, closeIcon, closeIcon},
        {"right after initialization a click on CLOSE of either lever only sounds",
         {initialize, leftClose, rightClose}, {}, closeIcon, closeIcon},
        {"each left position shows its picture; OPEN and TRAIL send their events, OFF none",
         {initialize, leftOpen, leftOpenOff, leftClose, leftCloseOff, leftTrail}, {66064, 66065, 66066}, trailIcon,
         closeIcon},
        {"left rectangle 2 is the OFF between TRAIL and OPEN", {initialize, leftOpenOff}, {}, openOffIcon, closeIcon},
        {"left rectangle 4 is the OFF between CLOSE and TRAIL", {initialize, leftCloseOff}, {}, closeOffIcon,
         closeIcon},
        {"left CLOSE to OPEN sends 66064 once; a second OPEN only sounds", {initialize, leftOpen, leftOpen}, {66064},
         openIcon, closeIcon},
        {"after the left lever went to OPEN the right OPEN only sounds", {initialize, leftOpen, rightOpen}, {66064},
         openIcon, closeIcon},
        {"another right position first, then the right OPEN moves it", {initialize, leftOpen, rightTrail, rightOpen},
         {66064}, openIcon, openIcon},
        {"after the right lever went to TRAIL the left TRAIL only sounds", {initialize, rightTrail, leftTrail}, {},
         closeIcon, trailIcon},
        {"left OPEN, OFF, OPEN sends 66064 twice and nothing for OFF",
         {initialize, leftOpen, leftOpenOff, leftOpen}, {66064, 66064}, openIcon, closeIcon},
        {"the right lever never sends a key event",
         {initialize, rightOpen, rightOpenOff, rightClose, rightCloseOff, rightTrail, rightClose}, {}, closeIcon,
         closeIcon},
        {"each right position shows its picture", {initialize, rightOpenOff}, {}, closeIcon, openOffIcon},
        {"the right OFF between CLOSE and TRAIL", {initialize, rightCloseOff}, {}, closeIcon, closeOffIcon},
        {"a later initialization closes both without sending 66065, and CLOSE then only sounds",
         {initialize, leftOpen, rightTrail, initialize, leftClose}, {66064}, closeIcon, closeIcon},
        {"after a later initialization the left OPEN sends 66064 again",
         {initialize, leftOpen, initialize, leftOpen}, {66064, 66064}, openIcon, closeIcon},
    };
    return r;
}

TEST_F(CowlFlapsTest, TheLeversShareOnePositionAndOnlyTheLeftOneTellsTheSimulator) {
    for (const ClickRun& run : runs()) {
        SCOPED_TRACE(run.reason);
        reloadAndInstall();
        uint32_t clicks = 0;
        for (int step : run.steps) {
            if (step == initialize) {
                header->initializeRoutine();
            } else {
                click(step);
                ++clicks;
            }
        }
        EXPECT_EQ(keyEvents(), run.keys);
        EXPECT_EQ(leftValue(), run.left);
        EXPECT_EQ(rightValue(), run.right);
        EXPECT_EQ(platformSoundPlayCount(), clicks) << "every click sounds, nothing else does";
    }
}

TEST_F(CowlFlapsTest, AClickSoundsFirstAndSendsItsEventAfterTheLeverMoved) {
    install();
    header->initializeRoutine();
    click(leftOpen);
    auto sent = rec.named("sendKeyEvent");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]->plays, 1u) << "the click had sounded before the key event";
    EXPECT_EQ(sent[0]->left, openIcon) << "the lever showed OPEN before the key event";

    PlatformSoundPlay p{};
    ASSERT_TRUE(platformSoundPlayAt(0, &p));
    EXPECT_EQ(p.module, module);
    EXPECT_EQ(p.soundId, 5001);
    EXPECT_EQ(p.format.nChannels, 2);
    EXPECT_EQ(p.format.nSamplesPerSec, 22050u);
    EXPECT_EQ(p.format.wBitsPerSample, 8);
    EXPECT_EQ(p.length, 628u);
    EXPECT_EQ(p.startPosition, 0u);
}

TEST_F(CowlFlapsTest, TheClickKeepsOneBufferAndRewindsItEveryTime) {
    install();
    header->initializeRoutine();
    const int clicks[] = {leftOpen, leftOpen, rightTrail, leftClose};
    for (int c : clicks) click(c);
    PlatformSoundCounts counts{};
    platformSoundGetCounts(&counts);
    EXPECT_EQ(counts.devicesCreated, 1u);
    EXPECT_EQ(counts.buffersCreated, 1u) << "the one sound's buffer is made at the first click";
    ASSERT_EQ(platformSoundPlayCount(), 4u);
    PlatformSoundPlay first{};
    platformSoundPlayAt(0, &first);
    for (uint32_t i = 0; i < 4; ++i) {
        PlatformSoundPlay p{};
        platformSoundPlayAt(i, &p);
        EXPECT_EQ(p.buffer, first.buffer) << "click " << i;
        EXPECT_EQ(p.startPosition, 0u) << "click " << i;
    }
}

TEST_F(CowlFlapsTest, ASoundThatCannotPlayLeavesTheClickUnchanged) {
    platformSoundInjectFault(platformSoundDeviceCreation, DSERR_NODRIVER, 0);
    install();
    header->initializeRoutine();
    click(leftOpen);
    click(leftTrail);
    EXPECT_EQ(platformSoundPlayCount(), 0u);
    EXPECT_EQ(keyEvents(), (std::vector<uint32_t>{66064, 66066}));
    EXPECT_EQ(leftValue(), trailIcon);
}

}  // namespace
