// The panel host's panel: loading modules, the service table the modules call, the
// lifecycle driver and clicks. The services keep every installed element's variables
// current, call value and text callbacks in tree order, store their results and move the
// needles; the renderer draws from the state kept here.
#include "panel.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>

#include "bitmap.h"
#include "sound_hooks.h"

namespace host {

namespace {

Panel* currentPanel = nullptr;

// Bounds for walking a module's records: a malformed module must not hang the host.
constexpr int maxElements = 4096;
constexpr int maxDepth = 64;
constexpr int maxMouseRects = 1024;

void collect(Gauge& g, ElementHeader* e, int depth, std::set<ElementHeader*>& seen) {
    if (!e || depth > maxDepth || int(g.elements.size()) >= maxElements || !seen.insert(e).second) return;
    InstalledElement item;
    item.number = int(g.elements.size()) + 1;
    item.depth = depth;
    item.header = e;
    if (e->kind == String) {
        auto* s = reinterpret_cast<StringElement*>(e);
        // Exactly the size the panel system promises, so a text written past it is caught.
        item.textBuffer.assign(size_t(s->maxChars) + 1, '\0');
    }
    g.elements.push_back(std::move(item));
    if (e->kind == String) {
        auto* s = reinterpret_cast<StringElement*>(e);
        s->textBuffer = g.elements.back().textBuffer.data();
    }
    if (e->nextList)
        for (int i = 0; e->nextList[i] && i < maxElements; ++i) collect(g, e->nextList[i], depth + 1, seen);
}

void moveNeedle(InstalledElement& item) {
    auto* n = reinterpret_cast<NeedleElement*>(item.header);
    NeedleState& s = item.needle;
    s.target = needles::sweepFor(*n, n->variable.value);
    if (!s.placed) {
        s.shown = s.target;
        s.placed = true;
        return;
    }
    double step = n->maxDegreesPerUpdate > 0 ? double(n->maxDegreesPerUpdate) : 1e300;
    double d = s.target - s.shown;
    s.shown = std::fabs(d) <= step ? s.target : s.shown + (d > 0 ? step : -step);
}

void updateElement(const SimVariables& vars, InstalledElement& item) {
    ElementHeader* e = item.header;
    switch (e->kind) {
        case Needle: {
            auto* n = reinterpret_cast<NeedleElement*>(e);
            vars.deliver(n->variable);
            if (n->valueCallback) n->variable.value = n->valueCallback(&n->variable);
            moveNeedle(item);
            break;
        }
        case Icon: {
            auto* i = reinterpret_cast<IconElement*>(e);
            vars.deliver(i->variable);
            if (i->valueCallback) i->variable.value = i->valueCallback(&i->variable);
            break;
        }
        case MovingImage: {
            auto* m = reinterpret_cast<MovingImageElement*>(e);
            vars.deliver(m->xVariable);
            vars.deliver(m->yVariable);
            if (m->xCallback) m->xVariable.value = m->xCallback(&m->xVariable);
            if (m->yCallback) m->yVariable.value = m->yCallback(&m->yVariable);
            break;
        }
        case String: {
            auto* s = reinterpret_cast<StringElement*>(e);
            vars.deliver(s->variable1);
            vars.deliver(s->variable2);
            vars.deliver(s->variable3);
            if (s->valueCallback && s->textBuffer) s->valueCallback(s->variable1.value);
            break;
        }
        default:
            break;
    }
}

// The service table. Every service finds the gauge through the panel whose routine runs.
int32_t HOSTCALL queryElements(ElementHeader*) { return 0; }

int32_t HOSTCALL installElements(ElementHeader* root, ModuleInstance) {
    Panel* p = Panel::current();
    if (!p || !p->currentModule || !root) return 0;
    Gauge& g = p->currentModule->gauge;
    g.elements.clear();
    g.root = root;
    std::set<ElementHeader*> seen;
    collect(g, root, 0, seen);
    // The word the frame forwards to registerMouseList (plus 4): any value of the host's.
    if (root->kind == StaticImage) reinterpret_cast<StaticImageElement*>(root)->hostWords[0] = 0x1000;
    return 1;
}

int32_t HOSTCALL initializeElements(ElementHeader* root) {
    Panel* p = Panel::current();
    if (Gauge* g = p ? p->gaugeOfRoot(root) : nullptr)
        for (InstalledElement& item : g->elements) item.needle.placed = false;
    return 1;
}

int32_t HOSTCALL updateElements(ElementHeader* root) {
    Panel* p = Panel::current();
    Gauge* g = p ? p->gaugeOfRoot(root) : nullptr;
    if (!g) return 0;
    for (InstalledElement& item : g->elements) updateElement(p->variables, item);
    ++g->updates;
    return 1;
}

int32_t HOSTCALL generateElements(ElementHeader*, uint32_t) { return 1; }
int32_t HOSTCALL plotElements(ElementHeader*) { return 1; }

int32_t HOSTCALL killElements(ElementHeader* root) {
    Panel* p = Panel::current();
    Gauge* g = p ? p->gaugeOfRoot(root) : nullptr;
    if (!g) return 0;
    for (InstalledElement& item : g->elements)
        if (item.header->kind == String) reinterpret_cast<StringElement*>(item.header)->textBuffer = nullptr;
    g->elements.clear();
    g->root = nullptr;
    return 1;
}

int32_t HOSTCALL registerMouseList(MouseRect* list, GaugeHeader* header, HostWord) {
    Panel* p = Panel::current();
    if (Gauge* g = p ? p->gaugeOfHeader(header) : nullptr) {
        g->mouseList = list;
        g->mouseInstalled = false;
    }
    return 1;
}

int32_t HOSTCALL installMouseList(MouseRect* list, GaugeHeader* header) {
    Panel* p = Panel::current();
    Gauge* g = p ? p->gaugeOfHeader(header) : nullptr;
    if (g && g->mouseList == list) g->mouseInstalled = true;
    return 1;
}

int32_t HOSTCALL unregisterMouseList(MouseRect* list, GaugeHeader* header) {
    Panel* p = Panel::current();
    Gauge* g = p ? p->gaugeOfHeader(header) : nullptr;
    if (g && g->mouseList == list) {
        g->mouseList = nullptr;
        g->mouseInstalled = false;
    }
    return 1;
}

int32_t HOSTCALL panelCommand(uint32_t command) {
    if (Panel* p = Panel::current()) p->logEvent(Event::PanelCommand, command, 0);
    return 1;
}

int32_t HOSTCALL sendKeyEvent(uint32_t event, uint32_t parameter) {
    if (Panel* p = Panel::current()) p->logEvent(Event::KeyEvent, event, parameter);
    return 1;
}

int32_t HOSTCALL bindVariable(ModuleVar*) { return 1; }

int32_t HOSTCALL readVariable(ModuleVar* v) {
    if (Panel* p = Panel::current(); p && v) p->variables.deliver(*v);
    return 1;
}

HostServices& serviceTable() {
    static HostServices table = [] {
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
    return table;
}

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// The x87 precision the host runs module code at. Simulators run the x87 unit at extended,
// double or single precision (a graphics driver may lower it); P9V_X87=single|double|extended
// makes the 32-bit host do the same, so tests can show the modules' results do not depend on
// it. The host's own arithmetic uses SSE2 and is unaffected.
#if defined(__i386__)
uint16_t hostControlWord() {
    static const uint16_t word = [] {
        const char* mode = std::getenv("P9V_X87");
        std::string m = mode ? mode : "";
        uint16_t precision = m == "single" ? 0x0000 : m == "double" ? 0x0200 : 0x0300;
        return uint16_t(0x007F | precision);  // every exception masked, round to nearest
    }();
    return word;
}
#endif

// Makes a routine call with this panel's services current and the module as the caller.
class Calling {
public:
    Calling(Panel& p, Module& m, const std::string& source) : panel_(p), previous_(p.currentModule) {
        p.currentModule = &m;
        p.currentSource = source;
#if defined(__i386__)
        asm volatile("fnstcw %0" : "=m"(savedWord_));
        uint16_t word = hostControlWord();
        asm volatile("fldcw %0" : : "m"(word));
#endif
    }
    ~Calling() {
#if defined(__i386__)
        asm volatile("fldcw %0" : : "m"(savedWord_));
#endif
        panel_.collectSounds();
        panel_.currentModule = previous_;
        panel_.currentSource.clear();
    }

private:
    Panel& panel_;
    Module* previous_;
    uint16_t savedWord_ = 0;
};

}  // namespace

Panel::Panel() { currentPanel = this; }

Panel::~Panel() {
    while (!modules_.empty()) unload(modules_.back().get());
    if (currentPanel == this) currentPanel = nullptr;
}

Panel* Panel::current() { return currentPanel; }

Module* Panel::load(const std::string& path, std::string& error) {
    HMODULE handle = LoadLibraryA(path.c_str());
    if (!handle) {
        error = "cannot load module " + path;
        return nullptr;
    }
    auto* linkage = reinterpret_cast<LinkageRecord*>(GetProcAddress(handle, "Linkage"));
    auto* imports = reinterpret_cast<ImportTableRecord*>(GetProcAddress(handle, "ImportTable"));
    if (!linkage || !imports) {
        error = path + " does not export Linkage and ImportTable";
        FreeLibrary(handle);
        return nullptr;
    }
    GaugeHeader* header = linkage->gaugeHeaders[0];
    if (linkage->moduleId != linkageModuleId || !header || header->version != gaugeVersion || !header->elementList ||
        (*imports)[0].id != serviceTableImportId || !header->installRoutine || !header->updateRoutine ||
        !header->killRoutine) {
        error = path + ": Linkage does not describe a gauge module this host can drive";
        FreeLibrary(handle);
        return nullptr;
    }
    (*imports)[0].serviceTable = &serviceTable();
    auto m = std::make_unique<Module>();
    m->name = baseName(path);
    m->path = path;
    m->handle = handle;
    m->linkage = linkage;
    m->imports = imports;
    m->gauge.module = m.get();
    m->gauge.header = header;
    if (linkage->moduleInit) linkage->moduleInit();
    modules_.push_back(std::move(m));
    return modules_.back().get();
}

void Panel::unload(Module* m) {
    for (auto it = modules_.begin(); it != modules_.end(); ++it)
        if (it->get() == m) {
            if (m->gauge.root) kill(*m);
            if (m->linkage->moduleDeinit) m->linkage->moduleDeinit();
            forgetModuleBitmaps(m->handle);  // a later module may be mapped at the same address
            FreeLibrary(m->handle);
            modules_.erase(it);
            return;
        }
}

Module* Panel::find(const std::string& name) {
    for (auto& m : modules_)
        if (m->name == name) return m.get();
    return nullptr;
}

int32_t Panel::query(Module& m) {
    Calling c(*this, m, "query");
    return m.gauge.header->queryRoutine ? m.gauge.header->queryRoutine() : 0;
}

int32_t Panel::install(Module& m) {
    Calling c(*this, m, "install");
    return m.gauge.header->installRoutine(m.handle);
}

int32_t Panel::initialize(Module& m) {
    Calling c(*this, m, "initialize");
    return m.gauge.header->initializeRoutine ? m.gauge.header->initializeRoutine() : 0;
}

int32_t Panel::update(Module& m) {
    Calling c(*this, m, "update");
    ++updateCount_;
    return m.gauge.header->updateRoutine();
}

int32_t Panel::generate(Module& m, uint32_t phase) {
    Calling c(*this, m, "generate");
    return m.gauge.header->generateRoutine ? m.gauge.header->generateRoutine(phase) : 0;
}

int32_t Panel::draw(Module& m) {
    Calling c(*this, m, "draw");
    return m.gauge.header->drawRoutine ? m.gauge.header->drawRoutine() : 0;
}

int32_t Panel::kill(Module& m) {
    Calling c(*this, m, "kill");
    return m.gauge.header->killRoutine();
}

int Panel::click(Module& m, int x, int y) {
    Gauge& g = m.gauge;
    if (!g.mouseList || !g.mouseInstalled) return 0;
    for (int i = 1; i < maxMouseRects && g.mouseList[i].rectType != EndRect; ++i) {
        MouseRect& r = g.mouseList[i];
        if (r.rectType != ChildRect || x < r.x || y < r.y || x >= r.x + r.width || y >= r.y + r.height) continue;
        if (r.mouseFunction) {
            Calling c(*this, m, "rect " + std::to_string(i));
            r.mouseFunction(uint32_t(x - r.x) | (uint32_t(y - r.y) << 16), r.mouseFlags);
        } else if (r.keyEvent) {
            Calling c(*this, m, "rect " + std::to_string(i) + " (key event)");
            logEvent(Event::KeyEvent, r.keyEvent, 0);
        }
        return i;
    }
    return 0;
}

Gauge* Panel::gaugeOfRoot(ElementHeader* root) {
    if (!root) return nullptr;
    for (auto& m : modules_)
        if (m->gauge.root == root) return &m->gauge;
    return nullptr;
}

Gauge* Panel::gaugeOfHeader(const GaugeHeader* header) {
    for (auto& m : modules_)
        if (m->gauge.header == header) return &m->gauge;
    return nullptr;
}

void Panel::logEvent(Event::Kind kind, uint32_t number, uint32_t parameter) {
    Event e{kind, currentModule ? currentModule->name : std::string(), number, parameter, currentSource,
            updateCount_};
    events.push_back(e);
    if (onEvent) onEvent(events.back());
}

void Panel::collectSounds() {
    soundhooks::SoundStart start;
    while (soundhooks::nextSoundStart(start)) {
        logEvent(Event::Sound, start.id, 0);
        if (recordSounds) sounds.push_back({updateCount_, std::move(start)});
    }
}

}  // namespace host
