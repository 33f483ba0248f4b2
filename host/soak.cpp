// The soak run of the panel host.
// Portable: the host's model and the platform seam only.
//
// The soak run: one panel, every module, a long seeded run of variable changes, clicks and
// updates, a checksum of what the gauges did, and resident memory read after the warm-up and at
// the end.
#include "soak.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>

#include "panel.h"
#include "scenario.h"

#if !defined(_WIN32)
#include <unistd.h>

#include "platform/native/sound_control.h"
#endif

namespace host {

namespace {

// splitmix64: the same sequence in every build for the same seed.
struct Random {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t below(uint32_t n) { return n ? uint32_t(next() % n) : 0; }
};

struct Checksum {
    uint64_t h = 0xcbf29ce484222325ull;
    void bytes(const void* data, size_t n) {
        auto* p = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
    }
    void word(uint32_t v) { bytes(&v, sizeof v); }
    // Every NaN counts as one value: the two builds' floating-point units may give NaNs
    // different sign or payload bits, and nothing the gauges show depends on them.
    void number(double v) {
        if (std::isnan(v)) v = std::numeric_limits<double>::quiet_NaN();
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        if (std::isnan(v)) bits = 0x7FF8000000000000ull;
        bytes(&bits, sizeof bits);
    }
};

// Values that reach the edges of the laws, taken now and then instead of ordinary readings.
constexpr double edgeValues[] = {0.0,   1.0,    -1.0,   0.5,    -0.5,   2.5,   359.5, 360.0,
                                 -0.1,  360.1,  -999.5, 1e6,    -1e6,   1e300, -1e300,
                                 std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity(),
                                 std::numeric_limits<double>::quiet_NaN()};

// Four random BCD digits, as the simulator codes frequencies.
double randomBcd(Random& r) {
    uint32_t v = 0;
    for (int d = 0; d < 4; ++d) v = (v << 4) | r.below(10);
    return double(v);
}

double randomValue(Random& r, const VariableInfo& info) {
    uint32_t pick = r.below(16);
    if (info.form == VariableForm::Integer) {
        if (pick < 9) return randomBcd(r);
        if (pick < 12) return double(r.below(5));  // magneto positions and one past them
        if (pick < 14) return double(r.below(0x10000));
        return double(uint32_t(r.next()));
    }
    if (pick < 3) return edgeValues[r.below(uint32_t(std::size(edgeValues)))];
    if (pick < 6) return double(r.below(2));  // the conditions and mode flags are 0 or 1
    // Exact in binary: the same double in both builds.
    return (double(r.below(2000001)) - 1000000.0) / 64.0;
}

long residentKb() {
#if defined(__linux__)
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    if (!(statm >> size >> resident)) return -1;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
#else
    return -1;
#endif
}

void checksumElements(Checksum& c, const Gauge& g) {
    for (const InstalledElement& item : g.elements) {
        const ElementHeader* e = item.header;
        switch (e->kind) {
            case Needle: {
                auto* n = reinterpret_cast<const NeedleElement*>(e);
                c.number(n->variable.value);
                c.number(item.needle.shown);
                break;
            }
            case Icon:
                c.number(reinterpret_cast<const IconElement*>(e)->variable.value);
                break;
            case MovingImage: {
                auto* m = reinterpret_cast<const MovingImageElement*>(e);
                c.number(m->xVariable.value);
                c.number(m->yVariable.value);
                break;
            }
            case String: {
                auto* s = reinterpret_cast<const StringElement*>(e);
                if (s->textBuffer) c.bytes(s->textBuffer, std::strlen(s->textBuffer));
                c.word(0);
                break;
            }
            default:
                break;
        }
    }
}

struct Target {
    Module* module;
    int rect;  // 1-based child rectangle
};

}  // namespace

SoakResult runSoak(const SoakOptions& options) {
    SoakResult result;
    Panel panel;
    Checksum checksum;
    panel.onEvent = [&](const Event& e) {
        if (e.kind == Event::Sound) {
            ++result.sounds;
            return;
        }
        ++(e.kind == Event::KeyEvent ? result.keyEvents : result.panelCommands);
        checksum.word(uint32_t(e.kind));
        checksum.word(e.number);
        checksum.word(e.parameter);
        checksum.bytes(e.module.data(), e.module.size());
    };

    std::vector<Module*> modules;
    for (const std::string& name : options.modules) {
        std::string path = resolveModule(name, options.moduleDirs);
        std::string error;
        Module* m = path.empty() ? nullptr : panel.load(path, error);
        if (!m) {
            result.error = path.empty() ? "module not found: " + name : error;
            return result;
        }
        panel.query(*m);
        panel.install(*m);
        panel.initialize(*m);
        modules.push_back(m);
    }

    std::vector<Target> targets;
    for (Module* m : modules)
        if (MouseRect* list = m->gauge.mouseList)
            for (int i = 1; list[i].rectType == ChildRect; ++i) targets.push_back({m, i});
    result.rectangles = long(targets.size());

    Random random{options.seed};
    const std::vector<VariableInfo>& variables = knownVariables();
    // By the warm-up's end every rectangle has been clicked more than once, so every sound
    // buffer exists and every lazily made host structure has its size.
    const long clickEvery = 4;
    const long warmUp = std::min(options.updates, std::max(options.updates / 10, 3 * clickEvery * result.rectangles + 100));
    const long reinstallEvery = 9973;
    size_t nextTarget = 0;

    for (long i = 0; i < options.updates; ++i) {
        for (uint32_t n = random.below(4); n > 0; --n) {
            const VariableInfo& v = variables[random.below(uint32_t(variables.size()))];
            panel.variables.set(v.token, randomValue(random, v));
            ++result.variableChanges;
        }
        if (i % clickEvery == 0 && !targets.empty()) {
            // Every rectangle in turn, at a random point inside it.
            const Target& t = targets[nextTarget++ % targets.size()];
            const MouseRect& r = t.module->gauge.mouseList[t.rect];
            int x = r.x + int(random.below(uint32_t(std::max(r.width, 1))));
            int y = r.y + int(random.below(uint32_t(std::max(r.height, 1))));
            panel.click(*t.module, x, y);
            ++result.clicks;
        }
        if (i % reinstallEvery == reinstallEvery - 1) {
            // A gauge closed and opened again on the loaded module, as when the pilot closes
            // and reopens a panel window: the magneto block must come back with its contents.
            Module* m = modules[size_t(i / reinstallEvery) % modules.size()];
            panel.kill(*m);
            panel.install(*m);
            panel.initialize(*m);
            ++result.reinstalls;
        }
        for (Module* m : modules) {
            panel.update(*m);
            panel.generate(*m, uint32_t(i & 0xFF));
            panel.draw(*m);
            checksumElements(checksum, m->gauge);
        }
        // The events are in the checksum already; the log is emptied every update so the host
        // holds the same memory all run long.
        panel.events.clear();
        if (i + 1 == warmUp) result.residentAfterWarmUpKb = residentKb();
    }
    result.residentAtEndKb = residentKb();
    result.checksum = checksum.h;
    result.ran = true;
    return result;
}

namespace {
// What resident memory may grow by after the warm-up: page-level noise of the C library's
// allocator. Nothing in the host or the platform grows with the length of the run (the event
// log is emptied, the sound stand-in keeps its latest plays only), so a leak of even a few
// bytes per update shows well beyond this over a hundred thousand updates.
constexpr long allowedGrowthKb = 256;

bool memoryHeld(const SoakResult& r) {
    if (r.residentAfterWarmUpKb < 0 || r.residentAtEndKb < 0) return true;
    return r.residentAtEndKb - r.residentAfterWarmUpKb <= allowedGrowthKb;
}
}  // namespace

void printSoak(const SoakOptions& options, const SoakResult& r, std::ostream& out) {
    if (!r.ran) {
        out << "soak: " << r.error << "\n";
        return;
    }
    out << "soak seed " << options.seed << ", " << options.updates << " updates of " << options.modules.size()
        << " modules, " << r.rectangles << " mouse rectangles\n";
    out << "clicks " << r.clicks << ", key events " << r.keyEvents << ", panel commands " << r.panelCommands
        << ", variable changes " << r.variableChanges << ", re-installs " << r.reinstalls << ", sounds heard "
        << r.sounds << "\n";
    if (r.residentAtEndKb >= 0)
        out << "resident memory " << r.residentAfterWarmUpKb << " KB after warm-up, " << r.residentAtEndKb
            << " KB at the end (allowed growth " << allowedGrowthKb << " KB): " << (memoryHeld(r) ? "held" : "GREW") << "\n";
    else
        out << "resident memory not measured in this build\n";
    char line[64];
    std::snprintf(line, sizeof line, "checksum %016" PRIx64 "\n", r.checksum);
    out << line;
}

int soakCommand(const std::vector<std::string>& arguments, const std::vector<std::string>& moduleDirs) {
    SoakOptions options;
    options.moduleDirs = moduleDirs;
    double seed = 1, updates = double(options.updates);
    if (arguments.size() > 2 || (arguments.size() > 0 && !parseNumber(arguments[0], seed)) ||
        (arguments.size() > 1 && !parseNumber(arguments[1], updates)) || seed < 0 || seed >= 1.8e19 ||
        !(updates >= 1 && updates <= 1e9)) {
        std::cerr << "usage: panelhost soak [SEED [COUNT]]   (defaults: seed 1, 100000 updates)\n";
        return 2;
    }
    options.seed = uint64_t(seed);
    options.updates = long(updates);
    SoakResult r = runSoak(options);
    printSoak(options, r, std::cout);
    if (!r.ran) return 2;
    return memoryHeld(r) ? 0 : 1;
}

}  // namespace host
