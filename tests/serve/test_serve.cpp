// The live panel's request handling, called directly (no sockets) on a panel holding the
// built native modules: rejected requests change nothing, clicks and settings reach the
// gauges, a session replays as a scenario, sweeps follow their triangle, and a rebuilt
// module file is swapped in only once it has settled and only when it loads.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "scenario.h"
#include "serve.h"

namespace {

using nlohmann::json;
using host::serve::Clock;
using host::serve::LivePanel;
using host::serve::Request;
using host::serve::Response;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string modulePath(const std::string& name) { return std::string(MODULE_DIR) + "/" + name + ".so"; }
bool built(const std::string& name) { return fs::exists(modulePath(name)); }

Response call(LivePanel& live, const std::string& method, const std::string& target, const std::string& body = "",
              const std::string& ifNoneMatch = "") {
    Request r;
    r.method = method;
    size_t q = target.find('?');
    r.path = target.substr(0, q);
    if (q != std::string::npos) {
        std::istringstream query(target.substr(q + 1));
        for (std::string pair; std::getline(query, pair, '&');) {
            size_t eq = pair.find('=');
            r.query[pair.substr(0, eq)] = eq == std::string::npos ? "" : pair.substr(eq + 1);
        }
    }
    r.body = body;
    r.ifNoneMatch = ifNoneMatch;
    return live.handle(r);
}

json callJson(LivePanel& live, const std::string& method, const std::string& target, const std::string& body = "") {
    Response r = call(live, method, target, body);
    EXPECT_EQ(r.status, 200) << method << " " << target << ": " << r.body;
    return json::parse(r.body, nullptr, false);
}

std::vector<uint32_t> keyEvents(const json& events) {
    std::vector<uint32_t> keys;
    for (const json& e : events)
        if (e["kind"] == "key") keys.push_back(e["number"].get<uint32_t>());
    return keys;
}

const json& moduleState(const json& state, const std::string& name) {
    for (const json& m : state["modules"])
        if (m["name"] == name) return m;
    static const json none;
    ADD_FAILURE() << "no module " << name << " in the state";
    return none;
}

// A live panel with the altimeter and the cowl flaps, a few cycles run.
class LivePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"altimeter_pair", "cowl_flaps"})
            if (!built(name)) GTEST_SKIP() << name << " is not built";
        live = std::make_unique<LivePanel>(18, false);
        live->moduleDirs = {MODULE_DIR};
        for (const char* name : {"altimeter_pair", "cowl_flaps"}) {
            std::string error;
            ASSERT_TRUE(live->add(modulePath(name), error)) << error;
        }
        for (int i = 0; i < 3; ++i) live->tick();
    }

    // What a request must leave alone: variable values, the event log and the recording.
    std::string snapshot() {
        json state = callJson(*live, "GET", "/api/state");
        return state["values"].dump() + state["nextEvent"].dump() + state["sweeps"].dump() + live->scenario();
    }

    std::unique_ptr<LivePanel> live;
};

TEST_F(LivePanelTest, RejectedRequestsAnswerWithAnErrorAndChangeNothing) {
    struct Case {
        const char* method;
        const char* target;
        const char* body;
        int status;
        const char* message;  // part of the error text
        const char* reason;
    };
    const Case cases[] = {
        {"POST", "/api/click", "{bad", 400, "not valid JSON", "a body that is not JSON"},
        {"POST", "/api/click", "[100, 100]", 400, "JSON object", "JSON that is not an object"},
        {"POST", "/api/click", R"({"module": "nosuch", "x": 1, "y": 1})", 404, "no module named", "unknown module"},
        {"POST", "/api/click", R"({"x": 1, "y": 1})", 400, "names its module", "no module at all"},
        {"POST", "/api/click", R"({"module": "cowl_flaps", "x": 300, "y": 5})", 400, "outside",
         "one past the right edge of the plate"},
        {"POST", "/api/click", R"({"module": "cowl_flaps", "x": 5, "y": -1})", 400, "outside",
         "one above the top edge"},
        {"POST", "/api/click", R"({"module": "cowl_flaps", "x": 4294967396, "y": 5})", 400, "whole",
         "beyond 32 bits, which would wrap onto the plate"},
        {"POST", "/api/click", R"({"module": "cowl_flaps", "x": 100.5, "y": 100})", 400, "whole",
         "a fractional coordinate"},
        {"POST", "/api/click", R"({"module": "cowl_flaps", "x": "100", "y": 100})", 400, "whole",
         "a coordinate given as text"},
        {"POST", "/api/variable", R"({"token": 9999, "value": 1})", 404, "unknown variable token 9999",
         "a token the simulator does not have"},
        {"POST", "/api/variable", R"({"token": 74, "value": "high"})", 400, "finite number", "a value that is no number"},
        {"POST", "/api/variable", R"({"token": 74})", 400, "finite number", "no value"},
        {"POST", "/api/variable", R"({"token": -74, "value": 1})", 400, "token", "a negative token"},
        {"POST", "/api/variable", R"({"token": 16, "value": 1.5})", 400, "32-bit integer",
         "a fraction for a variable delivered as an integer"},
        {"POST", "/api/variable", R"({"token": 16, "value": 4294967296})", 400, "32-bit integer",
         "an integer variable past 32 bits"},
        {"POST", "/api/sweep", R"({"token": 16, "from": 0, "to": 1, "seconds": 1})", 400, "only doubles",
         "integer variables do not sweep"},
        {"POST", "/api/sweep", R"({"token": 74, "from": 0, "to": 1000, "seconds": 0})", 400, "seconds",
         "a sweep without a period"},
        {"POST", "/api/sweep", R"({"token": 9999, "from": 0, "to": 1, "seconds": 1})", 404, "unknown variable",
         "a sweep of an unknown token"},
        {"POST", "/api/sweep", R"({"token": 74, "stop": 1})", 400, "true or false", "stop given as a number"},
        {"GET", "/api/gauge/nosuch.png", "", 404, "no module named", "a picture of an unknown module"},
        {"GET", "/api/sound/cowl_flaps/4242", "", 404, "no WAVE resource", "a sound the module does not have"},
        {"GET", "/api/sound/cowl_flaps/0x10000", "", 400, "resource number", "a sound id past 16 bits"},
        {"GET", "/api/sound/nosuch/5001", "", 404, "no module named", "a sound of an unknown module"},
        {"GET", "/api/state?since=-1", "", 400, "event number", "a negative event number"},
        {"GET", "/api/click", "", 405, "not accepted", "a click must be posted"},
        {"GET", "/api/nothing", "", 404, "no such resource", "an unknown endpoint"},
        {"POST", "/api/scenario", "set 74 5\nrender altimeter_pair x.png\n", 400, "line 2",
         "a step the live panel does not run, after a good one that must not run either"},
        {"POST", "/api/scenario", "set 74 5\nclick nosuch 1 1\n", 400, "no module named", "a click on an unknown module"},
        {"POST", "/api/scenario", "set 9999 5\n", 400, "unknown variable token", "a set of an unknown token"},
        {"POST", "/api/scenario", "set -74 5\n", 400, "unknown variable token", "a negative token"},
        {"POST", "/api/scenario", "set 1e20 5\n", 400, "unknown variable token", "a token past 32 bits"},
        {"POST", "/api/scenario", "update 100001\n", 400, "updates", "more updates than one request may run"},
        {"POST", "/api/scenario", "load nosuch\n", 400, "not in this panel", "a module the panel does not hold"},
        {"POST", "/api/scenario", "show \"open\n", 400, "unterminated", "a malformed line"},
    };
    for (const Case& c : cases) {
        std::string before = snapshot();
        Response r = call(*live, c.method, c.target, c.body);
        EXPECT_EQ(r.status, c.status) << c.reason << ": " << r.body;
        json body = json::parse(r.body, nullptr, false);
        ASSERT_TRUE(body.is_object() && body.contains("error")) << c.reason << ": " << r.body;
        EXPECT_NE(body["error"].get<std::string>().find(c.message), std::string::npos)
            << c.reason << ": " << body["error"];
        EXPECT_EQ(snapshot(), before) << c.reason << ": the request changed the panel";
    }
}

TEST_F(LivePanelTest, ClicksReachTheRectanglesIncludingHiddenOnes) {
    struct Case {
        const char* module;
        int x, y;
        int rect;
        std::vector<uint32_t> keys;
        const char* reason;
    };
    const Case cases[] = {
        {"cowl_flaps", 100, 100, 1, {66064}, "the left lever's OPEN lettering runs its mouse function"},
        {"altimeter_pair", 60, 270, 1, {65883}, "the right half of the left knob: the host sends its key event"},
        {"altimeter_pair", 2291 + 60, 270, 3, {65883}, "the right altimeter lies outside the background, still clickable"},
        {"altimeter_pair", 5, 5, 0, {}, "background without a rectangle"},
    };
    for (const Case& c : cases) {
        json body = {{"module", c.module}, {"x", c.x}, {"y", c.y}};
        json answer = callJson(*live, "POST", "/api/click", body.dump());
        EXPECT_EQ(answer["rect"], c.rect) << c.reason;
        EXPECT_EQ(keyEvents(answer["events"]), c.keys) << c.reason;
        for (const json& e : answer["events"]) EXPECT_EQ(e["module"], c.module) << c.reason;
    }
    std::string recorded = live->scenario();
    EXPECT_NE(recorded.find("click altimeter_pair 2351 270\n"), std::string::npos) << recorded;
}

TEST_F(LivePanelTest, TheLogCarriesDecimalHexModuleAndSourceAndTheSoundPlays) {
    json answer = callJson(*live, "POST", "/api/click", R"({"module": "cowl_flaps", "x": 100, "y": 100})");
    json state = callJson(*live, "GET", "/api/state?since=0");
    ASSERT_FALSE(state["events"].empty());
    const json& key = state["events"][0];
    EXPECT_EQ(key["number"], 66064);
    EXPECT_EQ(key["hex"], "0x10210");
    EXPECT_EQ(key["module"], "cowl_flaps");
    EXPECT_EQ(key["source"], "rect 1");
    // Asking again from the next event number gives nothing old.
    json later = callJson(*live, "GET", "/api/state?since=" + state["nextEvent"].dump());
    EXPECT_TRUE(later["events"].empty()) << later["events"];

    for (const json& e : state["events"]) {
        if (e["kind"] != "sound") continue;
        Response wave = call(*live, "GET", "/api/sound/cowl_flaps/" + e["number"].dump());
        EXPECT_EQ(wave.status, 200);
        EXPECT_EQ(wave.contentType, "audio/wav");
        ASSERT_GE(wave.body.size(), 12u);
        EXPECT_EQ(wave.body.substr(0, 4), "RIFF");
        EXPECT_EQ(wave.body.substr(8, 4), "WAVE");
        return;
    }
    GTEST_SKIP() << "the lever click started no sound here (sound observation not wired)";
}

TEST_F(LivePanelTest, AVariableReachesTheNeedlesAndTheFrameChangesOnlyThen) {
    Response first = call(*live, "GET", "/api/gauge/altimeter_pair.png");
    ASSERT_EQ(first.status, 200);
    ASSERT_EQ(first.body.substr(1, 3), "PNG");
    std::string tag;
    for (auto& [k, v] : first.headers)
        if (k == "ETag") tag = v;
    ASSERT_FALSE(tag.empty());
    live->tick();
    EXPECT_EQ(call(*live, "GET", "/api/gauge/altimeter_pair.png", "", tag).status, 304)
        << "an unchanged gauge is not sent again";

    json before = moduleState(callJson(*live, "GET", "/api/state"), "altimeter_pair")["elements"];
    callJson(*live, "POST", "/api/variable", R"({"token": 74, "value": "1000"})");
    for (int i = 0; i < 60; ++i) live->tick();  // needles turn at most 6 degrees an update
    json state = callJson(*live, "GET", "/api/state");
    EXPECT_EQ(state["values"]["74"], 1000.0);
    json after = moduleState(state, "altimeter_pair")["elements"];
    int moved = 0;
    for (size_t i = 0; i < after.size(); ++i)
        if (after[i].contains("angle") && after[i]["angle"] != before[i]["angle"]) ++moved;
    EXPECT_GT(moved, 0) << "no altimeter needle turned for 1000 feet";
    EXPECT_EQ(call(*live, "GET", "/api/gauge/altimeter_pair.png", "", tag).status, 200) << "the picture changed";
}

TEST_F(LivePanelTest, TheVariablesListNamesTheElementsAndModulesThatReadThem) {
    json panel = callJson(*live, "GET", "/api/panel");
    std::map<uint32_t, json> byToken;
    for (const json& v : panel["variables"]) byToken[v["token"].get<uint32_t>()] = v;
    ASSERT_TRUE(byToken.count(74)) << "altitude drives the altimeter needles";
    EXPECT_EQ(byToken[74]["form"], "double");
    EXPECT_EQ(byToken[74]["readers"][0]["module"], "altimeter_pair");
    EXPECT_FALSE(byToken[74]["readers"][0]["elements"].empty());
    ASSERT_TRUE(byToken.count(335)) << "the unit selector is read through the module's own record";
    EXPECT_EQ(byToken[335]["readers"][0]["readVariable"], true);
    EXPECT_FALSE(byToken.count(148)) << "the engine set is not loaded, its variables are not listed";
}

TEST_F(LivePanelTest, ASweepRunsUpAndBackAndASettingStopsIt) {
    // Two seconds at 18 cycles a second: 36 cycles a period. Each cycle sets the value for
    // the cycle count before it.
    callJson(*live, "POST", "/api/sweep", R"({"token": 76, "from": 28, "to": 31, "seconds": 2})");
    struct Case {
        int cycles;
        double value;
        const char* reason;
    };
    const Case cases[] = {
        {1, 28, "starts at from"},
        {10, 29.5, "a quarter period: half way up"},
        {19, 31, "half a period: at to"},
        {28, 29.5, "three quarters: half way down"},
        {37, 28, "a whole period: back at from"},
    };
    int run = 0;
    for (const Case& c : cases) {
        for (; run < c.cycles; ++run) live->tick();
        EXPECT_DOUBLE_EQ(callJson(*live, "GET", "/api/state")["values"]["76"].get<double>(), c.value) << c.reason;
    }
    callJson(*live, "POST", "/api/variable", R"({"token": 76, "value": 29.92})");
    for (int i = 0; i < 5; ++i) live->tick();
    json state = callJson(*live, "GET", "/api/state");
    EXPECT_EQ(state["values"]["76"], 29.92) << "a setting ends the sweep";
    EXPECT_TRUE(state["sweeps"].empty());
}

TEST_F(LivePanelTest, ASavedSessionReplaysWithTheSameKeyEvents) {
    callJson(*live, "POST", "/api/variable", R"({"token": 74, "value": 1000})");
    live->tick();
    callJson(*live, "POST", "/api/click", R"({"module": "cowl_flaps", "x": 100, "y": 100})");
    for (int i = 0; i < 4; ++i) live->tick();
    callJson(*live, "POST", "/api/click", R"({"module": "altimeter_pair", "x": 35, "y": 270})");
    json loaded = callJson(*live, "POST", "/api/scenario", "update 2\nclick cowl_flaps 5 100\nset 76 29.92\n");
    EXPECT_EQ(loaded["result"], 0) << loaded["transcript"];
    live->tick();
    std::vector<uint32_t> liveKeys = keyEvents(callJson(*live, "GET", "/api/state?since=0")["events"]);
    ASSERT_GE(liveKeys.size(), 3u);
    Response saved = call(*live, "GET", "/api/scenario");
    EXPECT_EQ(saved.contentType.rfind("text/plain", 0), 0u);
    live.reset();  // one panel at a time: the replay loads the same modules

    std::vector<host::ScenarioStep> steps;
    std::string error;
    ASSERT_TRUE(host::parseScenario(saved.body, steps, error)) << error;
    host::ScenarioOptions options;
    options.moduleDirs = {MODULE_DIR};
    std::ostringstream transcript;
    host::Panel panel;
    ASSERT_EQ(host::runScenario(steps, options, transcript, panel), 0) << saved.body << transcript.str();
    std::vector<uint32_t> replayed;
    for (const host::Event& e : panel.events)
        if (e.kind == host::Event::KeyEvent) replayed.push_back(e.number);
    EXPECT_EQ(replayed, liveKeys) << saved.body << transcript.str();
    EXPECT_EQ(panel.variables.get(74), 1000);
    EXPECT_EQ(panel.variables.get(76), 29.92);
}

// ---- reloading ----

// A module file in a directory of its own, served with watching on.
class ReloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!built("altimeter_pair")) GTEST_SKIP() << "altimeter_pair is not built";
        char dirName[] = "/tmp/serve-reload-XXXXXX";
        ASSERT_NE(mkdtemp(dirName), nullptr);
        dir = dirName;
        file = dir + "/altimeter_pair.so";
        fs::copy_file(modulePath("altimeter_pair"), file);
        live = std::make_unique<LivePanel>(18, true);
        std::string error;
        ASSERT_TRUE(live->add(file, error)) << error;
        callJson(*live, "POST", "/api/variable", R"({"token": 74, "value": 1000})");
        for (int i = 0; i < 60; ++i) live->tick();
        t = Clock::now();
    }
    void TearDown() override {
        live.reset();
        if (!dir.empty()) fs::remove_all(dir);
    }

    void write(const std::string& bytes) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A different build of the same module: the same code with bytes after its end.
    void rebuild(const std::string& marker) { write(contents(modulePath("altimeter_pair")) + marker); }

    json altimeter() { return moduleState(callJson(*live, "GET", "/api/state"), "altimeter_pair"); }
    void watchAt(std::chrono::milliseconds after) { live->watchFiles(t + after); }

    std::string dir, file;
    std::unique_ptr<LivePanel> live;
    Clock::time_point t;
};

TEST_F(ReloadTest, ARebuiltFileIsSwappedInOnceSettledKeepingTheVariables) {
    json before = altimeter()["elements"];
    rebuild("build two");
    watchAt(0ms);
    watchAt(150ms);
    EXPECT_EQ(altimeter()["generation"], 1) << "not before the file has settled";
    rebuild("build two, still being written");
    watchAt(190ms);
    watchAt(350ms);
    EXPECT_EQ(altimeter()["generation"], 1) << "each change starts the settling again";
    watchAt(390ms);
    json state = altimeter();
    EXPECT_EQ(state["generation"], 2);
    EXPECT_EQ(state["error"], "");
    EXPECT_TRUE(state["installed"]);
    live->tick();
    EXPECT_EQ(callJson(*live, "GET", "/api/state")["values"]["74"], 1000.0) << "variables survive the reload";
    json after = altimeter()["elements"];
    for (size_t i = 0; i < after.size(); ++i) {
        if (!after[i].contains("angle")) continue;
        EXPECT_EQ(after[i]["angle"], before[i]["angle"])
            << "element #" << after[i]["number"] << ": the new build shows the same altitude";
    }
    watchAt(1000ms);
    EXPECT_EQ(altimeter()["generation"], 2) << "an unchanged file is not loaded again";
    EXPECT_NE(live->scenario().find("# altimeter_pair reloaded: build 2"), std::string::npos);
}

TEST_F(ReloadTest, AFileThatDoesNotLoadKeepsThePreviousBuildRunning) {
    struct Case {
        std::string bytes;  // empty: the file is removed
        const char* message;
        const char* reason;
    };
    const Case cases[] = {
        {"not a shared library at all", "cannot load module", "garbage"},
        {contents(modulePath("altimeter_pair")).substr(0, 4096), "cannot load module", "a file cut short mid-write"},
        {contents(WRONG_LINKAGE_PATH), "Linkage", "a library whose Linkage names no gauge"},
        {"", "missing", "the file removed"},
    };
    auto step = 0ms;
    for (const Case& c : cases) {
        if (c.bytes.empty())
            fs::remove(file);
        else
            write(c.bytes);
        watchAt(step);
        watchAt(step + 250ms);
        step += 1000ms;
        json state = altimeter();
        EXPECT_EQ(state["generation"], 1) << c.reason;
        std::string error = state["error"];
        EXPECT_NE(error.find(c.message), std::string::npos) << c.reason << ": " << error;
        EXPECT_NE(error.find("build 1 keeps running"), std::string::npos) << c.reason << ": " << error;
        EXPECT_EQ(error.find("panelhost-serve-"), std::string::npos) << "names the file given, not the private copy";
        int updates = state["updates"];
        live->tick();
        EXPECT_EQ(altimeter()["updates"], updates + 1) << c.reason << ": the old build still updates";
        EXPECT_EQ(call(*live, "GET", "/api/gauge/altimeter_pair.png").status, 200) << c.reason;
        json panel = callJson(*live, "GET", "/api/panel");
        EXPECT_EQ(panel["modules"][0]["error"], error) << "the page is told";
    }
    rebuild("fixed");
    watchAt(step);
    watchAt(step + 250ms);
    EXPECT_EQ(altimeter()["generation"], 2) << "a good build after bad ones is taken";
    EXPECT_EQ(altimeter()["error"], "");
}

// ---- the two overheads ----

TEST(LivePanelOverheads, AMagnetoStepOnOneOverheadShowsOnTheOtherAtItsNextUpdate) {
    for (const char* name : {"fo_overhead", "captain_overhead"})
        if (!built(name)) GTEST_SKIP() << name << " is not built";
    LivePanel live(18, false);
    for (const char* name : {"captain_overhead", "fo_overhead"}) {
        std::string error;
        ASSERT_TRUE(live.add(modulePath(name), error)) << error;
    }
    live.tick();
    json before = callJson(live, "GET", "/api/state");
    ASSERT_TRUE(before["magneto"].is_object()) << "the overheads made the block";
    json click = callJson(live, "POST", "/api/click", R"({"module": "fo_overhead", "x": 230, "y": 44})");
    EXPECT_NE(click["rect"], 0);
    json now = callJson(live, "GET", "/api/state");
    EXPECT_NE(now["magneto"]["engine1Magneto"], before["magneto"]["engine1Magneto"]) << now["magneto"];
    live.tick();
    json after = callJson(live, "GET", "/api/state");
    EXPECT_NE(moduleState(after, "captain_overhead")["elements"], moduleState(before, "captain_overhead")["elements"])
        << "the captain's overhead shows the step";
}

}  // namespace
