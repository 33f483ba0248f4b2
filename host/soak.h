// The panel host's soak run: all gauges, a long seeded run, a checksum and the memory it holds.
// Portable: the host's model (panel.h) and the platform seam only, never a module's internals.
//
// The soak run of the panel host: every gauge module in one panel, driven for many updates with
// seeded pseudo-random variable changes, clicks on every mouse rectangle and occasional kill
// and re-install, folding what the gauges sent and showed into one checksum that is the same on
// every run and in both builds.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace host {

struct SoakOptions {
    uint64_t seed = 1;
    long updates = 100000;
    std::vector<std::string> moduleDirs;
    std::vector<std::string> modules = {"altimeter_pair", "fo_overhead", "captain_overhead", "engine_set",
                                        "cowl_flaps"};
};

struct SoakResult {
    bool ran = false;  // false: a module could not be loaded (`error` says which)
    std::string error;
    uint64_t checksum = 0;  // FNV-1a of key events, panel commands and element values
    long rectangles = 0;
    long clicks = 0;
    long keyEvents = 0;
    long panelCommands = 0;
    long sounds = 0;  // sounds the host saw start (only the native build sees them)
    long variableChanges = 0;
    long reinstalls = 0;
    long residentAfterWarmUpKb = -1;  // -1 where resident memory cannot be read
    long residentAtEndKb = -1;
};

SoakResult runSoak(const SoakOptions& options);

// Prints the result; the checksum line is the one compared between runs and builds.
void printSoak(const SoakOptions& options, const SoakResult& r, std::ostream& out);

// `panelhost soak SEED COUNT`: runs the soak and prints it. 0 when it ran and resident memory
// did not grow after the warm-up beyond allocator noise, 1 when it grew, 2 when it could not run.
int soakCommand(const std::vector<std::string>& arguments, const std::vector<std::string>& moduleDirs);

}  // namespace host
