// Benchmark: the module side of one panel update, per gauge.
// Uses the quiet panel and the platform seam.
//
// The module side of one panel update, per gauge: the gauge's update routine and every value
// and text callback the panel system makes for it in that update (with generate and draw, which
// only forward), measured through the quiet panel, which itself only walks the element list and
// copies variables in. Variables hold cruise values; the "changing" runs move every variable
// each update so texts and needles never repeat.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "quiet_panel.h"

namespace {

struct Loaded {
    quiet::Module module;
    bool ok = false;
};

// Cruise values of every variable the gauges read.
const std::pair<uint32_t, double> cruise[] = {
    {16, 0x0345},  {17, 1},     {18, 0x105},  {21, 1},     {23, 0x1030},  {24, 0x0995}, {26, 0},
    {27, 0x2310},  {29, 1},     {38, 0x1200}, {74, 8500},  {75, 1013},    {76, 29.92},  {83, 274.5},
    {103, 1},      {105, 0},    {106, 1},     {107, 275},  {108, 1},      {109, 8500},  {111, 0},
    {112, 0},      {120, -500}, {131, 1},     {132, 3},    {136, 20000},  {144, 8000},  {147, 9000},
    {148, 25000},  {152, 25000}, {166, 1},    {167, 3},    {171, 20000},  {179, 8000},  {182, 9000},
    {183, 25000},  {187, 25000}, {335, 0},    {350, 0.06},
};

Loaded& loaded(const std::string& path) {
    static std::vector<std::pair<std::string, Loaded*>> all;
    for (auto& [p, l] : all)
        if (p == path) return *l;
    auto* l = new Loaded;
    l->ok = quiet::load(path.c_str(), l->module);
    if (l->ok) {
        quiet::query(l->module);
        quiet::install(l->module);
        quiet::initialize(l->module);
    }
    all.push_back({path, l});
    return *l;
}

void setCruise() {
    for (auto [token, value] : cruise) quiet::state().simulator.set(token, value);
}

void oneUpdate(benchmark::State& state, const std::string& path, bool changing) {
    Loaded& l = loaded(path);
    if (!l.ok) {
        state.SkipWithError(("cannot load " + path).c_str());
        return;
    }
    setCruise();
    std::vector<std::pair<double*, double>> slots;
    for (auto [token, value] : cruise) slots.push_back({quiet::state().simulator.slot(token), value});
    uint32_t callbacksBefore = quiet::state().tally.callbacks;
    double step = 0;
    for (auto _ : state) {
        if (changing) {
            step += 1;
            for (auto [at, value] : slots) *at = value + step;
        }
        quiet::frame(l.module);
    }
    state.counters["elements"] = l.module.gauge->elementCount;
    state.counters["callbacks/update"] =
        double(quiet::state().tally.callbacks - callbacksBefore) / double(state.iterations());
}

std::string nameOf(const std::string& path) {
    std::string n = path.substr(path.find_last_of('/') + 1);
    return n.substr(0, n.rfind('.'));
}

int registerAll() {
    std::string list = GAUGE_MODULES;
    for (size_t start = 0; start < list.size();) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string path = list.substr(start, end - start);
        start = end + 1;
        benchmark::RegisterBenchmark(("module_update/" + nameOf(path)).c_str(),
                                     [path](benchmark::State& s) { oneUpdate(s, path, false); });
        benchmark::RegisterBenchmark(("module_update_changing/" + nameOf(path)).c_str(),
                                     [path](benchmark::State& s) { oneUpdate(s, path, true); });
    }
    return 0;
}

const int registered = registerAll();

}  // namespace

BENCHMARK_MAIN();
