// The panel host's model of a running panel: the simulator variables, the loaded gauge
// modules, each installed gauge's element tree and mouse list as the host sees them, and the
// log of what the gauges sent. Portable: uses the records and the platform seam only, never
// a module's internals.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame/records.h"
#include "platform/win.h"
#include "sound_hooks.h"

namespace host {

// How the simulator delivers a variable into a ModuleVar's value slot.
enum class VariableForm { Double, Integer };

struct VariableInfo {
    uint32_t token;
    const char* name;
    VariableForm form;
};

// Every simulator variable the five gauges read, with the form each is delivered in.
const std::vector<VariableInfo>& knownVariables();
const VariableInfo* findVariable(uint32_t token);

// The simulator's side of the variables: current values by token.
class SimVariables {
public:
    void set(uint32_t token, double value);  // integer-form tokens take the value as an integer
    double get(uint32_t token) const;
    void deliver(ModuleVar& v) const;  // writes v's slot in the token's form; token 0 untouched

private:
    std::map<uint32_t, double> values_;
};

// Needle display state kept by the host between updates.
struct NeedleState {
    bool placed = false;     // false until the first update after install
    double target = 0;       // where the latest value puts the needle (degrees along its sweep)
    double shown = 0;        // where it is drawn now, moved at most maxDegreesPerUpdate per update
};

struct InstalledElement {
    int number;  // 1-based position in tree order (parents before children)
    int depth;
    ElementHeader* header;
    std::vector<char> textBuffer;  // String only: exactly maxChars + 1 bytes
    NeedleState needle;            // Needle only
};

struct Module;
struct RenderCache;  // the renderer's pictures kept between frames (host/render.cpp)

struct Gauge {
    Module* module = nullptr;
    GaugeHeader* header = nullptr;
    ElementHeader* root = nullptr;  // set while installed
    std::vector<InstalledElement> elements;
    MouseRect* mouseList = nullptr;  // registered list
    bool mouseInstalled = false;
    int width = 0, height = 0;  // background bitmap size
    int updates = 0;
    std::shared_ptr<RenderCache> renderCache;  // dropped with the gauge's module
};

struct Module {
    std::string name;  // file name without directory and extension
    std::string path;
    HMODULE handle = nullptr;
    LinkageRecord* linkage = nullptr;
    ImportTableRecord* imports = nullptr;
    Gauge gauge;
};

// One thing a gauge did that the host reports: key events, panel commands, sounds.
struct Event {
    enum Kind { KeyEvent, PanelCommand, Sound } kind;
    std::string module;
    uint32_t number;     // key event, command or sound id
    uint32_t parameter;  // key event parameter
    std::string source;  // "rect 3 (mouse function)", "rect 2 (key event)", "update", ...
    long updateCount;    // panel-wide update count when it happened
};

class Panel {
public:
    Panel();
    ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // The panel whose services are running (the service table has no context argument).
    static Panel* current();

    SimVariables variables;
    std::vector<Event> events;
    std::function<void(const Event&)> onEvent;  // called as each event is logged

    // Sounds started, with their samples, kept while recordSounds is set (for --audio).
    struct StartedSound {
        long updateCount;
        soundhooks::SoundStart sound;
    };
    bool recordSounds = false;
    std::vector<StartedSound> sounds;

    // Loads the module file, checks its Linkage and fills its ImportTable. Returns the module
    // or null with `error` set.
    Module* load(const std::string& path, std::string& error);
    void unload(Module* m);
    Module* find(const std::string& name);
    const std::vector<std::unique_ptr<Module>>& modules() const { return modules_; }

    // Lifecycle routines in the host's order: query, install, initialize, then per frame
    // update, generate (phase), draw; kill before unloading.
    int32_t query(Module& m);
    int32_t install(Module& m);
    int32_t initialize(Module& m);
    int32_t update(Module& m);
    int32_t generate(Module& m, uint32_t phase);
    int32_t draw(Module& m);
    int32_t kill(Module& m);

    // A click at gauge coordinates: the first child rectangle containing the point runs its
    // mouse function or makes the host send its key event. Returns the rectangle's 1-based
    // number, or 0 when no rectangle is hit (or the list is not installed).
    int click(Module& m, int x, int y);

    long updateCount() const { return updateCount_; }

    // Called by the services.
    Gauge* gaugeOfRoot(ElementHeader* root);
    Gauge* gaugeOfHeader(const GaugeHeader* header);
    void logEvent(Event::Kind kind, uint32_t number, uint32_t parameter);
    void collectSounds();  // logs the sounds the current module started since the last call
    std::string currentSource;  // what is running now, for the event log
    Module* currentModule = nullptr;

private:
    std::vector<std::unique_ptr<Module>> modules_;
    long updateCount_ = 0;
};

// Needle geometry shared by the update (animation) and the renderer.
namespace needles {
// Degrees along the needle's sweep for a value: the callback's angle itself for a needle
// without a table, else the table position (see needles.cpp for the interpolation rule).
double sweepFor(const NeedleElement& n, double value);
// Screen angle in degrees (0 right, clockwise) for a sweep position.
double screenAngle(const NeedleElement& n, double sweep);
}  // namespace needles

}  // namespace host
