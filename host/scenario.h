// Scenarios: a small line-based script that loads modules into one panel, sets simulator
// variables, runs updates, clicks, calls lifecycle routines, checks what the gauges did and
// renders pictures, printing a transcript that is the same on every run and in both builds.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "panel.h"

namespace host {

struct ScenarioOptions {
    std::vector<std::string> moduleDirs;  // where module names are looked up
    std::string outputDir = ".";          // where render and compare write pictures
    std::string baseDir = ".";            // where compare finds its reference pictures
};

struct ScenarioStep {
    int line = 0;
    std::vector<std::string> words;
};

// Parses a scenario; on a malformed line returns false with `error` naming the line.
bool parseScenario(const std::string& text, std::vector<ScenarioStep>& steps, std::string& error);

// Runs the steps, writing the transcript. Returns 0 when every expectation held, 1 when one
// failed, 2 when a step could not be carried out (missing module, bad argument).
int runScenario(const std::vector<ScenarioStep>& steps, const ScenarioOptions& options, std::ostream& transcript,
                Panel& panel);

// Finds a module by name (or takes a path) in the given directories.
std::string resolveModule(const std::string& nameOrPath, const std::vector<std::string>& dirs);

// The module file extension of this build: ".so" natively, ".gau" on Windows.
const char* moduleExtension();

// Exact, shortest text for a double that reads back as the same double.
std::string formatDouble(double v);

// Parses a decimal, hexadecimal (0x...) or floating-point number.
bool parseNumber(const std::string& text, double& value);

}  // namespace host
