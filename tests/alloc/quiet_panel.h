// A quiet stand-in for the panel system that never allocates, for driving native modules in tests
// and benchmarks. Uses the records and the platform seam only, never a module's internals or the host.
//
// A quiet stand-in for the panel system: loads native gauge modules, hands them a service table
// and drives their lifecycle routines, value callbacks, text callbacks and mouse rectangles as
// the panel system does, without allocating anything itself (every table is fixed-size static
// data), so that whatever is allocated while it runs is the module's own. Used by the
// allocation test, the fuzz targets and the benchmarks.
#pragma once

#include <cstdint>
#include <cstring>

#include "frame/records.h"
#include "platform/win.h"

namespace quiet {

constexpr int maxGauges = 8;
constexpr int maxElements = 256;
constexpr int maxDepth = 128;  // the overheads chain most of their elements one under another
constexpr int textPoolBytes = 8192;
constexpr int maxVariables = 128;
constexpr int maxMouseRects = 256;

// Tokens the simulator delivers as 32-bit integers (BCD frequencies and codes, magneto
// positions); every other token is a double.
inline constexpr uint32_t integerTokens[] = {16, 18, 23, 24, 27, 38, 132, 167};

inline bool integerForm(uint32_t token) {
    for (uint32_t t : integerTokens)
        if (t == token) return true;
    return false;
}

// A double converted as a 32-bit x86 conversion does: INT32_MIN for NaN and out of range.
// Values written as unsigned 32-bit numbers (0xFFFFFFFF codes) keep their bits.
inline int32_t x86Int32(double v) {
    if (v >= 2147483648.0 && v < 4294967296.0) return int32_t(uint32_t(v));
    if (!(v >= -2147483648.0 && v < 2147483648.0)) return INT32_MIN;
    return int32_t(v);
}

// The simulator's variables: a fixed table of token and value.
struct Simulator {
    uint32_t tokens[maxVariables];
    double values[maxVariables];
    int count;

    void set(uint32_t token, double value) {
        for (int i = 0; i < count; ++i)
            if (tokens[i] == token) {
                values[i] = value;
                return;
            }
        if (count < maxVariables) {
            tokens[count] = token;
            values[count++] = value;
        }
    }
    // The value's place in the table, made when absent (null when the table is full).
    double* slot(uint32_t token) {
        set(token, get(token));
        for (int i = 0; i < count; ++i)
            if (tokens[i] == token) return &values[i];
        return nullptr;
    }
    double get(uint32_t token) const {
        for (int i = 0; i < count; ++i)
            if (tokens[i] == token) return values[i];
        return 0.0;
    }
    void deliver(ModuleVar& v) const {
        if (v.token == 0) return;
        if (integerForm(v.token))
            setIntegerValue(v, x86Int32(get(v.token)));
        else
            v.value = get(v.token);
    }
};

struct Gauge {
    GaugeHeader* header;
    ElementHeader* root;  // while installed
    ElementHeader* elements[maxElements];
    int elementCount;
    MouseRect* mouseList;
    bool mouseInstalled;
    char text[textPoolBytes];
    int textUsed;
};

// What the gauges sent, folded into counts and one FNV-1a hash in the order it happened.
struct Tally {
    uint64_t hash;
    uint32_t keyEvents;
    uint32_t panelCommands;
    uint32_t bindings;
    uint32_t reads;
    uint32_t callbacks;
    uint32_t lastKeyEvent;
};

inline constexpr uint64_t fnvOffset = 0xcbf29ce484222325ull;

inline uint64_t fnv(uint64_t h, const void* data, size_t n) {
    auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
    return h;
}

struct State {
    Simulator simulator;
    Gauge gauges[maxGauges];
    int gaugeCount;
    Gauge* current;  // the gauge whose routine or mouse function runs
    Tally tally;
};

inline State& state() {
    static constinit State s{};
    return s;
}

inline Gauge* gaugeOfRoot(ElementHeader* root) {
    State& s = state();
    for (int i = 0; i < s.gaugeCount; ++i)
        if (root && s.gauges[i].root == root) return &s.gauges[i];
    return nullptr;
}

inline Gauge* gaugeOfHeader(const GaugeHeader* header) {
    State& s = state();
    for (int i = 0; i < s.gaugeCount; ++i)
        if (s.gauges[i].header == header) return &s.gauges[i];
    return nullptr;
}

inline void record(uint32_t kind, uint32_t a, uint32_t b) {
    uint32_t words[3] = {kind, a, b};
    state().tally.hash = fnv(state().tally.hash, words, sizeof words);
}

inline bool seen(const Gauge& g, const ElementHeader* e) {
    for (int i = 0; i < g.elementCount; ++i)
        if (g.elements[i] == e) return true;
    return false;
}

inline void collect(Gauge& g, ElementHeader* e, int depth) {
    if (!e || depth > maxDepth || g.elementCount >= maxElements || seen(g, e)) return;
    g.elements[g.elementCount++] = e;
    if (e->kind == String) {
        auto* s = reinterpret_cast<StringElement*>(e);
        // Exactly maxChars + 1 bytes, as the panel system promises, and no more.
        int need = int(s->maxChars) + 1;
        if (s->maxChars < 1024 && g.textUsed + need <= textPoolBytes) {
            s->textBuffer = g.text + g.textUsed;
            std::memset(s->textBuffer, 0, size_t(need));
            g.textUsed += need;
        } else {
            s->textBuffer = nullptr;
        }
    }
    if (e->nextList)
        for (int i = 0; i < maxElements && e->nextList[i]; ++i) collect(g, e->nextList[i], depth + 1);
}

inline void updateElement(ElementHeader* e) {
    const Simulator& sim = state().simulator;
    Tally& t = state().tally;
    switch (e->kind) {
        case Needle: {
            auto* n = reinterpret_cast<NeedleElement*>(e);
            sim.deliver(n->variable);
            if (n->valueCallback) n->variable.value = n->valueCallback(&n->variable), ++t.callbacks;
            break;
        }
        case Icon: {
            auto* i = reinterpret_cast<IconElement*>(e);
            sim.deliver(i->variable);
            if (i->valueCallback) i->variable.value = i->valueCallback(&i->variable), ++t.callbacks;
            break;
        }
        case MovingImage: {
            auto* m = reinterpret_cast<MovingImageElement*>(e);
            sim.deliver(m->xVariable);
            sim.deliver(m->yVariable);
            if (m->xCallback) m->xVariable.value = m->xCallback(&m->xVariable), ++t.callbacks;
            if (m->yCallback) m->yVariable.value = m->yCallback(&m->yVariable), ++t.callbacks;
            break;
        }
        case String: {
            auto* s = reinterpret_cast<StringElement*>(e);
            sim.deliver(s->variable1);
            sim.deliver(s->variable2);
            sim.deliver(s->variable3);
            if (s->valueCallback && s->textBuffer) s->valueCallback(s->variable1.value), ++t.callbacks;
            break;
        }
        default:
            break;
    }
}

// ---- the service table ----

inline int32_t HOSTCALL queryElements(ElementHeader*) { return 1; }

inline int32_t HOSTCALL installElements(ElementHeader* root, ModuleInstance) {
    Gauge* g = state().current;
    if (!g || !root) return 0;
    g->root = root;
    g->elementCount = 0;
    g->textUsed = 0;
    collect(*g, root, 0);
    if (root->kind == StaticImage) reinterpret_cast<StaticImageElement*>(root)->hostWords[0] = 0x2000;
    return 1;
}

inline int32_t HOSTCALL initializeElements(ElementHeader*) { return 1; }

inline int32_t HOSTCALL updateElements(ElementHeader* root) {
    Gauge* g = gaugeOfRoot(root);
    if (!g) return 0;
    for (int i = 0; i < g->elementCount; ++i) updateElement(g->elements[i]);
    return 1;
}

inline int32_t HOSTCALL generateElements(ElementHeader*, uint32_t) { return 1; }
inline int32_t HOSTCALL plotElements(ElementHeader*) { return 1; }

inline int32_t HOSTCALL killElements(ElementHeader* root) {
    Gauge* g = gaugeOfRoot(root);
    if (!g) return 0;
    for (int i = 0; i < g->elementCount; ++i)
        if (g->elements[i]->kind == String) reinterpret_cast<StringElement*>(g->elements[i])->textBuffer = nullptr;
    g->elementCount = 0;
    g->root = nullptr;
    return 1;
}

inline int32_t HOSTCALL registerMouseList(MouseRect* list, GaugeHeader* header, HostWord) {
    if (Gauge* g = gaugeOfHeader(header)) g->mouseList = list, g->mouseInstalled = false;
    return 1;
}

inline int32_t HOSTCALL installMouseList(MouseRect* list, GaugeHeader* header) {
    if (Gauge* g = gaugeOfHeader(header); g && g->mouseList == list) g->mouseInstalled = true;
    return 1;
}

inline int32_t HOSTCALL unregisterMouseList(MouseRect* list, GaugeHeader* header) {
    if (Gauge* g = gaugeOfHeader(header); g && g->mouseList == list) g->mouseList = nullptr, g->mouseInstalled = false;
    return 1;
}

inline int32_t HOSTCALL panelCommand(uint32_t command) {
    ++state().tally.panelCommands;
    record(2, command, 0);
    return 1;
}

inline int32_t HOSTCALL sendKeyEvent(uint32_t event, uint32_t parameter) {
    ++state().tally.keyEvents;
    state().tally.lastKeyEvent = event;
    record(1, event, parameter);
    return 1;
}

inline int32_t HOSTCALL bindVariable(ModuleVar*) {
    ++state().tally.bindings;
    return 1;
}

inline int32_t HOSTCALL readVariable(ModuleVar* v) {
    ++state().tally.reads;
    if (v) state().simulator.deliver(*v);
    return 1;
}

inline HostServices* services() {
    static constinit HostServices table = [] {
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
    return &table;
}

// ---- driving a module ----

struct Module {
    HMODULE handle;
    LinkageRecord* linkage;
    GaugeHeader* header;
    Gauge* gauge;
};

// Loads the module and binds it to the quiet panel; false when it is not a gauge module.
inline bool load(const char* path, Module& m) {
    State& s = state();
    m = Module{};
    if (s.gaugeCount >= maxGauges) return false;
    m.handle = LoadLibraryA(path);
    if (!m.handle) return false;
    m.linkage = reinterpret_cast<LinkageRecord*>(GetProcAddress(m.handle, "Linkage"));
    auto* imports = reinterpret_cast<ImportEntry*>(GetProcAddress(m.handle, "ImportTable"));
    if (!m.linkage || !imports || !m.linkage->gaugeHeaders[0]) return false;
    imports[0].serviceTable = services();
    m.header = m.linkage->gaugeHeaders[0];
    m.gauge = gaugeOfHeader(m.header);
    if (!m.gauge) {
        m.gauge = &s.gauges[s.gaugeCount++];
        *m.gauge = Gauge{};
        m.gauge->header = m.header;
    }
    return true;
}

// Makes the module's gauge current for the length of one call, as the panel system does.
class Calling {
public:
    explicit Calling(Module& m) : previous_(state().current) { state().current = m.gauge; }
    ~Calling() { state().current = previous_; }
    Calling(const Calling&) = delete;
    Calling& operator=(const Calling&) = delete;

private:
    Gauge* previous_;
};

inline int32_t query(Module& m) { Calling c(m); return m.header->queryRoutine(); }
inline int32_t install(Module& m) { Calling c(m); return m.header->installRoutine(m.handle); }
inline int32_t initialize(Module& m) { Calling c(m); return m.header->initializeRoutine(); }
inline int32_t update(Module& m) { Calling c(m); return m.header->updateRoutine(); }
inline int32_t generate(Module& m, uint32_t phase) { Calling c(m); return m.header->generateRoutine(phase); }
inline int32_t draw(Module& m) { Calling c(m); return m.header->drawRoutine(); }
inline int32_t kill(Module& m) { Calling c(m); return m.header->killRoutine(); }

// Child rectangles of the installed mouse list (0 when none is installed).
inline int rectCount(const Module& m) {
    const Gauge& g = *m.gauge;
    if (!g.mouseList || !g.mouseInstalled) return 0;
    int n = 0;
    while (n + 1 < maxMouseRects && g.mouseList[n + 1].rectType == ChildRect) ++n;
    return n;
}

// A click in child rectangle `index` (1-based): its mouse function runs, or the panel system
// sends its key event. Returns the mouse function's result, or 0.
inline int32_t click(Module& m, int index) {
    Gauge& g = *m.gauge;
    if (index < 1 || index > rectCount(m)) return 0;
    MouseRect& r = g.mouseList[index];
    Calling c(m);
    if (r.mouseFunction) return r.mouseFunction(0, r.mouseFlags);
    if (r.keyEvent) sendKeyEvent(r.keyEvent, 0);
    return 0;
}

// One panel frame of the gauge: update, generate, draw.
inline void frame(Module& m) {
    update(m);
    generate(m, 0);
    draw(m);
}

// Forgets every gauge and what was sent; the modules stay loaded.
inline void resetPanel() {
    State& s = state();
    s.tally = Tally{fnvOffset, 0, 0, 0, 0, 0, 0};
    s.simulator.count = 0;
}

}  // namespace quiet
