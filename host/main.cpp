// panelhost: the command-line panel host. Loads gauge modules, drives them as the
// simulator's panel system does, renders them to PNG and runs scenarios.
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "audio.h"
#include "paths.h"
#include "render.h"
#include "scenario.h"
#include "soak.h"
#if defined(PANELHOST_SERVE)
#include "serve.h"
#endif

namespace {

using namespace host;

const char* usageText =
    "usage: panelhost COMMAND [ARGUMENTS]\n"
    "\n"
    "commands:\n"
    "  render MODULE [--set TOKEN=VALUE]... [--updates N] [-o OUT.png] [--hidden] [--mouse]\n"
    "      load, install and initialize MODULE, set the variables, run N updates (default 1)\n"
    "      and write a picture of the gauge (default MODULE.png)\n"
    "  run SCENARIO [--out DIR] [--audio RUN.wav]\n"
    "      run a scenario file and print its transcript; exit 1 if an expectation failed;\n"
    "      --audio mixes every sound the gauges started into a WAVE file (18 updates a second)\n"
    "  sheet MODULE [-o OUT.png]\n"
    "      write a contact sheet: every state of every image of the module with its id\n"
    "  info MODULE\n"
    "      print the gauge's header, elements and mouse rectangles\n"
    "  variables\n"
    "      list the simulator variables the host knows, with their tokens and forms\n"
#if defined(PANELHOST_SERVE)
    "  serve [MODULE...] [--port N] [--rate HZ] [--bind ADDRESS] [--watch]\n"
    "      a live web page of the gauges at http://127.0.0.1:N/ (default 8080): click them,\n"
    "      set and sweep variables, hear their sounds, save and load scenarios; --watch\n"
    "      reloads a module when its file is rebuilt ('panelhost serve --help')\n"
#endif
    "\n"
    "options of every command:\n"
    "  --modules DIR   look for modules in DIR first (also: environment P9V_MODULES)\n"
    "  --help          this text\n"
    "\n"
    "MODULE is a module name (altimeter_pair, fo_overhead, captain_overhead, engine_set,\n"
    "cowl_flaps) looked up in the module directories, or a path to a module file.\n";

int usage(const std::string& error) {
    if (!error.empty()) std::cerr << "panelhost: " << error << "\n\n";
    std::cerr << usageText;
    return 2;
}

struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::pair<uint32_t, double>> sets;
    std::vector<std::string> moduleDirs;
    std::string output;
    std::string outDir = ".";
    std::string audio;
    int updates = 1;
    bool hidden = false;
    bool mouse = false;
    bool help = false;
};

bool parseArguments(int argc, char** argv, Arguments& a, std::string& error) {
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char* name) -> std::string {
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return {};
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            a.help = true;
        } else if (arg == "--set") {
            std::string v = value("--set");
            size_t eq = v.find('=');
            double token, number;
            if (eq == std::string::npos || !parseNumber(v.substr(0, eq), token) ||
                !parseNumber(v.substr(eq + 1), number)) {
                error = "--set wants TOKEN=VALUE, got '" + v + "'";
                return false;
            }
            if (!findVariable(uint32_t(token))) {
                error = "unknown variable token " + v.substr(0, eq) + " (see 'panelhost variables')";
                return false;
            }
            a.sets.push_back({uint32_t(token), number});
        } else if (arg == "--updates") {
            double n;
            std::string v = value("--updates");
            if (!parseNumber(v, n) || n < 0 || n > 10000000) {
                error = "--updates wants a count, got '" + v + "'";
                return false;
            }
            a.updates = int(n);
        } else if (arg == "-o" || arg == "--output") {
            a.output = value("-o");
        } else if (arg == "--audio") {
            a.audio = value("--audio");
        } else if (arg == "--out") {
            a.outDir = value("--out");
        } else if (arg == "--modules") {
            a.moduleDirs.push_back(value("--modules"));
        } else if (arg == "--hidden") {
            a.hidden = true;
        } else if (arg == "--mouse") {
            a.mouse = true;
        } else if (arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9')) {
            error = "unknown option " + arg;
            return false;
        } else {
            a.positional.push_back(arg);
        }
        if (!error.empty()) return false;
    }
    return true;
}

std::vector<std::string> moduleDirs(const Arguments& a, const char* argv0) {
    std::vector<std::string> dirs = a.moduleDirs;
    if (const char* env = std::getenv("P9V_MODULES")) dirs.push_back(env);
    for (const std::string& d : defaultModuleDirs(argv0)) dirs.push_back(d);
    return dirs;
}

Module* loadInstalled(Panel& panel, const std::string& name, const std::vector<std::string>& dirs) {
    std::string path = resolveModule(name, dirs);
    if (path.empty()) {
        std::cerr << "panelhost: module not found: " << name << "\n";
        return nullptr;
    }
    std::string error;
    Module* m = panel.load(path, error);
    if (!m) {
        std::cerr << "panelhost: " << error << "\n";
        return nullptr;
    }
    panel.query(*m);
    panel.install(*m);
    panel.initialize(*m);
    return m;
}

int commandRender(const Arguments& a, const char* argv0) {
    if (a.positional.size() != 1) return usage("render wants one MODULE");
    Panel panel;
    for (auto& [token, value] : a.sets) panel.variables.set(token, value);
    Module* m = loadInstalled(panel, a.positional[0], moduleDirs(a, argv0));
    if (!m) return 1;
    for (int i = 0; i < a.updates; ++i) {
        panel.update(*m);
        panel.generate(*m, 0);
        panel.draw(*m);
    }
    RenderOptions options;
    options.showHidden = a.hidden;
    options.outlineMouse = a.mouse;
    Image image = renderGauge(*m, options);
    std::string out = a.output.empty() ? m->name + ".png" : a.output;
    if (!writePng(image, out)) {
        std::cerr << "panelhost: cannot write " << out << "\n";
        return 1;
    }
    std::cout << "wrote " << out << " (" << image.width << "x" << image.height << ")\n";
    return 0;
}

int commandRun(const Arguments& a, const char* argv0) {
    if (a.positional.size() != 1) return usage("run wants one SCENARIO file");
    std::ifstream in(a.positional[0], std::ios::binary);
    if (!in) {
        std::cerr << "panelhost: cannot read scenario " << a.positional[0] << "\n";
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<ScenarioStep> steps;
    std::string error;
    if (!parseScenario(text.str(), steps, error)) {
        std::cerr << "panelhost: " << a.positional[0] << ": " << error << "\n";
        return 2;
    }
    std::error_code made;
    std::filesystem::create_directories(a.outDir, made);
    ScenarioOptions options;
    options.moduleDirs = moduleDirs(a, argv0);
    options.outputDir = a.outDir;
    size_t slash = a.positional[0].find_last_of("/\\");
    options.baseDir = slash == std::string::npos ? "." : a.positional[0].substr(0, slash);
    Panel panel;
    panel.recordSounds = !a.audio.empty();
    int result = runScenario(steps, options, std::cout, panel);
    std::cout.flush();
    if (!a.audio.empty()) {
        if (!soundhooks::available()) {
            std::cerr << "panelhost: this build cannot hear the modules' sounds; no " << a.audio << "\n";
        } else if (!writeRunAudio(panel, 18.0, a.audio)) {
            std::cerr << "panelhost: cannot write " << a.audio << "\n";
            return 2;
        }
    }
    return result;
}

int commandSheet(const Arguments& a, const char* argv0) {
    if (a.positional.size() != 1) return usage("sheet wants one MODULE");
    Panel panel;
    Module* m = loadInstalled(panel, a.positional[0], moduleDirs(a, argv0));
    if (!m) return 1;
    panel.update(*m);
    Image sheet = contactSheet(*m);
    std::string out = a.output.empty() ? m->name + "-sheet.png" : a.output;
    if (!writePng(sheet, out)) {
        std::cerr << "panelhost: cannot write " << out << "\n";
        return 1;
    }
    std::cout << "wrote " << out << " (" << sheet.width << "x" << sheet.height << ")\n";
    return 0;
}

const char* kindName(int32_t kind) {
    switch (kind) {
        case StaticImage: return "StaticImage";
        case Needle: return "Needle";
        case String: return "String";
        case Icon: return "Icon";
        case MovingImage: return "MovingImage";
        default: return "?";
    }
}

int commandInfo(const Arguments& a, const char* argv0) {
    if (a.positional.size() != 1) return usage("info wants one MODULE");
    Panel panel;
    Module* m = loadInstalled(panel, a.positional[0], moduleDirs(a, argv0));
    if (!m) return 1;
    GaugeHeader* h = m->gauge.header;
    std::cout << "gauge \"" << h->name << "\" version " << h->version << ", default size " << h->defaultSize
              << " mm\n";
    for (const InstalledElement& item : m->gauge.elements) {
        ElementHeader* e = item.header;
        std::cout << std::string(size_t(item.depth) * 2, ' ') << "#" << item.number << " " << kindName(e->kind)
                  << " image " << e->imageId << " at " << e->x << "," << e->y << " flags 0x" << std::hex
                  << e->imageFlags << std::dec << "\n";
    }
    if (MouseRect* list = m->gauge.mouseList)
        for (int i = 1; list[i].rectType == ChildRect; ++i)
            std::cout << "rect " << i << ": " << list[i].x << "," << list[i].y << " " << list[i].width << "x"
                      << list[i].height << " cursor " << list[i].cursor
                      << (list[i].mouseFunction ? " mouse function" : " key event ")
                      << (list[i].mouseFunction ? "" : std::to_string(list[i].keyEvent)) << "\n";
    return 0;
}

int commandVariables() {
    for (const VariableInfo& v : knownVariables())
        std::cout << v.token << "\t" << (v.form == VariableForm::Integer ? "integer" : "double") << "\t" << v.name
                  << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage("");
    std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << usageText;
        return 0;
    }
#if defined(PANELHOST_SERVE)
    if (command == "serve") return host::serve::command(argc, argv);
#endif
    Arguments a;
    std::string error;
    if (!parseArguments(argc, argv, a, error)) return usage(error);
    if (a.help) {
        std::cout << usageText;
        return 0;
    }
    if (command == "render") return commandRender(a, argv[0]);
    if (command == "run") return commandRun(a, argv[0]);
    if (command == "sheet") return commandSheet(a, argv[0]);
    if (command == "info") return commandInfo(a, argv[0]);
    if (command == "variables") return commandVariables();
    if (command == "soak") return soakCommand(a.positional, moduleDirs(a, argv[0]));
    return usage("unknown command '" + command + "'");
}
