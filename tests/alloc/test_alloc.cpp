// Test: gauge modules allocate nothing from load to unload. Uses the quiet panel, the platform seam
// and the sound stand-in's control only.
//
// Gauge modules never allocate: this test binary replaces malloc, calloc, realloc, free and
// every operator new, loads each built native module into the quiet panel (which allocates
// nothing itself) and counts every allocation made on behalf of module code while the module is
// loaded, installed, initialised, updated, clicked on every rectangle, made to recover lost
// sound buffers, killed, installed again and unloaded. An allocation is the module's when,
// walking its call stack outwards, a frame of the module comes before any frame of the platform
// stand-ins or the dynamic loader (which stand in for Windows and may allocate).
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unwind.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "quiet_panel.h"
#include "sound_control.h"

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);
}

namespace counting {

std::vector<std::string> modulePaths;  // filled before anything is counted

bool active = false;  // set only while module code may run
bool inside = false;  // an allocation made by the counting itself
unsigned long count = 0;
constexpr int keptFrames = 24;
void* firstOffence[keptFrames];
int firstOffenceFrames = 0;

enum class Owner { undecided, module, platform };

const char* baseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

Owner ownerOf(uintptr_t ip) {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(ip - 1), &info) || !info.dli_fname) return Owner::undecided;
    const char* name = baseName(info.dli_fname);
    if (std::strncmp(name, "libp9vplatform", 14) == 0 || std::strncmp(name, "ld-linux", 8) == 0)
        return Owner::platform;
    for (const std::string& m : modulePaths)
        if (std::strcmp(name, baseName(m.c_str())) == 0) return Owner::module;
    return Owner::undecided;
}

struct Walk {
    Owner owner = Owner::undecided;
    void* frames[keptFrames];
    int frameCount = 0;
};

_Unwind_Reason_Code step(_Unwind_Context* context, void* argument) {
    auto* w = static_cast<Walk*>(argument);
    uintptr_t ip = _Unwind_GetIP(context);
    if (w->frameCount < keptFrames) w->frames[w->frameCount++] = reinterpret_cast<void*>(ip);
    if (ip && w->owner == Owner::undecided) w->owner = ownerOf(ip);
    return w->owner == Owner::undecided || w->frameCount < keptFrames ? _URC_NO_REASON : _URC_END_OF_STACK;
}

void note() {
    if (!active || inside) return;
    inside = true;
    Walk w;
    _Unwind_Backtrace(step, &w);
    if (w.owner == Owner::module) {
        if (count++ == 0) {
            std::memcpy(firstOffence, w.frames, sizeof(void*) * size_t(w.frameCount));
            firstOffenceFrames = w.frameCount;
        }
    }
    inside = false;
}

std::string describeFirstOffence() {
    std::string out;
    for (int i = 0; i < firstOffenceFrames; ++i) {
        Dl_info info{};
        auto ip = reinterpret_cast<uintptr_t>(firstOffence[i]);
        out += "\n    ";
        if (dladdr(reinterpret_cast<void*>(ip - 1), &info) && info.dli_fname) {
            out += baseName(info.dli_fname);
            if (info.dli_sname) out += std::string(" ") + info.dli_sname;
            char offset[32];
            std::snprintf(offset, sizeof offset, " +0x%lx", ip - reinterpret_cast<uintptr_t>(info.dli_fbase));
            out += offset;
        } else {
            out += "?";
        }
    }
    return out;
}

}  // namespace counting

// ---- the replaced allocator: counts, then forwards to the C library's own ----

extern "C" {
void* malloc(size_t n) {
    counting::note();
    return __libc_malloc(n);
}
void* calloc(size_t n, size_t size) {
    counting::note();
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n) {
    counting::note();
    return __libc_realloc(p, n);
}
void free(void* p) { __libc_free(p); }
void* aligned_alloc(size_t alignment, size_t n) {
    counting::note();
    return __libc_memalign(alignment, n);
}
void* memalign(size_t alignment, size_t n) {
    counting::note();
    return __libc_memalign(alignment, n);
}
int posix_memalign(void** out, size_t alignment, size_t n) {
    counting::note();
    void* p = __libc_memalign(alignment, n);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
}

namespace {
void* newBytes(size_t n) {
    counting::note();
    void* p = __libc_malloc(n ? n : 1);
    if (!p) std::abort();  // no exceptions in this binary's allocation path
    return p;
}
void* newAligned(size_t n, std::align_val_t a) {
    counting::note();
    void* p = __libc_memalign(size_t(a), n ? n : 1);
    if (!p) std::abort();
    return p;
}
}  // namespace

void* operator new(size_t n) { return newBytes(n); }
void* operator new[](size_t n) { return newBytes(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return newBytes(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return newBytes(n); }
void* operator new(size_t n, std::align_val_t a) { return newAligned(n, a); }
void* operator new[](size_t n, std::align_val_t a) { return newAligned(n, a); }
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t) noexcept { __libc_free(p); }
void operator delete(void* p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { __libc_free(p); }

namespace {

// Counts the module's allocations made while `work` runs.
template <typename Work>
unsigned long allocationsDuring(Work work) {
    counting::count = 0;
    counting::firstOffenceFrames = 0;
    counting::active = true;
    work();
    counting::active = false;
    return counting::count;
}

// Values that reach every branch of the laws: zeros, ordinary readings, edges of the BCD and
// magneto codings, and values no conversion can hold.
constexpr double inf = std::numeric_limits<double>::infinity();
const double probeValues[] = {0.0,    1.0,     -0.5,   359.5,      2.5,  12345.5, -1500.2, 0x2310,
                              0x10C,  3.0,     7.0,    29.92,      1013, 1e300,   -1e300,  inf,
                              -inf,   NAN,     4294967295.0, -2147483649.0, 25000, 20000};

// Every token an installed element of the gauge reads, and the stand-alone ones the modules
// bind themselves.
void collectTokens(const quiet::Gauge& g, std::vector<uint32_t>& tokens) {
    tokens = {131, 132, 166, 167, 148, 183, 335};
    auto add = [&](const ModuleVar& v) {
        if (v.token) tokens.push_back(v.token);
    };
    for (int i = 0; i < g.elementCount; ++i) {
        ElementHeader* e = g.elements[i];
        switch (e->kind) {
            case Needle: add(reinterpret_cast<NeedleElement*>(e)->variable); break;
            case Icon: add(reinterpret_cast<IconElement*>(e)->variable); break;
            case MovingImage:
                add(reinterpret_cast<MovingImageElement*>(e)->xVariable);
                add(reinterpret_cast<MovingImageElement*>(e)->yVariable);
                break;
            case String: {
                auto* s = reinterpret_cast<StringElement*>(e);
                add(s->variable1), add(s->variable2), add(s->variable3);
                break;
            }
            default: break;
        }
    }
}

std::string moduleName(const std::string& path) {
    std::string name = counting::baseName(path.c_str());
    return name.substr(0, name.rfind('.'));
}

class ModuleAllocations : public testing::TestWithParam<std::string> {};

TEST_P(ModuleAllocations, NoneFromLoadToUnload) {
    const std::string path = GetParam();
    quiet::Module m{};
    std::vector<uint32_t> tokens;
    int rects = 0;

    // One row per stretch of the module's life: what runs, and the work itself.
    struct Phase {
        const char* what;
        std::function<void()> work;
    };
    const std::vector<Phase> phases = {
        {"load (entry routine)", [&] { ASSERT_TRUE(quiet::load(path.c_str(), m)) << path; }},
        {"query, install, initialize",
         [&] {
             quiet::query(m);
             quiet::install(m);
             quiet::initialize(m);
         }},
        {"updates across every probe value",
         [&] {
             for (double v : probeValues) {
                 for (uint32_t t : tokens) quiet::state().simulator.set(t, v);
                 quiet::frame(m);
             }
         }},
        {"clicks on every rectangle, twice each",
         [&] {
             for (int round = 0; round < 2; ++round)
                 for (int r = 1; r <= rects; ++r) {
                     quiet::click(m, r);
                     quiet::frame(m);
                 }
         }},
        {"clicks after the sound buffers lost their memory",
         [&] {
             platformSoundLoseBuffers();
             for (int r = 1; r <= rects; ++r) quiet::click(m, r);
         }},
        {"clicks with sound playing refused",
         [&] {
             platformSoundInjectFault(platformSoundPlay, DSERR_INVALIDCALL, 0);
             for (int r = 1; r <= rects; ++r) quiet::click(m, r);
             platformSoundClearFault(platformSoundPlay);
         }},
        {"kill, install again, update, kill",
         [&] {
             quiet::kill(m);
             quiet::install(m);
             quiet::initialize(m);
             quiet::frame(m);
             quiet::kill(m);
         }},
        {"unload", [&] { FreeLibrary(m.handle); }},
    };

    quiet::resetPanel();
    for (const Phase& p : phases) {
        unsigned long n = allocationsDuring(p.work);
        EXPECT_EQ(n, 0u) << moduleName(path) << ", " << p.what << ": " << n
                         << " allocations by module code; the first from:" << counting::describeFirstOffence();
        if (testing::Test::HasFatalFailure()) return;
        if (std::strncmp(p.what, "query", 5) == 0) {
            collectTokens(*m.gauge, tokens);
            rects = quiet::rectCount(m);
        }
    }
    const quiet::Tally& t = quiet::state().tally;
    EXPECT_GT(t.callbacks + t.keyEvents, 0u) << "no callback ran and no key event was sent: the module was not driven";
}

std::vector<std::string> modules() {
    std::vector<std::string> out;
    std::string list = GAUGE_MODULES;
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        if (end > start) out.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    counting::modulePaths = out;
    return out;
}

INSTANTIATE_TEST_SUITE_P(EveryModule, ModuleAllocations, testing::ValuesIn(modules()),
                         [](const testing::TestParamInfo<std::string>& p) { return moduleName(p.param); });

// The counting itself is checked on a fixture library that does allocate from its own code,
// directly and through the C++ library, and on the loader, whose allocations are Windows'
// part and must not count. A replaced allocator that counts nothing would pass every test
// above.
TEST(AllocationCounting, SeesAModulesAllocationsAndNotTheLoaders) {
    counting::modulePaths.push_back(FIXTURE_PATH);
    void* fixture = dlopen(FIXTURE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(fixture, nullptr) << dlerror();
    auto allocate = reinterpret_cast<int (*)(int)>(dlsym(fixture, "fixtureAllocate"));
    ASSERT_NE(allocate, nullptr);

    struct Case {
        const char* what;
        std::function<void()> work;
        unsigned long expected;
    };
    const Case cases[] = {
        {"one operator new and one malloc in fixture code", [&] { allocate(1); }, 2},
        {"a long std::string built in fixture code (allocated inside the C++ library)", [&] { allocate(2); }, 1},
        {"no allocation", [&] { allocate(0); }, 0},
        {"a failed load: the loader's own allocations",
         [] { EXPECT_EQ(LoadLibraryA("/nonexistent/none.so"), nullptr); }, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(allocationsDuring(c.work), c.expected) << c.what;
    dlclose(fixture);
    counting::modulePaths.pop_back();
}

}  // namespace
