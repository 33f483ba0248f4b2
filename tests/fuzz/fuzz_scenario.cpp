// Fuzz target: the panel host's scenario parser and runner on arbitrary text.
// Uses the panel host's scenario interface and the platform stand-ins' controls.
//
// The scenario parser and runner on arbitrary text, with the module directory
// pointing at the built native modules. Each input runs in a fresh panel, sound device and
// shared memory, as a fresh `panelhost run` would. Only the five modules' names may be loaded
// (a path would let the text load any library of the machine), at most a few hundred updates
// are run in all (the runner accepts up to ten million at a time), and pictures are drawn but
// cannot be written (the output directory does not exist). The runner must answer every text
// with 0, 1 or 2 and a transcript ending in its summary line.
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "host/scenario.h"
#include "sharedmem_control.h"
#include "sound_control.h"

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

bool acceptable(const std::vector<host::ScenarioStep>& steps) {
    double updates = 0;
    if (steps.size() > 400) return false;
    for (const host::ScenarioStep& s : steps) {
        const std::string& verb = s.words[0];
        if (verb == "load" && s.words.size() > 1 && s.words[1].find_first_of("/\\.") != std::string::npos)
            return false;
        if (verb == "update") {
            double n = 1;
            if (s.words.size() > 1 && !host::parseNumber(s.words[1], n)) n = 0;
            if (n > 0) updates += n;
        }
    }
    return updates <= 500;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::keepModulesMapped(MODULE_DIR);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<host::ScenarioStep> steps;
    std::string error;
    if (!host::parseScenario(text, steps, error)) {
        check(!error.empty(), "a rejected scenario names its error");
        return 0;
    }
    for (const host::ScenarioStep& s : steps) check(!s.words.empty() && s.line >= 1, "steps have words and a line");
    if (!acceptable(steps)) return -1;

    host::ScenarioOptions options;
    options.moduleDirs = {MODULE_DIR};
    options.outputDir = "/nonexistent/p9v-fuzz";
    options.baseDir = "/nonexistent/p9v-fuzz";
    std::ostringstream transcript;
    int result;
    {
        host::Panel panel;
        result = host::runScenario(steps, options, transcript, panel);
    }
    platformSoundReset();
    platformResetFileMappings();
    check(result >= 0 && result <= 2, "the runner answers 0, 1 or 2");
    const std::string out = transcript.str();
    check(out.find(result == 0 ? "all expectations held" : result == 1 ? "some expectations failed" : "stopped") !=
              std::string::npos,
          "the transcript ends in its summary");
    return 0;
}
