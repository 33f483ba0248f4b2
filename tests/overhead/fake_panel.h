// Test bench of the overhead modules: a recording fake of the panel system's services with a
// small simulator variable table, and a loaded overhead module bound to it. A module is loaded
// afresh for each test (its switch states start from their load-time zeros) and reached only
// through its exported records, as the panel system reaches it. Sounds are read from the sound
// stand-in's play log, the magneto block through the named shared memory stand-in.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "frame/records.h"
#include "platform/win.h"
#include "sharedmem_control.h"
#include "sound_control.h"

namespace bench {

// One service call: its name, the record it was given and its second word, if any.
struct Call {
    std::string service;
    const void* record;
    uintptr_t word;
    bool operator==(const Call&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Call& c) {
    return out << c.service << "(" << c.record << ", " << c.word << ")";
}

// A simulator variable as the panel system delivers it: a double, or an integer in the first
// four bytes of the value slot.
struct SimValue {
    bool integer = false;
    double d = 0;
    int32_t i = 0;
};

struct FakePanel {
    std::vector<Call> calls;
    std::vector<uint32_t> keyEvents;  // every key event sent, in order (parameters checked 0)
    std::vector<uint32_t> panelCommands;
    std::vector<uint32_t> keyParameters;
    std::map<uint32_t, SimValue> simulator;
    MouseRect* mouseList = nullptr;
    HostWord mouseWord = 0;
    std::function<void()> onPanelCommand;  // runs inside the call, to see the state at that moment

    static FakePanel& get() {
        static FakePanel panel;
        return panel;
    }

    void setDouble(uint32_t token, double v) { simulator[token] = SimValue{false, v, 0}; }
    void setInteger(uint32_t token, int32_t v) { simulator[token] = SimValue{true, 0, v}; }

    // What readVariable does, and what the panel system does to an element's variable before
    // calling its law. Token 0 is local and left alone.
    void deliver(ModuleVar& v) const {
        if (v.token == 0) return;
        auto found = simulator.find(v.token);
        SimValue s = found == simulator.end() ? SimValue{} : found->second;
        if (s.integer)
            setIntegerValue(v, s.i);
        else
            v.value = s.d;
    }

    std::vector<std::string> serviceNames() const {
        std::vector<std::string> out;
        for (const Call& c : calls) out.push_back(c.service);
        return out;
    }

    static int32_t record(const char* service, const void* r, uintptr_t word = 0) {
        get().calls.push_back({service, r, word});
        return int32_t(get().calls.size());
    }

    static int32_t HOSTCALL queryElements(ElementHeader* r) { return record("queryElements", r); }
    static int32_t HOSTCALL installElements(ElementHeader* r, ModuleInstance m) {
        reinterpret_cast<StaticImageElement*>(r)->hostWords[0] = 0x7000;  // as the panel system does
        return record("installElements", r, reinterpret_cast<uintptr_t>(m));
    }
    static int32_t HOSTCALL initializeElements(ElementHeader* r) { return record("initializeElements", r); }
    static int32_t HOSTCALL updateElements(ElementHeader* r) { return record("updateElements", r); }
    static int32_t HOSTCALL generateElements(ElementHeader* r, uint32_t phase) {
        return record("generateElements", r, phase);
    }
    static int32_t HOSTCALL plotElements(ElementHeader* r) { return record("plotElements", r); }
    static int32_t HOSTCALL killElements(ElementHeader* r) { return record("killElements", r); }
    static int32_t HOSTCALL registerMouseList(MouseRect* l, GaugeHeader*, HostWord w) {
        get().mouseList = l;
        get().mouseWord = w;
        return record("registerMouseList", l, w);
    }
    static int32_t HOSTCALL installMouseList(MouseRect* l, GaugeHeader*) { return record("installMouseList", l); }
    static int32_t HOSTCALL unregisterMouseList(MouseRect* l, GaugeHeader*) {
        return record("unregisterMouseList", l);
    }
    static int32_t HOSTCALL panelCommand(uint32_t c) {
        get().panelCommands.push_back(c);
        if (get().onPanelCommand) get().onPanelCommand();
        return record("panelCommand", nullptr, c);
    }
    static int32_t HOSTCALL sendKeyEvent(uint32_t e, uint32_t parameter) {
        get().keyEvents.push_back(e);
        get().keyParameters.push_back(parameter);
        return record("sendKeyEvent", nullptr, e);
    }
    static int32_t HOSTCALL bindVariable(ModuleVar* v) { return record("bindVariable", v, v->token); }
    static int32_t HOSTCALL readVariable(ModuleVar* v) {
        get().deliver(*v);
        return record("readVariable", v, v->token);
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

    // Forgets what was sent and asked, keeping the simulator's values.
    void clearLog() {
        calls.clear();
        keyEvents.clear();
        keyParameters.clear();
        panelCommands.clear();
    }
};

inline FakePanel& panel() { return FakePanel::get(); }

// The block as any other program of the process sees it, through its own view.
struct BlockPeek {
    int32_t engine1Magneto, engine2Magneto, ignitionCut;
};

class BlockView {
public:
    BlockView() {
        HANDLE h = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 12,
                                      "P9VMagnetoSharedMemoryObject");
        view_ = static_cast<BlockPeek*>(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 12));
    }
    ~BlockView() {
        if (view_) UnmapViewOfFile(view_);
    }
    BlockView(const BlockView&) = delete;
    BlockView& operator=(const BlockView&) = delete;
    BlockPeek* operator->() { return view_; }
    BlockPeek& operator*() { return *view_; }

private:
    BlockPeek* view_ = nullptr;
};

// One overhead module, loaded and bound to the fake panel.
class Module {
public:
    explicit Module(const char* path) : path_(path) {
        handle_ = LoadLibraryA(path);
        if (!handle_) {
            ADD_FAILURE() << "cannot load " << path;
            return;
        }
        auto* linkage = reinterpret_cast<LinkageRecord*>(GetProcAddress(handle_, "Linkage"));
        imports_ = reinterpret_cast<ImportEntry*>(GetProcAddress(handle_, "ImportTable"));
        if (!linkage || !imports_) {
            ADD_FAILURE() << path << " lacks Linkage or ImportTable";
            return;
        }
        imports_[0].serviceTable = FakePanel::services();
        header_ = linkage->gaugeHeaders[0];
        collect(*header_->elementList);
    }
    ~Module() {
        if (handle_) FreeLibrary(handle_);
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    bool loaded() const { return header_ != nullptr; }
    HMODULE handle() const { return handle_; }
    GaugeHeader& header() { return *header_; }

    // Elements in the panel system's tree order, numbered from 1 as in the element tables.
    const std::vector<ElementHeader*>& elements() const { return elements_; }
    ElementHeader* element(int number) const { return elements_.at(size_t(number - 1)); }
    IconElement& icon(int number) const { return *reinterpret_cast<IconElement*>(element(number)); }
    StringElement& text(int number) const { return *reinterpret_cast<StringElement*>(element(number)); }
    MovingImageElement& moving(int number) const { return *reinterpret_cast<MovingImageElement*>(element(number)); }
    int numberOf(const ElementHeader* e) const {
        for (size_t i = 0; i < elements_.size(); ++i)
            if (elements_[i] == e) return int(i + 1);
        return 0;
    }

    int32_t install() {
        int32_t result = header_->installRoutine(handle_);
        list_ = panel().mouseList;
        return result;
    }
    int32_t update() { return header_->updateRoutine(); }
    int32_t kill() { return header_->killRoutine(); }

    // The child rectangles of the mouse list registered at install, numbered from 1.
    MouseRect& rect(int number) const { return list_[number]; }
    MouseRect* mouseList() const { return list_; }
    int rectCount() const {
        int n = 0;
        while (list_ && list_[n + 1].rectType == ChildRect) ++n;
        return n;
    }
    int32_t click(int number) const { return rect(number).mouseFunction(0, 0); }

    // What the panel system does for an icon at an update: refresh its variable, run its law
    // and keep the result as its value.
    double evaluate(int number) const {
        IconElement& i = icon(number);
        panel().deliver(i.variable);
        if (i.valueCallback) i.variable.value = i.valueCallback(&i.variable);
        return i.variable.value;
    }
    // Every icon with a law, in tree order.
    void evaluateIcons() const {
        for (size_t n = 1; n <= elements_.size(); ++n)
            if (element(int(n))->kind == Icon && icon(int(n)).valueCallback) evaluate(int(n));
    }

private:
    void collect(ElementHeader* e) {
        if (!e || elements_.size() > 200) return;
        elements_.push_back(e);
        if (e->nextList)
            for (ElementHeader* const* child = e->nextList; *child; ++child) collect(*child);
    }

    std::string path_;
    HMODULE handle_ = nullptr;
    ImportEntry* imports_ = nullptr;
    GaugeHeader* header_ = nullptr;
    std::vector<ElementHeader*> elements_;
    MouseRect* list_ = nullptr;
};

// Sound ids started by `module` since play-log entry `from`.
inline std::vector<int32_t> soundsSince(uint32_t from, HMODULE module) {
    std::vector<int32_t> out;
    PlatformSoundPlay play{};
    for (uint32_t i = from; platformSoundPlayAt(i, &play); ++i)
        if (play.module == module) out.push_back(play.soundId);
    return out;
}

// A fresh start for every test: no magneto object, no sound device, an empty log, a quiet
// simulator.
inline void freshProcessState() {
    platformResetFileMappings();
    platformSoundReset();
    panel() = FakePanel{};
}

// The modules under test.
struct Overhead {
    const char* name;
    const char* path;
};

inline const Overhead firstOfficer{"fo_overhead", FO_MODULE_PATH};
inline const Overhead captain{"captain_overhead", CAPTAIN_MODULE_PATH};

}  // namespace bench
