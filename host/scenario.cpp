// The scenario runner and its transcript.
#include "scenario.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>

#include "render.h"

namespace host {

const char* moduleExtension() {
#if defined(_WIN32)
    return ".gau";
#else
    return ".so";
#endif
}

std::string formatDouble(double v) {
    if (std::isnan(v)) return "nan";
    char text[64];
    auto [end, error] = std::to_chars(text, text + sizeof text, v);
    return error == std::errc() ? std::string(text, end) : "?";
}

bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    const char* s = text.c_str();
    char* end = nullptr;
    bool negative = s[0] == '-';
    const char* digits = negative ? s + 1 : s;
    if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        unsigned long long v = std::strtoull(digits + 2, &end, 16);
        if (end == digits + 2 || *end) return false;
        value = negative ? -double(v) : double(v);
        return true;
    }
    if (text == "nan") {
        value = std::nan("");
        return true;
    }
    value = std::strtod(s, &end);
    return end != s && *end == '\0';
}

static bool fileExists(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return bool(f);
}

std::string resolveModule(const std::string& nameOrPath, const std::vector<std::string>& dirs) {
    bool isPath = nameOrPath.find('/') != std::string::npos || nameOrPath.find('\\') != std::string::npos ||
                  nameOrPath.ends_with(".so") || nameOrPath.ends_with(".gau");
    if (isPath) return fileExists(nameOrPath) ? nameOrPath : std::string();
    for (const std::string& dir : dirs) {
        std::string path = dir + "/" + nameOrPath + moduleExtension();
        if (fileExists(path)) return path;
    }
    return {};
}

bool parseScenario(const std::string& text, std::vector<ScenarioStep>& steps, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ScenarioStep step;
        step.line = number;
        size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
            if (i >= line.size() || line[i] == '#') break;
            std::string word;
            if (line[i] == '"') {
                size_t close = line.find('"', i + 1);
                if (close == std::string::npos) {
                    error = "line " + std::to_string(number) + ": unterminated quoted text";
                    return false;
                }
                word = line.substr(i, close - i + 1);  // keeps its quotes to mark it as text
                i = close + 1;
            } else {
                size_t start = i;
                while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
                word = line.substr(start, i - start);
            }
            step.words.push_back(word);
        }
        if (!step.words.empty()) steps.push_back(std::move(step));
    }
    return true;
}

namespace {

struct Runner {
    const ScenarioOptions& options;
    std::ostream& out;
    Panel& panel;
    size_t keyCursor = 0;  // events before this index have been checked by an expectation
    int failures = 0;

    struct StepError {
        std::string message;
    };

    [[noreturn]] void fail(const std::string& message) { throw StepError{message}; }

    static bool isText(const std::string& w) { return w.size() >= 2 && w.front() == '"' && w.back() == '"'; }

    double number(const std::string& w) {
        double v;
        if (!parseNumber(w, v)) fail("not a number: " + w);
        return v;
    }

    int integer(const std::string& w) {
        double v = number(w);
        if (v != std::floor(v) || std::fabs(v) > 1e9) fail("not a whole number: " + w);
        return int(v);
    }

    Module& module(const std::string& name) {
        Module* m = panel.find(name);
        if (!m) fail("module not loaded: " + name);
        return *m;
    }

    InstalledElement& element(Module& m, const std::string& w) {
        int n = integer(w);
        if (n < 1 || n > int(m.gauge.elements.size()))
            fail(m.name + " has no element #" + w + " (is it installed?)");
        return m.gauge.elements[size_t(n - 1)];
    }

    void need(const ScenarioStep& s, size_t count, const char* usage) {
        if (s.words.size() < count) fail(std::string("usage: ") + usage);
    }

    void expectation(bool ok, const std::string& what) {
        if (ok) {
            out << "  ok\n";
        } else {
            ++failures;
            out << "  FAIL: " << what << "\n";
        }
    }

    std::string describe(const InstalledElement& item) {
        std::ostringstream d;
        ElementHeader* e = item.header;
        d << "#" << item.number << " ";
        switch (e->kind) {
            case StaticImage:
                d << "StaticImage " << e->imageId;
                break;
            case Needle: {
                auto* n = reinterpret_cast<NeedleElement*>(e);
                d << "Needle " << e->imageId << " value " << formatDouble(n->variable.value) << " angle "
                  << formatDouble(std::round(needles::screenAngle(*n, item.needle.shown) * 1e6) / 1e6);
                break;
            }
            case Icon: {
                auto* i = reinterpret_cast<IconElement*>(e);
                d << "Icon " << e->imageId << " state " << formatDouble(i->variable.value);
                break;
            }
            case MovingImage: {
                auto* m = reinterpret_cast<MovingImageElement*>(e);
                d << "MovingImage " << e->imageId << " x " << formatDouble(m->xVariable.value) << " y "
                  << formatDouble(m->yVariable.value);
                break;
            }
            case String: {
                auto* s = reinterpret_cast<StringElement*>(e);
                d << "String text \"" << (s->textBuffer ? s->textBuffer : "") << "\"";
                break;
            }
            default:
                d << "kind " << e->kind;
        }
        return d.str();
    }

    std::vector<uint32_t> keysSinceCursor(Event::Kind kind) {
        std::vector<uint32_t> keys;
        for (size_t i = keyCursor; i < panel.events.size(); ++i)
            if (panel.events[i].kind == kind) keys.push_back(panel.events[i].number);
        return keys;
    }

    static std::string list(const std::vector<uint32_t>& keys) {
        std::string s;
        for (uint32_t k : keys) s += (s.empty() ? "" : " ") + std::to_string(k);
        return s.empty() ? "none" : s;
    }

    void updateAll(int count) {
        for (int i = 0; i < count; ++i)
            for (auto& m : panel.modules())
                if (m->gauge.root) {
                    panel.update(*m);
                    panel.generate(*m, 0);
                    panel.draw(*m);
                }
    }

    void loadModule(const std::string& name) {
        std::string path = resolveModule(name, options.moduleDirs);
        if (path.empty()) fail("module not found: " + name);
        std::string error;
        Module* m = panel.load(path, error);
        if (!m) fail(error);
        panel.query(*m);
        panel.install(*m);
        panel.initialize(*m);
        int rects = 0;
        if (m->gauge.mouseList)
            for (int i = 1; m->gauge.mouseList[i].rectType == ChildRect; ++i) ++rects;
        out << "  gauge \"" << m->gauge.header->name << "\", default size " << m->gauge.header->defaultSize
            << " mm, " << m->gauge.elements.size() << " elements, " << rects << " mouse rectangles\n";
    }

    Image renderOf(const ScenarioStep& s, size_t from, Module& m) {
        RenderOptions ro;
        for (size_t i = from; i < s.words.size(); ++i) {
            if (s.words[i] == "hidden") ro.showHidden = true;
            if (s.words[i] == "mouse") ro.outlineMouse = true;
        }
        return renderGauge(m, ro);
    }

    void step(const ScenarioStep& s) {
        const std::vector<std::string>& w = s.words;
        const std::string& verb = w[0];
        if (verb == "load") {
            need(s, 2, "load MODULE");
            loadModule(w[1]);
        } else if (verb == "unload") {
            need(s, 2, "unload MODULE");
            panel.unload(&module(w[1]));
        } else if (verb == "query" || verb == "install" || verb == "initialize" || verb == "kill" ||
                   verb == "draw") {
            need(s, 2, "ROUTINE MODULE");
            Module& m = module(w[1]);
            int32_t r = verb == "query"        ? panel.query(m)
                        : verb == "install"    ? panel.install(m)
                        : verb == "initialize" ? panel.initialize(m)
                        : verb == "kill"       ? panel.kill(m)
                                               : panel.draw(m);
            out << "  returned " << r << "\n";
        } else if (verb == "generate") {
            need(s, 3, "generate MODULE PHASE");
            Module& m = module(w[1]);
            out << "  returned " << panel.generate(m, uint32_t(integer(w[2]))) << "\n";
        } else if (verb == "set") {
            need(s, 3, "set TOKEN VALUE");
            int token = integer(w[1]);
            if (!findVariable(uint32_t(token))) fail("unknown variable token " + w[1]);
            panel.variables.set(uint32_t(token), number(w[2]));
        } else if (verb == "update") {
            int count = w.size() > 1 ? integer(w[1]) : 1;
            if (count < 0 || count > 10000000) fail("update count out of range: " + w[1]);
            updateAll(count);
        } else if (verb == "click") {
            need(s, 4, "click MODULE X Y");
            Module& m = module(w[1]);
            int rect = panel.click(m, integer(w[2]), integer(w[3]));
            if (!rect) out << "  no rectangle\n";
        } else if (verb == "show") {
            need(s, 2, "show MODULE [ELEMENT...]");
            Module& m = module(w[1]);
            if (w.size() == 2)
                for (auto& item : m.gauge.elements) out << "  " << describe(item) << "\n";
            for (size_t i = 2; i < w.size(); ++i) out << "  " << describe(element(m, w[i])) << "\n";
        } else if (verb == "expect") {
            need(s, 2, "expect WHAT ...");
            expect(s);
        } else if (verb == "render") {
            need(s, 3, "render MODULE FILE.png [hidden] [mouse]");
            Module& m = module(w[1]);
            Image image = renderOf(s, 3, m);
            std::string path = options.outputDir + "/" + w[2];
            if (!writePng(image, path)) fail("cannot write " + path);
            out << "  rendered " << w[2] << " " << image.width << "x" << image.height << "\n";
        } else if (verb == "compare") {
            compare(s);
        } else {
            fail("unknown step: " + verb);
        }
    }

    void expect(const ScenarioStep& s) {
        const std::vector<std::string>& w = s.words;
        const std::string& what = w[1];
        if (what == "keys" || what == "commands") {
            std::vector<uint32_t> wanted;
            for (size_t i = 2; i < w.size(); ++i)
                if (w[i] != "none") wanted.push_back(uint32_t(number(w[i])));
            auto kind = what == "keys" ? Event::KeyEvent : Event::PanelCommand;
            std::vector<uint32_t> got = keysSinceCursor(kind);
            keyCursor = panel.events.size();
            expectation(got == wanted, what + " " + list(wanted) + " expected, got " + list(got));
        } else if (what == "text") {
            need(s, 5, "expect text MODULE ELEMENT \"TEXT\"");
            InstalledElement& item = element(module(w[2]), w[3]);
            if (item.header->kind != String) fail("element #" + w[3] + " is not a String");
            if (!isText(w[4])) fail("expected a quoted text");
            std::string wanted = w[4].substr(1, w[4].size() - 2);
            auto* str = reinterpret_cast<StringElement*>(item.header);
            std::string got = str->textBuffer ? str->textBuffer : "";
            expectation(got == wanted, "text \"" + wanted + "\" expected, got \"" + got + "\"");
        } else if (what == "value" || what == "icon" || what == "needle") {
            need(s, 5, "expect value|icon|needle MODULE ELEMENT NUMBER [TOLERANCE]");
            InstalledElement& item = element(module(w[2]), w[3]);
            double wanted = number(w[4]);
            double tolerance = w.size() > 5 ? number(w[5]) : 0.0;
            double got = 0;
            ElementHeader* e = item.header;
            if (what == "needle") {
                if (e->kind != Needle) fail("element #" + w[3] + " is not a Needle");
                got = needles::screenAngle(*reinterpret_cast<NeedleElement*>(e), item.needle.shown);
            } else if (e->kind == Needle) {
                got = reinterpret_cast<NeedleElement*>(e)->variable.value;
            } else if (e->kind == Icon) {
                got = reinterpret_cast<IconElement*>(e)->variable.value;
            } else if (e->kind == MovingImage) {
                got = reinterpret_cast<MovingImageElement*>(e)->xVariable.value;
            } else if (e->kind == String) {
                got = reinterpret_cast<StringElement*>(e)->variable1.value;
            } else {
                fail("element #" + w[3] + " has no value");
            }
            bool ok = tolerance > 0 ? std::fabs(got - wanted) <= tolerance : got == wanted;
            expectation(ok, what + " " + formatDouble(wanted) + " expected, got " + formatDouble(got));
        } else {
            fail("unknown expectation: " + what);
        }
    }

    // compare MODULE REF.png [tolerance T] [budget B] [hidden] [mouse]
    void compare(const ScenarioStep& s) {
        const std::vector<std::string>& w = s.words;
        need(s, 3, "compare MODULE REFERENCE.png [tolerance T] [budget PIXELS] [hidden]");
        Module& m = module(w[1]);
        int tolerance = 0;
        long budget = 0;
        for (size_t i = 3; i + 1 < w.size(); ++i) {
            if (w[i] == "tolerance") tolerance = integer(w[i + 1]);
            if (w[i] == "budget") budget = integer(w[i + 1]);
        }
        Image actual = renderOf(s, 3, m);
        Image reference;
        std::string refPath = options.baseDir + "/" + w[2];
        // P9V_UPDATE_REFERENCES=1 accepts the pictures as they are now.
        if (const char* update = std::getenv("P9V_UPDATE_REFERENCES"); update && std::string(update) == "1") {
            if (!writePng(actual, refPath)) fail("cannot write reference " + refPath);
            out << "  reference written\n";
            return;
        }
        if (!readPng(refPath, reference)) fail("cannot read reference " + refPath);
        std::string stem = w[2].substr(w[2].find_last_of('/') + 1);
        stem = stem.substr(0, stem.rfind('.'));
        if (actual.width != reference.width || actual.height != reference.height) {
            writePng(actual, options.outputDir + "/" + stem + ".actual.png");
            expectation(false, "picture is " + std::to_string(actual.width) + "x" + std::to_string(actual.height) +
                                   ", reference " + std::to_string(reference.width) + "x" +
                                   std::to_string(reference.height));
            return;
        }
        if (actual.rgba == reference.rgba) {
            out << "  identical\n";
            return;
        }
        Image difference;
        ImageDifference d = compareImages(actual, reference, tolerance, &difference);
        bool ok = d.differing <= budget;
        if (!ok) {
            writePng(actual, options.outputDir + "/" + stem + ".actual.png");
            writePng(difference, options.outputDir + "/" + stem + ".diff.png");
        }
        out << "  within tolerance " << tolerance << ": " << (ok ? "yes" : "no") << "\n";
        expectation(ok, std::to_string(d.differing) + " pixels differ beyond tolerance, budget " +
                            std::to_string(budget) + "; wrote " + stem + ".actual.png and " + stem + ".diff.png");
    }
};

std::string hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", v);
    return text;
}

}  // namespace

int runScenario(const std::vector<ScenarioStep>& steps, const ScenarioOptions& options, std::ostream& out,
                Panel& panel) {
    Runner r{options, out, panel};
    auto previous = panel.onEvent;
    panel.onEvent = [&out](const Event& e) {
        const char* kind = e.kind == Event::KeyEvent ? "key" : e.kind == Event::PanelCommand ? "command" : "sound";
        out << "  " << kind << " " << e.number;
        if (e.kind != Event::Sound) out << " (" << hex(e.number) << ")";
        out << " from " << e.module << " " << e.source << "\n";
    };
    int result = 0;
    for (const ScenarioStep& s : steps) {
        out << "> ";
        for (size_t i = 0; i < s.words.size(); ++i) out << (i ? " " : "") << s.words[i];
        out << "\n";
        try {
            r.step(s);
        } catch (const Runner::StepError& e) {
            out << "  ERROR at line " << s.line << ": " << e.message << "\n";
            result = 2;
            break;
        }
    }
    panel.onEvent = previous;
    if (result == 0 && r.failures) result = 1;
    out << (result == 0 ? "all expectations held" : result == 1 ? "some expectations failed" : "stopped")
        << " (" << r.failures << " failed)\n";
    return result;
}

}  // namespace host
