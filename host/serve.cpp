// The live panel: its modules, update cycle, sweeps, session recording, module reloading and
// the answers to the page's requests. Native build only; uses the panel host, the JSON
// library and the platform seam (with the named shared memory stand-in's control calls to
// look at the magneto block without creating it).
#include "serve.h"

#include <elf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "bitmap.h"
#include "platform/native/sharedmem_control.h"
#include "render.h"
#include "scenario.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace host::serve {

using nlohmann::json;

namespace {

// The magneto block the two overheads share, and its layout: three 32-bit integers.
constexpr const char* magnetoBlockName = "P9VMagnetoSharedMemoryObject";
constexpr DWORD magnetoBlockSize = 12;

// Variables a module reads through its own stand-alone records (bindVariable/readVariable)
// rather than through an element, so the host cannot find them by walking the elements.
struct OwnVariables {
    const char* module;
    uint32_t tokens[4];  // 0 ends the list early
};
constexpr OwnVariables ownVariables[] = {
    {"altimeter_pair", {335}},
    {"fo_overhead", {131, 132, 166, 167}},
    {"captain_overhead", {131, 132, 166, 167}},
    {"engine_set", {148, 183}},
};

// Bounds on what one request may ask, so no request holds up the update cycle for long.
constexpr long maxScenarioUpdates = 100000;
constexpr double maxSweepSeconds = 3600;
constexpr size_t maxEventsPerAnswer = 500;

Response errorResponse(int status, const std::string& message) {
    Response r;
    r.status = status;
    // An error may quote what the request sent, which need not be UTF-8.
    r.body = json{{"error", message}}.dump(-1, ' ', false, json::error_handler_t::replace);
    return r;
}

Response jsonResponse(const json& j) {
    Response r;
    // Texts from the gauges are converted to UTF-8 before they get here; replace keeps a
    // stray byte from failing the whole answer.
    r.body = j.dump(-1, ' ', false, json::error_handler_t::replace);
    return r;
}

// Gauge texts are single-byte Windows text; bytes above 127 are taken as Latin-1.
std::string toUtf8(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string hexText(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", v);
    return text;
}

const char* kindName(int32_t kind) {
    switch (kind) {
        case StaticImage: return "StaticImage";
        case Needle: return "Needle";
        case String: return "String";
        case Icon: return "Icon";
        case MovingImage: return "MovingImage";
        default: return "unknown";
    }
}

const char* eventKindName(Event::Kind k) {
    return k == Event::KeyEvent ? "key" : k == Event::PanelCommand ? "command" : "sound";
}

std::string stem(const std::string& path) {
    size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// A JSON number that is a whole 32-bit integer.
bool wholeNumber(const json& j, int64_t low, int64_t high, int64_t& out) {
    if (j.is_number_integer()) {
        int64_t v = j.is_number_unsigned() ? int64_t(std::min<uint64_t>(j.get<uint64_t>(), uint64_t(INT64_MAX)))
                                           : j.get<int64_t>();
        if (v < low || v > high) return false;
        out = v;
        return true;
    }
    if (j.is_number_float()) {
        double d = j.get<double>();
        if (!(d >= double(low) && d <= double(high)) || d != std::floor(d)) return false;
        out = int64_t(d);
        return true;
    }
    return false;
}

// A number given as a JSON number or as text in the scenario notation ("0x1234", "29.92").
bool numberOf(const json& j, double& out) {
    if (j.is_number()) {
        out = j.get<double>();
        return std::isfinite(out);
    }
    if (j.is_string()) return parseNumber(j.get<std::string>(), out) && std::isfinite(out);
    return false;
}

bool parseObject(const std::string& body, json& out, std::string& error) {
    out = json::parse(body, nullptr, false);
    if (out.is_discarded()) {
        error = "the request body is not valid JSON";
        return false;
    }
    if (!out.is_object()) {
        error = "the request body must be a JSON object";
        return false;
    }
    return true;
}

Rect backgroundOf(const Module& m) {
    const Gauge& g = m.gauge;
    if (g.elements.empty()) return {};
    const ElementHeader* root = g.elements.front().header;
    const Bitmap* b = moduleBitmap(m.handle, root->imageId);
    return {root->x, root->y, b ? b->width : g.width, b ? b->height : g.height};
}

template <typename F>
void forEachChildRect(const Gauge& g, F&& f) {
    if (!g.mouseList) return;
    // The bound only guards against a list without its end record.
    for (int i = 1; i < 4096 && g.mouseList[i].rectType != EndRect; ++i)
        if (g.mouseList[i].rectType == ChildRect) f(i, g.mouseList[i]);
}

// Everything a click may reach: the background and every mouse rectangle, hidden ones too.
Rect clickArea(const Module& m) {
    Rect area = backgroundOf(m);
    forEachChildRect(m.gauge, [&](int, const MouseRect& r) { area = unite(area, {r.x, r.y, r.width, r.height}); });
    return area;
}

std::string actionOf(const MouseRect& r) {
    if (r.mouseFunction) return "mouse function";
    return "key event " + std::to_string(r.keyEvent) + " (" + hexText(r.keyEvent) + ")";
}

json rectJson(const Rect& r) { return {{"x", r.x}, {"y", r.y}, {"width", r.width}, {"height", r.height}}; }

json eventJson(const Event& e, size_t seq) {
    return {{"seq", seq},       {"kind", eventKindName(e.kind)}, {"number", e.number},
            {"hex", hexText(e.number)}, {"parameter", e.parameter}, {"module", e.module},
            {"source", e.source}, {"update", e.updateCount}};
}

json elementState(const InstalledElement& item) {
    const ElementHeader* e = item.header;
    json j{{"number", item.number}};
    switch (e->kind) {
        case Needle: {
            auto* n = reinterpret_cast<const NeedleElement*>(e);
            j["value"] = n->variable.value;
            j["angle"] = needles::screenAngle(*n, item.needle.shown);
            break;
        }
        case Icon:
            j["state"] = reinterpret_cast<const IconElement*>(e)->variable.value;
            break;
        case MovingImage: {
            auto* m = reinterpret_cast<const MovingImageElement*>(e);
            j["x"] = m->xVariable.value;
            j["y"] = m->yVariable.value;
            break;
        }
        case String: {
            auto* s = reinterpret_cast<const StringElement*>(e);
            const std::vector<char>& b = item.textBuffer;
            std::string_view text(b.data(), std::find(b.begin(), b.end(), '\0') - b.begin());
            j["text"] = toUtf8(text);
            j["value"] = s->variable1.value;
            break;
        }
        default:
            break;
    }
    return j;
}

// The element variables of a gauge: token -> element numbers that read it.
std::map<uint32_t, std::vector<int>> elementTokens(const Gauge& g) {
    std::map<uint32_t, std::vector<int>> tokens;
    auto add = [&](const ModuleVar& v, int number) {
        if (v.token == 0) return;
        std::vector<int>& list = tokens[v.token];
        if (list.empty() || list.back() != number) list.push_back(number);
    };
    for (const InstalledElement& item : g.elements) {
        const ElementHeader* e = item.header;
        switch (e->kind) {
            case Needle: add(reinterpret_cast<const NeedleElement*>(e)->variable, item.number); break;
            case Icon: add(reinterpret_cast<const IconElement*>(e)->variable, item.number); break;
            case MovingImage: {
                auto* m = reinterpret_cast<const MovingImageElement*>(e);
                add(m->xVariable, item.number);
                add(m->yVariable, item.number);
                break;
            }
            case String: {
                auto* s = reinterpret_cast<const StringElement*>(e);
                add(s->variable1, item.number);
                add(s->variable2, item.number);
                add(s->variable3, item.number);
                break;
            }
            default: break;
        }
    }
    return tokens;
}

// 64-bit FNV-1a: a tag for a picture's pixels.
uint64_t fnv1a(const uint8_t* data, size_t size, uint64_t h = 14695981039346656037ull) {
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
    return h;
}

void appendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
}

std::string encodePng(const Image& image) {
    std::string png;
    stbi_write_png_compression_level = 4;  // a frame is sent many times a second: speed over size
    stbi_write_png_to_func(appendBytes, &png, image.width, image.height, 4, image.rgba.data(), image.width * 4);
    return png;
}

bool copyFile(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    out.close();
    return bool(out) && !in.bad();
}

// The dynamic linker maps a library's segments straight from the file and faults on the
// first page past its end, so a file cut short (a build still being written) must be turned
// away before it gets there: every table and loaded segment the headers name must lie inside.
bool completeLibrary(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const uint64_t size = in ? uint64_t(in.tellg()) : 0;
    Elf64_Ehdr header{};
    in.seekg(0);
    if (size < sizeof header || !in.read(reinterpret_cast<char*>(&header), sizeof header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64) {
        error = "cannot load module " + path + ": not a 64-bit shared library";
        return false;
    }
    // offset + length <= size, without the sum wrapping for nonsense headers.
    auto fits = [size](uint64_t offset, uint64_t length) { return offset <= size && length <= size - offset; };
    const uint64_t headersLength = uint64_t(header.e_phnum) * header.e_phentsize;
    bool complete = header.e_phentsize == sizeof(Elf64_Phdr) && fits(header.e_phoff, headersLength) &&
                    fits(header.e_shoff, uint64_t(header.e_shnum) * header.e_shentsize);
    if (complete) in.seekg(std::streamoff(header.e_phoff));
    for (int i = 0; complete && i < header.e_phnum; ++i) {
        Elf64_Phdr segment{};
        complete = bool(in.read(reinterpret_cast<char*>(&segment), sizeof segment));
        if (complete && (segment.p_type == PT_LOAD || segment.p_type == PT_DYNAMIC))
            complete = fits(segment.p_offset, segment.p_filesz);
    }
    if (!complete) {
        error = "cannot load module " + path + ": the file is incomplete (" + std::to_string(size) +
                " bytes, less than its headers describe)";
        return false;
    }
    return true;
}

void replaceAll(std::string& text, const std::string& what, const std::string& with) {
    if (what.empty()) return;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

}  // namespace

// ---- the panel ----

LivePanel::LivePanel(double rate, bool watch) : rate_(rate > 0 && std::isfinite(rate) ? rate : 18), watch_(watch) {
    if (watch_) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/panelhost-serve-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data())) copyDir_ = name.data();
    }
}

LivePanel::~LivePanel() {
    std::lock_guard<std::mutex> guard(lock_);
    for (Entry& e : entries_)
        if (e.module) panel_.unload(e.module);
    entries_.clear();
    // Every copy loaded stays until here: a removed file's inode could be given to a later
    // copy, and the dynamic linker would take that copy for a library it still has mapped.
    for (const std::string& copy : copies_) std::remove(copy.c_str());
    if (!copyDir_.empty()) rmdir(copyDir_.c_str());
}

LivePanel::FileSignature LivePanel::signatureOf(const std::string& path) {
    struct stat st {};
    FileSignature s;
    if (stat(path.c_str(), &st) != 0) return s;
    s.exists = true;
    s.size = int64_t(st.st_size);
    s.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.inode = int64_t(st.st_ino);
    return s;
}

// Loads `path` as a module of the panel under the entry's name: from a fresh private copy
// when watching, so the file can be rebuilt while the module runs and dlopen never hands
// back the mapping of an earlier build.
Module* LivePanel::loadFile(const std::string& name, const std::string& path, std::string& loadedFrom,
                            std::string& error) {
    loadedFrom = path;
    if (watch_) {
        if (copyDir_.empty()) {
            error = "no directory for the module copies";
            return nullptr;
        }
        loadedFrom = copyDir_ + "/" + name + "." + std::to_string(copies_.size() + 1) + ".so";
        copies_.push_back(loadedFrom);
        if (!copyFile(path, loadedFrom)) {
            error = "cannot read module file " + path;
            return nullptr;
        }
    }
    Module* m = completeLibrary(loadedFrom, error) ? panel_.load(loadedFrom, error) : nullptr;
    if (!m) {
        replaceAll(error, loadedFrom, path);
        return nullptr;
    }
    m->name = name;
    m->path = path;
    return m;
}

bool LivePanel::add(const std::string& path, std::string& error) {
    std::lock_guard<std::mutex> guard(lock_);
    std::string name = stem(path);
    if (entry(name)) {
        error = "a module named " + name + " is loaded already";
        return false;
    }
    Entry e;
    e.name = name;
    e.path = path;
    e.loaded = e.seen = signatureOf(path);
    if (!e.loaded.exists) {
        error = "module file not found: " + path;
        return false;
    }
    e.module = loadFile(name, path, e.loadedFrom, error);
    if (!e.module) return false;
    panel_.query(*e.module);
    panel_.install(*e.module);
    panel_.initialize(*e.module);
    entries_.push_back(e);
    // A scenario names the module the way `panelhost run` finds it again.
    std::string resolved = resolveModule(name, moduleDirs);
    initialLoads_.push_back("load " + (resolved == path ? name : path));
    return true;
}

LivePanel::Entry* LivePanel::entry(const std::string& name) {
    for (Entry& e : entries_)
        if (e.name == name) return &e;
    return nullptr;
}

void LivePanel::record(const std::string& line) { actions_.push_back({ticks_, line}); }

void LivePanel::setVariable(uint32_t token, double value) {
    panel_.variables.set(token, value);
    record("set " + std::to_string(token) + " " + formatDouble(value));
}

void LivePanel::updateAll() {
    for (Entry& e : entries_)
        if (e.module && e.module->gauge.root) {
            panel_.update(*e.module);
            panel_.generate(*e.module, 0);
            panel_.draw(*e.module);
        }
}

void LivePanel::tick() {
    std::lock_guard<std::mutex> guard(lock_);
    for (const Sweep& s : sweeps_) {
        // Up and back once per period: a triangle from `from` to `to` and back.
        double phase = double(ticks_ - s.startTick) / (s.seconds * rate_);
        double f = phase - std::floor(phase);
        double v = f < 0.5 ? s.from + (s.to - s.from) * 2 * f : s.to - (s.to - s.from) * (2 * f - 1);
        setVariable(s.token, v);
    }
    updateAll();
    ++ticks_;
}

long LivePanel::ticks() {
    std::lock_guard<std::mutex> guard(lock_);
    return ticks_;
}

void LivePanel::watchFiles(Clock::time_point now) {
    if (!watch_) return;
    std::lock_guard<std::mutex> guard(lock_);
    for (Entry& e : entries_) {
        FileSignature s = signatureOf(e.path);
        if (!(s == e.seen)) {
            e.seen = s;
            e.seenSince = now;
            e.pending = !(s == e.loaded);
            continue;
        }
        if (!e.pending || now - e.seenSince < settleTime) continue;
        e.pending = false;
        e.loaded = s;  // tried once: the next change of the file tries again
        if (!s.exists)
            e.error = "module file " + e.path + " is missing; build " + std::to_string(e.generation) +
                      " keeps running";
        else
            reload(e);
    }
}

void LivePanel::reload(Entry& e) {
    std::string error, loadedFrom;
    // The new build is loaded before the old one goes, so a broken file costs nothing.
    Module* fresh = loadFile(e.name + "-next", e.path, loadedFrom, error);
    if (!fresh) {
        e.error = error + "; build " + std::to_string(e.generation) + " keeps running";
        return;
    }
    HMODULE oldHandle = e.module->handle;
    panel_.unload(e.module);  // kill, then free
    forgetModuleBitmaps(oldHandle);
    fresh->name = e.name;
    e.module = fresh;
    e.loadedFrom = loadedFrom;
    ++e.generation;
    e.error.clear();
    panel_.query(*fresh);
    panel_.install(*fresh);
    panel_.initialize(*fresh);
    record("# " + e.name + " reloaded: build " + std::to_string(e.generation));
    std::lock_guard<std::mutex> pictures(picturesLock_);
    for (auto it = pictures_.begin(); it != pictures_.end();)
        it = it->first.starts_with(e.name + "|") ? pictures_.erase(it) : std::next(it);
}

std::string LivePanel::scenario() {
    std::lock_guard<std::mutex> guard(lock_);
    std::ostringstream out;
    out << "# A session of the live panel (" << formatDouble(rate_)
        << " updates a second), replayed by: panelhost run FILE\n";
    for (const std::string& line : initialLoads_) out << line << "\n";
    long at = 0;
    for (const Action& a : actions_) {
        if (a.tick > at) out << "update " << (a.tick - at) << "\n";
        at = a.tick;
        out << a.line << "\n";
    }
    if (ticks_ > at) out << "update " << (ticks_ - at) << "\n";
    return out.str();
}

// ---- requests ----

Response LivePanel::handle(const Request& r) {
    if (r.method == "GET") {
        std::string path = r.path == "/" ? "/index.html" : r.path;
        for (const WebAsset* a = webAssets; a->path; ++a)
            if (path == a->path) {
                Response res;
                res.contentType = a->contentType;
                res.body.assign(reinterpret_cast<const char*>(a->data), a->size);
                res.headers.push_back({"Cache-Control", "no-cache"});
                return res;
            }
    }
    std::unique_lock<std::mutex> lock(lock_);
    const std::string& p = r.path;
    auto wrongMethod = [&] { return errorResponse(405, r.method + " is not accepted by " + p); };
    if (p == "/api/panel") return r.method == "GET" ? describePanel() : wrongMethod();
    if (p == "/api/state") return r.method == "GET" ? describeState(r) : wrongMethod();
    if (p == "/api/click") return r.method == "POST" ? clickRequest(r.body) : wrongMethod();
    if (p == "/api/variable") return r.method == "POST" ? variableRequest(r.body) : wrongMethod();
    if (p == "/api/sweep") return r.method == "POST" ? sweepRequest(r.body) : wrongMethod();
    if (p == "/api/scenario") {
        if (r.method == "POST") return scenarioRequest(r.body);
        if (r.method != "GET") return wrongMethod();
        lock.unlock();
        Response res;
        res.contentType = "text/plain; charset=utf-8";
        res.body = scenario();
        res.headers.push_back({"Content-Disposition", "attachment; filename=\"session.scn\""});
        return res;
    }
    if (p.starts_with("/api/gauge/") && p.ends_with(".png")) {
        if (r.method != "GET") return wrongMethod();
        std::string name = p.substr(11, p.size() - 15);
        return gaugePicture(name, r, lock);
    }
    if (p.starts_with("/api/sound/")) {
        if (r.method != "GET") return wrongMethod();
        std::string rest = p.substr(11);
        size_t slash = rest.find('/');
        if (slash == std::string::npos) return errorResponse(404, "sounds are at /api/sound/MODULE/ID");
        return soundResource(rest.substr(0, slash), rest.substr(slash + 1));
    }
    return errorResponse(404, "no such resource: " + p);
}

Response LivePanel::describePanel() {
    json modules = json::array();
    std::map<uint32_t, json> readers;
    for (const Entry& e : entries_) {
        const Module& m = *e.module;
        const Gauge& g = m.gauge;
        json rects = json::array();
        forEachChildRect(g, [&](int number, const MouseRect& r) {
            rects.push_back({{"number", number},
                             {"x", r.x},
                             {"y", r.y},
                             {"width", r.width},
                             {"height", r.height},
                             {"cursor", r.cursor},
                             {"keyEvent", r.mouseFunction ? 0u : r.keyEvent},
                             {"action", actionOf(r)}});
        });
        json elements = json::array();
        for (const InstalledElement& item : g.elements)
            elements.push_back({{"number", item.number},
                                {"depth", item.depth},
                                {"kind", kindName(item.header->kind)},
                                {"image", item.header->imageId},
                                {"x", item.header->x},
                                {"y", item.header->y}});
        modules.push_back({{"name", e.name},
                           {"path", e.path},
                           {"gauge", toUtf8(g.header && g.header->name ? g.header->name : "")},
                           {"generation", e.generation},
                           {"error", e.error},
                           {"installed", g.root != nullptr},
                           {"background", rectJson(backgroundOf(m))},
                           {"clickArea", rectJson(clickArea(m))},
                           {"rects", rects},
                           {"elements", elements}});
        for (auto& [token, numbers] : elementTokens(g))
            readers[token].push_back({{"module", e.name}, {"elements", numbers}});
        for (const OwnVariables& own : ownVariables)
            if (e.name == own.module)
                for (uint32_t token : own.tokens)
                    if (token) readers[token].push_back({{"module", e.name}, {"readVariable", true}});
    }
    json variables = json::array();
    for (auto& [token, list] : readers) {
        const VariableInfo* info = findVariable(token);
        variables.push_back({{"token", token},
                             {"name", info ? info->name : "unknown variable"},
                             {"known", info != nullptr},
                             {"form", info && info->form == VariableForm::Integer ? "integer" : "double"},
                             {"readers", list}});
    }
    return jsonResponse({{"rate", rate_}, {"watch", watch_}, {"modules", modules}, {"variables", variables}});
}

namespace {
// The magneto block as the overheads see it, or null before one of them has made it.
json magnetoBlock(HANDLE& magnetoMapping_) {
    if (!magnetoMapping_) {
        // Only once an overhead has made the block: the host must not be the one creating it.
        if (platformFileMappingViewCount(magnetoBlockName) < 0) return nullptr;
        magnetoMapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, magnetoBlockSize,
                                             magnetoBlockName);
        if (!magnetoMapping_) return nullptr;
    }
    void* view = MapViewOfFile(magnetoMapping_, FILE_MAP_READ, 0, 0, magnetoBlockSize);
    if (!view) return nullptr;
    int32_t fields[3];
    std::memcpy(fields, view, sizeof fields);
    UnmapViewOfFile(view);
    return {{"engine1Magneto", fields[0]}, {"engine2Magneto", fields[1]}, {"ignitionCut", fields[2]}};
}
}  // namespace

Response LivePanel::describeState(const Request& r) {
    size_t since = 0;
    if (auto it = r.query.find("since"); it != r.query.end()) {
        double v;
        if (!parseNumber(it->second, v) || !(v >= 0) || v != std::floor(v))
            return errorResponse(400, "since wants an event number, got '" + it->second + "'");
        since = v >= double(panel_.events.size()) ? panel_.events.size() : size_t(v);
    }
    json modules = json::array();
    std::set<uint32_t> tokens;
    for (const Entry& e : entries_) {
        const Gauge& g = e.module->gauge;
        json elements = json::array();
        for (const InstalledElement& item : g.elements)
            if (item.header->kind != StaticImage) elements.push_back(elementState(item));
        modules.push_back({{"name", e.name},
                           {"generation", e.generation},
                           {"error", e.error},
                           {"installed", g.root != nullptr},
                           {"updates", g.updates},
                           {"elements", elements}});
        for (auto& [token, numbers] : elementTokens(g)) tokens.insert(token);
        for (const OwnVariables& own : ownVariables)
            if (e.name == own.module)
                for (uint32_t token : own.tokens)
                    if (token) tokens.insert(token);
    }
    json values = json::object();
    for (uint32_t token : tokens) values[std::to_string(token)] = panel_.variables.get(token);
    json events = json::array();
    size_t first = std::max(since, panel_.events.size() > maxEventsPerAnswer ? panel_.events.size() - maxEventsPerAnswer
                                                                              : size_t(0));
    for (size_t i = first; i < panel_.events.size(); ++i) events.push_back(eventJson(panel_.events[i], i));
    json sweeps = json::array();
    for (const Sweep& s : sweeps_)
        sweeps.push_back({{"token", s.token}, {"from", s.from}, {"to", s.to}, {"seconds", s.seconds}});
    return jsonResponse({{"ticks", ticks_},
                         {"updates", panel_.updateCount()},
                         {"modules", modules},
                         {"values", values},
                         {"events", events},
                         {"nextEvent", panel_.events.size()},
                         {"magneto", magnetoBlock(magnetoMapping_)},
                         {"sweeps", sweeps}});
}

Response LivePanel::gaugePicture(const std::string& name, const Request& r, std::unique_lock<std::mutex>& lock) {
    Entry* e = entry(name);
    if (!e) return errorResponse(404, "no module named '" + name + "' in this panel");
    auto flag = [&](const char* key) {
        auto it = r.query.find(key);
        return it != r.query.end() && (it->second == "1" || it->second == "true");
    };
    RenderOptions options;
    options.showHidden = flag("hidden");
    options.outlineMouse = flag("mouse");
    Image image = renderGauge(*e->module, options);
    int generation = e->generation;
    lock.unlock();  // encoding needs only the picture
    if (image.width <= 0 || image.height <= 0) return errorResponse(409, name + " is not installed");

    std::string key = name + "|" + (options.showHidden ? "h" : "") + (options.outlineMouse ? "m" : "");
    Response res;
    res.contentType = "image/png";
    {
        std::lock_guard<std::mutex> guard(picturesLock_);
        Picture& pic = pictures_[key];
        if (pic.rgba != image.rgba || pic.png.empty()) {
            int32_t geometry[4] = {image.width, image.height, image.originX, image.originY};
            uint64_t h = fnv1a(reinterpret_cast<const uint8_t*>(geometry), sizeof geometry);
            h = fnv1a(image.rgba.data(), image.rgba.size(), h);
            char tag[32];
            std::snprintf(tag, sizeof tag, "\"%016llx\"", static_cast<unsigned long long>(h));
            pic.tag = tag;
            pic.png = encodePng(image);
            pic.rgba = std::move(image.rgba);
        }
        res.headers.push_back({"ETag", pic.tag});
        if (r.ifNoneMatch == pic.tag)
            res.status = 304;
        else
            res.body = pic.png;
    }
    res.headers.push_back({"Cache-Control", "no-cache"});
    res.headers.push_back({"X-Origin-X", std::to_string(image.originX)});
    res.headers.push_back({"X-Origin-Y", std::to_string(image.originY)});
    res.headers.push_back({"X-Width", std::to_string(image.width)});
    res.headers.push_back({"X-Height", std::to_string(image.height)});
    res.headers.push_back({"X-Generation", std::to_string(generation)});
    return res;
}

Response LivePanel::soundResource(const std::string& name, const std::string& idText) {
    Entry* e = entry(name);
    if (!e) return errorResponse(404, "no module named '" + name + "' in this panel");
    double id;
    if (!parseNumber(idText, id) || !(id >= 1 && id <= 65535) || id != std::floor(id))
        return errorResponse(400, "a sound id is a resource number from 1 to 65535, got '" + idText + "'");
    HMODULE handle = e->module->handle;
    HRSRC found = FindResourceA(handle, MAKEINTRESOURCEA(int(id)), "WAVE");
    const void* data = found ? LockResource(LoadResource(handle, found)) : nullptr;
    if (!data) return errorResponse(404, name + " has no WAVE resource " + idText);
    Response res;
    res.contentType = "audio/wav";
    res.body.assign(static_cast<const char*>(data), SizeofResource(handle, found));
    return res;
}

Response LivePanel::clickRequest(const std::string& body) {
    json j;
    std::string error;
    if (!parseObject(body, j, error)) return errorResponse(400, error);
    if (!j.contains("module") || !j["module"].is_string())
        return errorResponse(400, "a click names its module: {\"module\": NAME, \"x\": X, \"y\": Y}");
    std::string name = j["module"].get<std::string>();
    Entry* e = entry(name);
    if (!e) return errorResponse(404, "no module named '" + name + "' in this panel");
    int64_t x, y;
    if (!j.contains("x") || !j.contains("y") || !wholeNumber(j["x"], INT32_MIN, INT32_MAX, x) ||
        !wholeNumber(j["y"], INT32_MIN, INT32_MAX, y))
        return errorResponse(400, "a click's x and y are whole gauge coordinates");
    Rect area = clickArea(*e->module);
    if (!area.contains(int(x), int(y)))
        return errorResponse(400, "point " + std::to_string(x) + ", " + std::to_string(y) + " lies outside " + name +
                                      " (x " + std::to_string(area.x) + " to " +
                                      std::to_string(int64_t(area.x) + area.width - 1) + ", y " +
                                      std::to_string(area.y) + " to " +
                                      std::to_string(int64_t(area.y) + area.height - 1) + ")");
    size_t before = panel_.events.size();
    int rect = panel_.click(*e->module, int(x), int(y));
    record("click " + name + " " + std::to_string(x) + " " + std::to_string(y));
    json events = json::array();
    for (size_t i = before; i < panel_.events.size(); ++i) events.push_back(eventJson(panel_.events[i], i));
    return jsonResponse({{"rect", rect}, {"events", events}});
}

Response LivePanel::variableRequest(const std::string& body) {
    json j;
    std::string error;
    if (!parseObject(body, j, error)) return errorResponse(400, error);
    int64_t token;
    if (!j.contains("token") || !wholeNumber(j["token"], 0, UINT32_MAX, token))
        return errorResponse(400, "a variable is named by its token: {\"token\": N, \"value\": V}");
    const VariableInfo* info = findVariable(uint32_t(token));
    if (!info) return errorResponse(404, "unknown variable token " + std::to_string(token));
    double value;
    if (!j.contains("value") || !numberOf(j["value"], value))
        return errorResponse(400, "the value of " + std::to_string(token) + " must be a finite number");
    if (info->form == VariableForm::Integer && (value != std::floor(value) || value < -2147483648.0 ||
                                                value > 4294967295.0))
        return errorResponse(400, "variable " + std::to_string(token) +
                                      " is delivered as a 32-bit integer: give a whole number");
    std::erase_if(sweeps_, [&](const Sweep& s) { return s.token == uint32_t(token); });
    setVariable(uint32_t(token), value);
    return jsonResponse({{"token", token}, {"value", value}});
}

Response LivePanel::sweepRequest(const std::string& body) {
    json j;
    std::string error;
    if (!parseObject(body, j, error)) return errorResponse(400, error);
    int64_t token;
    if (!j.contains("token") || !wholeNumber(j["token"], 0, UINT32_MAX, token))
        return errorResponse(400, "a sweep names its variable: {\"token\": N, \"from\": A, \"to\": B, \"seconds\": S}");
    const VariableInfo* info = findVariable(uint32_t(token));
    if (!info) return errorResponse(404, "unknown variable token " + std::to_string(token));
    if (j.contains("stop") && !j["stop"].is_boolean())
        return errorResponse(400, "a sweep's stop is true or false");
    if (j.contains("stop") && j["stop"].get<bool>()) {
        std::erase_if(sweeps_, [&](const Sweep& s) { return s.token == uint32_t(token); });
        return jsonResponse({{"token", token}, {"stopped", true}});
    }
    if (info->form != VariableForm::Double)
        return errorResponse(400, "variable " + std::to_string(token) + " is an integer; only doubles sweep");
    double from, to, seconds;
    if (!j.contains("from") || !j.contains("to") || !numberOf(j["from"], from) || !numberOf(j["to"], to))
        return errorResponse(400, "a sweep's from and to must be finite numbers");
    if (!j.contains("seconds") || !numberOf(j["seconds"], seconds) || !(seconds > 0 && seconds <= maxSweepSeconds))
        return errorResponse(400, "a sweep's seconds must lie above 0 and at most " + formatDouble(maxSweepSeconds));
    std::erase_if(sweeps_, [&](const Sweep& s) { return s.token == uint32_t(token); });
    sweeps_.push_back({uint32_t(token), from, to, seconds, ticks_});
    return jsonResponse({{"token", token}, {"from", from}, {"to", to}, {"seconds", seconds}});
}

// A scenario run in the live panel: only the steps that act as a user would (set, update,
// click) and show; loads of modules the panel has are passed over. Every step is checked
// before the first runs, so a bad scenario changes nothing.
Response LivePanel::scenarioRequest(const std::string& body) {
    std::vector<ScenarioStep> steps, run;
    std::string error;
    if (!parseScenario(body, steps, error)) return errorResponse(400, error);
    long updates = 0;
    for (const ScenarioStep& s : steps) {
        const std::string& verb = s.words[0];
        auto bad = [&](const std::string& why) {
            return errorResponse(400, "line " + std::to_string(s.line) + ": " + why);
        };
        double a = 0, b = 0;
        if (verb == "load") {
            if (s.words.size() < 2) return bad("load wants a module");
            if (!entry(stem(s.words[1]))) return bad(s.words[1] + " is not in this panel");
            continue;
        } else if (verb == "set") {
            if (s.words.size() < 3 || !parseNumber(s.words[1], a) || !parseNumber(s.words[2], b))
                return bad("set wants TOKEN VALUE");
            if (!(a >= 0 && a <= double(UINT32_MAX)) || a != std::floor(a) || !findVariable(uint32_t(a)))
                return bad("unknown variable token " + s.words[1]);
        } else if (verb == "update") {
            a = 1;
            if (s.words.size() > 1 && (!parseNumber(s.words[1], a) || !(a >= 0) || a != std::floor(a)))
                return bad("update wants a count");
            updates += long(std::min(a, double(maxScenarioUpdates) + 1));
            if (updates > maxScenarioUpdates)
                return bad("more than " + std::to_string(maxScenarioUpdates) + " updates in one scenario");
        } else if (verb == "click" || verb == "show") {
            if (s.words.size() < (verb == "click" ? 4u : 2u)) return bad(verb + " wants a module");
            if (!entry(s.words[1])) return bad("no module named '" + s.words[1] + "' in this panel");
        } else {
            return bad("'" + verb + "' steps are for panelhost run; the live panel takes set, update, click, show");
        }
        run.push_back(s);
    }
    ScenarioOptions options;
    options.moduleDirs = moduleDirs;
    std::ostringstream transcript;
    int result = runScenario(run, options, transcript, panel_);
    for (const ScenarioStep& s : run) {
        if (s.words[0] == "show") continue;
        std::string line;
        for (const std::string& w : s.words) line += (line.empty() ? "" : " ") + w;
        record(line);
    }
    return jsonResponse({{"result", result}, {"transcript", transcript.str()}});
}

}  // namespace host::serve
