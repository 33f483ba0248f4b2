// Benchmark: the panel host's full frame against a framebuffer copy of as many bytes.
// Uses the panel host (panel.h, render.h) and the platform seam.
//
// The panel host's full frame: every gauge of one panel updated (update, generate, draw, with
// its value and text callbacks) and rendered to an RGBA picture, against a plain memcpy of the
// same number of picture bytes in the same run; per gauge and for all five together, with the
// picture area, so the cost can be read against the pixels drawn. The summary printed at the
// end gives each frame as a multiple of its copy. h, render.h) and the platform seam.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/panel.h"
#include "host/render.h"

namespace {

host::Panel& panel() {
    static host::Panel* p = [] {
        auto* made = new host::Panel;
        std::string list = GAUGE_MODULES;
        for (size_t start = 0; start < list.size();) {
            size_t end = list.find(':', start);
            if (end == std::string::npos) end = list.size();
            std::string error;
            if (host::Module* m = made->load(list.substr(start, end - start), error)) {
                made->query(*m);
                made->install(*m);
                made->initialize(*m);
            } else {
                std::fprintf(stderr, "%s\n", error.c_str());
            }
            start = end + 1;
        }
        // Cruise: needles away from their stops, readouts with digits.
        const std::pair<uint32_t, double> cruise[] = {{74, 8500},   {76, 29.92},  {83, 274.5},  {107, 275},
                                                      {109, 8500},  {120, -500},  {136, 20000}, {171, 20000},
                                                      {148, 25000}, {183, 25000}, {152, 25000}, {187, 25000},
                                                      {144, 8000},  {179, 8000},  {147, 9000},  {182, 9000},
                                                      {350, 0.06},  {24, 0x0995}, {27, 0x2310}, {23, 0x1030}};
        for (auto [t, v] : cruise) made->variables.set(t, v);
        return made;
    }();
    return *p;
}

std::vector<host::Module*> gauges(const std::string& which) {
    std::vector<host::Module*> out;
    for (auto& m : panel().modules())
        if (which == "all" || m->name == which) out.push_back(m.get());
    return out;
}

size_t pictureBytes(const std::vector<host::Module*>& ms) {
    size_t bytes = 0;
    for (host::Module* m : ms) {
        host::Image image = host::renderGauge(*m, {});
        bytes += image.rgba.size();
    }
    return bytes;
}

void hostFrame(benchmark::State& state, const std::string& which) {
    std::vector<host::Module*> ms = gauges(which);
    host::Panel& p = panel();
    size_t bytes = pictureBytes(ms);
    double wobble = 0;
    for (auto _ : state) {
        // The altitude moves, so the needles and texts change every frame.
        p.variables.set(74, 8500 + (wobble += 7));
        for (host::Module* m : ms) {
            p.update(*m);
            p.generate(*m, 0);
            p.draw(*m);
            host::Image image = host::renderGauge(*m, {});
            benchmark::DoNotOptimize(image.rgba.data());
        }
    }
    state.counters["pixels"] = double(bytes / 4);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void framebufferCopy(benchmark::State& state, const std::string& which) {
    size_t bytes = pictureBytes(gauges(which));
    std::vector<uint8_t> from(bytes, 0x5A), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = double(bytes / 4);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

// Remembers each run's time per iteration for the summary.
class Summary : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            times[r.benchmark_name()] = r.GetAdjustedCPUTime();
            if (r.counters.count("pixels")) pixels[r.benchmark_name()] = r.counters.at("pixels");
        }
    }
    std::map<std::string, double> times, pixels;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> names = {"all"};
    for (auto& m : panel().modules()) names.push_back(m->name);
    for (const std::string& n : names) {
        benchmark::RegisterBenchmark(("host_frame/" + n).c_str(), [n](benchmark::State& s) { hostFrame(s, n); })
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("framebuffer_copy/" + n).c_str(),
                                     [n](benchmark::State& s) { framebufferCopy(s, n); })
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    Summary summary;
    benchmark::RunSpecifiedBenchmarks(&summary);
    std::printf("\n%-20s %10s %12s %12s %8s %10s\n", "gauges", "pixels", "frame us cpu", "copy us cpu", "ratio",
                "ns/pixel");
    for (const std::string& n : names) {
        auto f = summary.times.find("host_frame/" + n), c = summary.times.find("framebuffer_copy/" + n);
        if (f == summary.times.end() || c == summary.times.end()) continue;
        double px = summary.pixels["host_frame/" + n];
        std::printf("%-20s %10.0f %12.1f %12.1f %8.1f %10.2f\n", n.c_str(), px, f->second, c->second,
                    f->second / c->second, px > 0 ? f->second * 1000 / px : 0.0);
    }
    benchmark::Shutdown();
    return 0;
}
