// The twin altimeter and the plain module frame, through the module's exported records and a
// recording stand-in for the panel system's services.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "frame/records.h"
#include "platform/win.h"

namespace {

struct Call {
    std::string service;
    HostWord a = 0, b = 0, c = 0;
};

// The panel system's side: records every service call and answers readVariable from a
// small table.
struct RecordingHost {
    static inline std::vector<Call> calls;
    static inline double settingUnit = 0;

    static int32_t HOSTCALL query(ElementHeader* r) { return log("query", HostWord(r)); }
    static int32_t HOSTCALL install(ElementHeader* r, ModuleInstance h) {
        reinterpret_cast<StaticImageElement*>(r)->hostWords[0] = 0x5000;
        return log("install", HostWord(r), HostWord(h));
    }
    static int32_t HOSTCALL initialize(ElementHeader* r) { return log("initialize", HostWord(r)); }
    static int32_t HOSTCALL update(ElementHeader* r) { return log("update", HostWord(r)); }
    static int32_t HOSTCALL generate(ElementHeader* r, uint32_t phase) { return log("generate", HostWord(r), phase); }
    static int32_t HOSTCALL plot(ElementHeader* r) { return log("plot", HostWord(r)); }
    static int32_t HOSTCALL kill(ElementHeader* r) { return log("kill", HostWord(r)); }
    static int32_t HOSTCALL registerMouse(MouseRect* l, GaugeHeader* g, HostWord w) {
        return log("registerMouseList", HostWord(l), HostWord(g), w);
    }
    static int32_t HOSTCALL installMouse(MouseRect* l, GaugeHeader* g) {
        return log("installMouseList", HostWord(l), HostWord(g));
    }
    static int32_t HOSTCALL unregisterMouse(MouseRect* l, GaugeHeader* g) {
        return log("unregisterMouseList", HostWord(l), HostWord(g));
    }
    static int32_t HOSTCALL read(ModuleVar* v) {
        if (v->token == 335) v->value = settingUnit;
        return log("readVariable", v->token);
    }
    static int32_t log(const char* s, HostWord a = 0, HostWord b = 0, HostWord c = 0) {
        calls.push_back({s, a, b, c});
        return 7;  // a result no module may depend on
    }

    static HostServices table() {
        HostServices t{};
        t.queryElements = query;
        t.installElements = install;
        t.initializeElements = initialize;
        t.updateElements = update;
        t.generateElements = generate;
        t.plotElements = plot;
        t.killElements = kill;
        t.registerMouseList = registerMouse;
        t.installMouseList = installMouse;
        t.unregisterMouseList = unregisterMouse;
        t.readVariable = read;
        return t;
    }
};

class Altimeter : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module = LoadLibraryA(MODULE_PATH);
        ASSERT_NE(module, nullptr);
        linkage = reinterpret_cast<LinkageRecord*>(GetProcAddress(module, "Linkage"));
        imports = reinterpret_cast<ImportTableRecord*>(GetProcAddress(module, "ImportTable"));
        ASSERT_TRUE(linkage && imports);
        (*imports)[0].serviceTable = &services;
        header = linkage->gaugeHeaders[0];
    }
    void SetUp() override { RecordingHost::calls.clear(); }

    ElementHeader* root() { return *header->elementList; }

    // Elements in tree order: the chain of the gauge's element table.
    std::vector<ElementHeader*> elements() {
        std::vector<ElementHeader*> list;
        for (ElementHeader* e = root(); e && list.size() < 20; e = e->nextList ? e->nextList[0] : nullptr) {
            list.push_back(e);
            if (e->nextList && e->nextList[0]) EXPECT_EQ(e->nextList[1], nullptr) << "one child each";
        }
        return list;
    }
    template <typename T>
    T* as(int number) {
        return reinterpret_cast<T*>(elements().at(size_t(number - 1)));
    }

    static inline HostServices services = RecordingHost::table();
    static inline HMODULE module = nullptr;
    static inline LinkageRecord* linkage = nullptr;
    static inline ImportTableRecord* imports = nullptr;
    static inline GaugeHeader* header = nullptr;
};

TEST_F(Altimeter, ExportsTheModuleRecords) {
    EXPECT_EQ(linkage->moduleId, 0x13);
    EXPECT_NE(linkage->moduleInit, nullptr);
    EXPECT_EQ(linkage->moduleInit, linkage->moduleDeinit);
    EXPECT_EQ(linkage->gaugeHeaders[1], nullptr);
    EXPECT_EQ((*imports)[0].id, 0x0F);
    EXPECT_EQ((*imports)[1].id, 0);
    EXPECT_EQ((*imports)[1].serviceTable, nullptr);
    EXPECT_EQ(header->version, 610);
    EXPECT_STREQ(header->name, "QTX-K7M-Altimeter-Double-FS98-v1sfo");
    EXPECT_EQ(header->defaultSize, 57u);
    EXPECT_EQ(GetProcAddress(module, "moduleEntry"), nullptr) << "only the two records are exported";
}

TEST_F(Altimeter, ElementsFollowTheGaugeTable) {
    struct Row {
        int kind, image, x, y, pivotX, pivotY, flags;
    };
    const Row table[] = {
        {StaticImage, 1000, 0, 0, 0, 0, 0x1},      {StaticImage, 1000, 2291, 0, 0, 0, 0x1},
        {String, -1, 200, 145, 0, 0, 0x3},         {String, -1, 2491, 145, 0, 0, 0x3},
        {Needle, 3503, 2444, 153, 6, 7, 0x3},      {Needle, 3503, 153, 153, 6, 7, 0x3},
        {Needle, 3003, 2444, 153, 6, 7, 0x3},      {Needle, 3003, 153, 153, 6, 7, 0x3},
        {Needle, 2003, 2444, 153, 9, 10, 0x3},     {Needle, 2003, 153, 153, 9, 10, 0x3},
    };
    std::vector<ElementHeader*> list = elements();
    ASSERT_EQ(list.size(), std::size(table));
    for (size_t i = 0; i < list.size(); ++i) {
        const Row& r = table[i];
        ElementHeader* e = list[i];
        SCOPED_TRACE("element #" + std::to_string(i + 1));
        EXPECT_EQ(e->kind, r.kind);
        EXPECT_EQ(e->imageId, r.image);
        EXPECT_EQ(e->x, r.x);
        EXPECT_EQ(e->y, r.y);
        EXPECT_EQ(e->pivotX, r.pivotX);
        EXPECT_EQ(e->pivotY, r.pivotY);
        EXPECT_EQ(e->imageFlags, r.flags);
        EXPECT_EQ(e->extraFlags, 0);
        EXPECT_EQ(e->gaugeHeader, header);
        bool failure = e->kind != String;  // dials and needles carry 7 -> 1
        ASSERT_EQ(e->failureRecord != nullptr, failure);
        if (failure) {
            EXPECT_EQ(e->failureRecord[0].key, 7);
            EXPECT_EQ(e->failureRecord[0].action, 1);
            EXPECT_EQ(e->failureRecord[1].key, 0);
        }
        if (e->kind == Needle) {
            auto* n = reinterpret_cast<NeedleElement*>(e);
            EXPECT_EQ(n->variable.token, 74u);
            EXPECT_EQ(n->maxDegreesPerUpdate, 6);
            EXPECT_EQ(n->nonlinearityTable, nullptr);
            EXPECT_EQ(n->tableSize, 0u);
        }
        if (e->kind == String) {
            auto* s = reinterpret_cast<StringElement*>(e);
            EXPECT_EQ(s->variable1.token, 76u);
            EXPECT_EQ(s->variable2.token, 75u);
            EXPECT_EQ(s->variable3.token, 0u);
            EXPECT_EQ(s->boxWidth, 60);
            EXPECT_EQ(s->boxHeight, 22);
            EXPECT_EQ(s->maxChars, 5u);
            EXPECT_EQ(s->foreColour, 0xDCDCDCu);
            EXPECT_EQ(s->backColour, 0x080808u);
            EXPECT_EQ(s->highlightColour, 0u);
            EXPECT_STREQ(s->fontFace, "Courier New");
            EXPECT_EQ(s->fontWeight, 400);
            EXPECT_EQ(s->fontCharset, 1);
            EXPECT_EQ(s->textFormat, 0x25u);
            EXPECT_EQ(s->highlightList, nullptr);
        }
    }
}

TEST_F(Altimeter, NeedleLawsGiveAnglesOnTheDial) {
    struct Case {
        double altitude;
        double longAngle, middleAngle, shortAngle;
        const char* why;
    };
    const Case cases[] = {
        {0, 270, 270, 270, "all needles at the 0 at the top"},
        {1000, 630, 306, 273.6, "long needle once round, middle on the 1"},
        {-100, 234, 266.4, 269.64, "long needle on the 9"},
        {10000, 3870, 630, 306, "ten thousand feet: middle round once, short on the 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        for (int number : {5, 6, 7, 8, 9, 10}) {
            auto* n = as<NeedleElement>(number);
            n->variable.value = c.altitude;
            double expected = number >= 9 ? c.longAngle : number >= 7 ? c.middleAngle : c.shortAngle;
            EXPECT_NEAR(n->valueCallback(&n->variable), expected, 1e-9) << "element #" << number;
        }
    }
}

TEST_F(Altimeter, WindowsShowTheSettingInEitherForm) {
    struct Case {
        double unit, decimal, whole;
        const char* text;
        const char* why;
    };
    const Case cases[] = {
        {0.0, 29.92, 1013.25, "29.92", "two decimals while the selector is 0"},
        {1.0, 29.92, 1013.25, "1013 ", "whole units and a space otherwise"},
        {1.0, 29.92, 950, " 950 ", "right-aligned in four characters"},
        {-2.0, 29.92, 1012.5, "1012 ", "an exact half rounds to even; any non-zero selector"},
        {0.0, 5.5, 0, " 5.50", "right-aligned in five characters"},
        {1.0, 0, 123456, "12345", "a longer text is cut to the five-character field"},
        {0.0, -12345.678, 0, "-1234", "so is a long negative setting"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        RecordingHost::settingUnit = c.unit;
        for (int number : {3, 4}) {
            auto* s = as<StringElement>(number);
            char buffer[6 + 8];
            std::memset(buffer, '#', sizeof buffer);
            s->textBuffer = buffer;
            s->variable1.value = c.decimal;
            s->variable2.value = c.whole;
            RecordingHost::calls.clear();
            EXPECT_EQ(s->valueCallback(42.5), 42.5) << "returns the double it received";
            EXPECT_STREQ(buffer, c.text);
            EXPECT_EQ(buffer[6], '#') << "nothing written past maxChars + 1 bytes";
            ASSERT_EQ(RecordingHost::calls.size(), 1u);
            EXPECT_EQ(RecordingHost::calls[0].service, "readVariable");
            EXPECT_EQ(RecordingHost::calls[0].a, 335u);
            s->textBuffer = nullptr;
        }
    }
}

TEST_F(Altimeter, EachWindowWritesOnlyItsOwnBuffer) {
    auto* left = as<StringElement>(3);
    auto* right = as<StringElement>(4);
    char l[6] = "-----", r[6] = "-----";
    left->textBuffer = l;
    right->textBuffer = r;
    RecordingHost::settingUnit = 0;
    left->variable1.value = 30.01;
    right->variable1.value = 29.5;
    left->valueCallback(0);
    EXPECT_STREQ(l, "30.01");
    EXPECT_STREQ(r, "-----");
    right->valueCallback(0);
    EXPECT_STREQ(r, "29.50");
    left->textBuffer = right->textBuffer = nullptr;
}

TEST_F(Altimeter, KnobRectanglesCarryKeyEventsOnly) {
    // The mouse list is registered at install; take it from the recorded call.
    header->installRoutine(nullptr);
    ASSERT_GE(RecordingHost::calls.size(), 3u);
    auto* list = reinterpret_cast<MouseRect*>(RecordingHost::calls[1].a);
    struct Rect {
        int x, y, w, h, cursor;
        uint32_t key;
    };
    const Rect table[] = {{54, 260, 14, 24, 1, 65883},
                          {30, 260, 14, 24, 2, 65884},
                          {2345, 260, 14, 24, 1, 65883},
                          {2321, 260, 14, 24, 2, 65884}};
    EXPECT_EQ(list[0].rectType, ParentRect);
    EXPECT_EQ(list[0].cursor, -1);
    for (size_t i = 0; i < std::size(table); ++i) {
        const MouseRect& m = list[i + 1];
        SCOPED_TRACE("rectangle " + std::to_string(i + 1));
        EXPECT_EQ(m.rectType, ChildRect);
        EXPECT_EQ(m.x, table[i].x);
        EXPECT_EQ(m.y, table[i].y);
        EXPECT_EQ(m.width, table[i].w);
        EXPECT_EQ(m.height, table[i].h);
        EXPECT_EQ(m.cursor, table[i].cursor);
        EXPECT_EQ(m.mouseFlags, 0x20200000u);
        EXPECT_EQ(m.keyEvent, table[i].key);
        EXPECT_EQ(m.mouseFunction, nullptr);
    }
    EXPECT_EQ(list[5].rectType, EndRect);
    EXPECT_EQ(list[5].x | list[5].y | list[5].width | list[5].height, 0);
}

TEST_F(Altimeter, RoutinesForwardInTheirFixedOrder) {
    ElementHeader* r = root();
    auto rootWord = HostWord(r);
    auto headerWord = HostWord(header);
    auto handle = reinterpret_cast<ModuleInstance>(0x1234);

    EXPECT_EQ(header->installRoutine(handle), 1) << "install returns 1, not the service's result";
    ASSERT_EQ(RecordingHost::calls.size(), 3u);
    EXPECT_EQ(RecordingHost::calls[0].service, "install");
    EXPECT_EQ(RecordingHost::calls[0].a, rootWord);
    EXPECT_EQ(RecordingHost::calls[0].b, HostWord(handle));
    EXPECT_EQ(RecordingHost::calls[1].service, "registerMouseList");
    EXPECT_EQ(RecordingHost::calls[1].b, headerWord);
    EXPECT_EQ(RecordingHost::calls[1].c, HostWord(0x5004)) << "the root's host word as install left it, plus 4";
    EXPECT_EQ(RecordingHost::calls[2].service, "installMouseList");
    EXPECT_EQ(RecordingHost::calls[2].a, RecordingHost::calls[1].a);

    struct Plain {
        int32_t (*call)(GaugeHeader*);
        const char* service;
    };
    const Plain plain[] = {
        {[](GaugeHeader* h) { return h->queryRoutine(); }, "query"},
        {[](GaugeHeader* h) { return h->initializeRoutine(); }, "initialize"},
        {[](GaugeHeader* h) { return h->updateRoutine(); }, "update"},
        {[](GaugeHeader* h) { return h->drawRoutine(); }, "plot"},
    };
    for (const Plain& p : plain) {
        RecordingHost::calls.clear();
        EXPECT_EQ(p.call(header), 7) << p.service << " returns the service's result";
        ASSERT_EQ(RecordingHost::calls.size(), 1u);
        EXPECT_EQ(RecordingHost::calls[0].service, p.service);
        EXPECT_EQ(RecordingHost::calls[0].a, rootWord);
    }
    for (uint32_t phase : {0u, 1u, 7u, 0xFFFFFFFFu}) {
        RecordingHost::calls.clear();
        header->generateRoutine(phase);
        ASSERT_EQ(RecordingHost::calls.size(), 1u);
        EXPECT_EQ(RecordingHost::calls[0].b, phase) << "the phase passes unchanged";
    }
    RecordingHost::calls.clear();
    EXPECT_EQ(header->killRoutine(), 7);
    ASSERT_EQ(RecordingHost::calls.size(), 2u);
    EXPECT_EQ(RecordingHost::calls[0].service, "unregisterMouseList");
    EXPECT_EQ(RecordingHost::calls[0].b, headerWord);
    EXPECT_EQ(RecordingHost::calls[1].service, "kill");
}

}  // namespace
