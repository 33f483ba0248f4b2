// The live panel behind `panelhost serve`: one host::Panel with its modules, driven at a
// steady rate, answering the web page's requests, recording the session as a scenario and
// reloading rebuilt module files. Native build only; uses the panel host (panel.h,
// render.h, scenario.h) and the platform seam, never a module's internals.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "panel.h"

namespace host::serve {

// A request as the page sends it, stripped of the transport.
struct Request {
    std::string method;  // "GET" or "POST"
    std::string path;    // "/api/state"
    std::map<std::string, std::string> query;
    std::string body;
    std::string ifNoneMatch;  // the page's cached picture tag
};

struct Response {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

// The page's files, compiled into the program.
struct WebAsset {
    const char* path;  // "/index.html"
    const char* contentType;
    const unsigned char* data;
    unsigned long size;
};
extern const WebAsset webAssets[];  // ended by an entry with a null path

using Clock = std::chrono::steady_clock;

// How long a rebuilt module file must stay unchanged before it is loaded: a linker writes
// the file in several steps.
constexpr std::chrono::milliseconds settleTime{200};

class LivePanel {
public:
    // rate: updates per second. watch: load every module from a private copy and reload it
    // when its file changes.
    LivePanel(double rate, bool watch);
    ~LivePanel();
    LivePanel(const LivePanel&) = delete;
    LivePanel& operator=(const LivePanel&) = delete;

    // Loads the module file into the panel and runs query, install and initialize.
    bool add(const std::string& path, std::string& error);

    // One update cycle: running sweeps move their variables, then every installed gauge gets
    // update, generate 0 and draw.
    void tick();

    // With watching on: notices changed module files and reloads each once it has settled.
    void watchFiles(Clock::time_point now);

    // Answers one request of the page. Requests that name an unknown module or variable, or
    // carry bad JSON or values, get a 4xx answer with {"error": "..."} and change nothing.
    Response handle(const Request& request);

    // The session's actions so far as a scenario `panelhost run` replays.
    std::string scenario();

    long ticks();
    double rate() const { return rate_; }

    // Module directories for scenarios loaded into the live panel.
    std::vector<std::string> moduleDirs;

private:
    struct FileSignature {
        bool exists = false;
        int64_t size = 0;
        int64_t mtimeNs = 0;
        int64_t inode = 0;
        bool operator==(const FileSignature&) const = default;
    };

    // One module as the page knows it: its name stays while its file is reloaded.
    struct Entry {
        std::string name;
        std::string path;      // the file given, which watching looks at
        std::string loadedFrom;  // the file actually loaded (a private copy when watching)
        Module* module = nullptr;
        int generation = 1;
        std::string error;  // why the latest reload failed; empty when it did not
        FileSignature loaded, seen;
        Clock::time_point seenSince{};
        bool pending = false;
    };

    struct Sweep {
        uint32_t token;
        double from, to, seconds;
        long startTick;
    };

    struct Action {
        long tick;  // ticks run before it
        std::string line;
    };

    Response describePanel();
    Response describeState(const Request& request);
    Response gaugePicture(const std::string& name, const Request& request, std::unique_lock<std::mutex>& lock);
    Response soundResource(const std::string& module, const std::string& id);
    Response clickRequest(const std::string& body);
    Response variableRequest(const std::string& body);
    Response sweepRequest(const std::string& body);
    Response scenarioRequest(const std::string& body);

    static FileSignature signatureOf(const std::string& path);
    Module* loadFile(const std::string& name, const std::string& path, std::string& loadedFrom, std::string& error);
    Entry* entry(const std::string& name);
    void reload(Entry& e);
    void setVariable(uint32_t token, double value);
    void record(const std::string& line);
    void updateAll();

    std::mutex lock_;
    Panel panel_;
    double rate_;
    bool watch_;
    std::string copyDir_;
    long ticks_ = 0;
    std::vector<std::string> copies_;  // every private copy made, removed at the end
    std::vector<Entry> entries_;
    std::vector<Sweep> sweeps_;
    std::vector<Action> actions_;
    std::vector<std::string> initialLoads_;
    HANDLE magnetoMapping_ = nullptr;

    // The latest picture of each gauge and option set, so an unchanged picture is neither
    // encoded again nor sent again.
    struct Picture {
        std::vector<uint8_t> rgba;
        std::string png, tag;
    };
    std::mutex picturesLock_;
    std::map<std::string, Picture> pictures_;
};

struct Options {
    std::vector<std::string> modules;  // names or paths; empty = every module found
    std::vector<std::string> moduleDirs;
    std::string bind = "127.0.0.1";
    int port = 8080;
    double rate = 18;
    bool watch = false;
};

// Parses `panelhost serve` arguments (argv[2] on); false with `error` on a bad one.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

// Runs the server until the process is interrupted. Returns the exit status.
int run(const Options& options);

// The command: parses, finds the modules and serves.
int command(int argc, char** argv);

}  // namespace host::serve
