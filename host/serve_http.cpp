// `panelhost serve`: the command line, the HTTP server in front of the live panel and the
// thread that drives the panel's update cycle. Native build only; uses the live panel
// (serve.h), the host's module look-up and the HTTP library.
#include <signal.h>

#include <atomic>
#include <cmath>
#include <iostream>
#include <thread>

#include <httplib.h>

#include "paths.h"
#include "scenario.h"
#include "serve.h"

namespace host::serve {

namespace {

// The five modules of the panel, in the order the page shows them.
constexpr const char* panelModules[] = {"captain_overhead", "fo_overhead", "engine_set", "altimeter_pair",
                                        "cowl_flaps"};

const char* usageText =
    "usage: panelhost serve [MODULE...] [--port N] [--rate HZ] [--bind ADDRESS] [--watch] [--modules DIR]\n"
    "  serve a live page of the gauges: every MODULE (default: each of the five that is found)\n"
    "  runs in one panel at HZ updates a second (default 18); --port 0 picks a free port;\n"
    "  only 127.0.0.1 is served unless --bind names another address; --watch reloads a\n"
    "  module when its file is rebuilt\n";

Request requestOf(const httplib::Request& in) {
    Request r;
    r.method = in.method;
    r.path = in.path;
    for (const auto& [key, value] : in.params) r.query.emplace(key, value);
    r.body = in.body;
    r.ifNoneMatch = in.get_header_value("If-None-Match");
    return r;
}

void answer(const Response& from, httplib::Response& to) {
    to.status = from.status;
    for (const auto& [key, value] : from.headers) to.set_header(key, value);
    if (from.status != 304) to.set_content(from.body, from.contentType);
}

}  // namespace

bool parseOptions(int argc, char** argv, Options& o, std::string& error) {
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        double n;
        if (arg == "--port") {
            if (!value(v)) return false;
            if (!parseNumber(v, n) || !(n >= 0 && n <= 65535) || n != std::floor(n)) {
                error = "--port wants a port number from 0 to 65535, got '" + v + "'";
                return false;
            }
            o.port = int(n);
        } else if (arg == "--rate") {
            if (!value(v)) return false;
            if (!parseNumber(v, n) || !(n > 0 && n <= 1000)) {
                error = "--rate wants updates per second above 0 and at most 1000, got '" + v + "'";
                return false;
            }
            o.rate = n;
        } else if (arg == "--bind") {
            if (!value(o.bind)) return false;
        } else if (arg == "--modules") {
            if (!value(v)) return false;
            o.moduleDirs.push_back(v);
        } else if (arg == "--watch") {
            o.watch = true;
        } else if (arg.starts_with("-")) {
            error = "unknown option " + arg;
            return false;
        } else {
            o.modules.push_back(arg);
        }
    }
    return true;
}

int run(const Options& o) {
    LivePanel live(o.rate, o.watch);
    live.moduleDirs = o.moduleDirs;
    std::vector<std::string> names = o.modules;
    bool all = names.empty();
    if (all) names.assign(std::begin(panelModules), std::end(panelModules));
    int loaded = 0;
    for (const std::string& name : names) {
        std::string path = resolveModule(name, o.moduleDirs);
        std::string error;
        if (path.empty()) {
            std::cerr << "panelhost serve: module not found: " << name << (all ? " (left out)" : "") << "\n";
            if (all) continue;
            return 1;
        }
        if (!live.add(path, error)) {
            std::cerr << "panelhost serve: " << error << "\n";
            return 1;
        }
        ++loaded;
    }
    if (!loaded) {
        std::cerr << "panelhost serve: no module to serve\n";
        return 1;
    }

    // SIGINT and SIGTERM are taken by one thread of their own, which stops the server; every
    // other thread starts with them blocked.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    httplib::Server server;
    auto handler = [&live](const httplib::Request& in, httplib::Response& out) {
        answer(live.handle(requestOf(in)), out);
    };
    server.Get(".*", handler);
    server.Post(".*", handler);
    server.Put(".*", handler);
    server.Delete(".*", handler);
    int port = o.port;
    if (port == 0) {
        port = server.bind_to_any_port(o.bind);
    } else if (!server.bind_to_port(o.bind, port)) {
        port = -1;
    }
    if (port <= 0) {
        std::cerr << "panelhost serve: cannot listen on " << o.bind << ":" << o.port << "\n";
        return 1;
    }
    std::cout << "panelhost serve: " << loaded << " module" << (loaded == 1 ? "" : "s") << " at http://" << o.bind
              << ":" << port << "/" << (o.watch ? " (watching the module files)" : "") << std::endl;

    std::atomic<bool> stopping{false};
    std::thread panelThread([&] {
        // A steady rate: each cycle is due one period after the last one was due, so a slow
        // cycle is made up for; after a long stall the schedule starts again from now.
        const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / o.rate));
        auto due = Clock::now();
        while (!stopping.load()) {
            live.tick();
            live.watchFiles(Clock::now());
            due += period;
            auto now = Clock::now();
            if (now - due > std::chrono::seconds(1)) due = now;
            std::this_thread::sleep_until(due);
        }
    });
    std::thread signalThread([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        stopping = true;
        server.stop();
    });

    server.listen_after_bind();
    stopping = true;
    panelThread.join();
    if (signalThread.joinable()) {
        // The server stopped by itself: wake the signal thread.
        pthread_kill(signalThread.native_handle(), SIGTERM);
        signalThread.join();
    }
    std::cout << "panelhost serve: stopped" << std::endl;
    return 0;
}

int command(int argc, char** argv) {
    Options o;
    std::string error;
    for (int i = 2; i < argc; ++i)
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            std::cout << usageText;
            return 0;
        }
    if (!parseOptions(argc, argv, o, error)) {
        std::cerr << "panelhost serve: " << error << "\n\n" << usageText;
        return 2;
    }
    if (const char* env = std::getenv("P9V_MODULES")) o.moduleDirs.push_back(env);
    for (const std::string& d : defaultModuleDirs(argv[0])) o.moduleDirs.push_back(d);
    return run(o);
}

}  // namespace host::serve
