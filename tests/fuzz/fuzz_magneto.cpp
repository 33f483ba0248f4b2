// Fuzz target: the magneto block shared by both overhead modules.
// Uses the quiet panel, the platform seam and the stand-ins' controls.
//
// The magneto block shared by both overhead modules, loaded into one quiet panel
// and sharing the block through the shared-memory stand-in. Each input starts both gauges on a
// fresh block, writes arbitrary 12-byte contents into it (as any process that opens the name
// could), then runs arbitrary clicks on any rectangle of either gauge, simulator magneto values
// and sync conditions, updates, writes into the block, kills and re-installs. After every
// update the cluster's icons must show the block as the laws say, and a cut ignition must have
// held both magnetos at 0; a click never turns a valid magneto value into an invalid one, and
// its result is 0 or 1.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_input.h"
#include "quiet_panel.h"
#include "sharedmem_control.h"
#include "sound_control.h"

namespace {

struct Block {
    int32_t engine1Magneto, engine2Magneto, ignitionCut;
};
constexpr char blockName[] = "P9VMagnetoSharedMemoryObject";

quiet::Module gauges[2];
bool installed[2];
long inputs = 0;

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

bool valid(int32_t v) { return v >= 0 && v <= 3; }

// The selector pictures show the block values in the order 0, 2, 1, 3; anything else shows 3.
double selectorIndex(int32_t v) { return v == 0 ? 0.0 : v == 1 ? 2.0 : v == 2 ? 1.0 : 3.0; }

IconElement* iconWithImage(quiet::Module& m, int32_t imageId) {
    for (int i = 0; i < m.gauge->elementCount; ++i)
        if (m.gauge->elements[i]->kind == Icon && m.gauge->elements[i]->imageId == imageId)
            return reinterpret_cast<IconElement*>(m.gauge->elements[i]);
    return nullptr;
}

void install(int g) {
    if (installed[g]) return;
    quiet::install(gauges[g]);
    quiet::initialize(gauges[g]);
    installed[g] = true;
}

void kill(int g) {
    if (!installed[g]) return;
    quiet::kill(gauges[g]);
    installed[g] = false;
}

void checkShown(int g, const Block& b) {
    if (b.ignitionCut == 1) check(b.engine1Magneto == 0 && b.engine2Magneto == 0, "a cut ignition holds both at 0");
    IconElement* e1 = iconWithImage(gauges[g], 1600);
    IconElement* e2 = iconWithImage(gauges[g], 1800);
    IconElement* lever = iconWithImage(gauges[g], 2000);
    check(e1 && e2 && lever, "the cluster's icons are installed");
    check(e1->variable.value == selectorIndex(b.engine1Magneto), "engine 1 selector shows the block");
    check(e2->variable.value == selectorIndex(b.engine2Magneto), "engine 2 selector shows the block");
    check(lever->variable.value == (b.ignitionCut == 1 ? 1.0 : 0.0), "the lever shows the block");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    quiet::resetPanel();
    if (!quiet::load(FO_MODULE_PATH, gauges[0]) || !quiet::load(CAPTAIN_MODULE_PATH, gauges[1])) {
        std::fprintf(stderr, "cannot load the overhead modules\n");
        std::abort();
    }
    for (quiet::Module& m : gauges) quiet::query(m);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    // Every play stays in the sound stand-in's log; start it again now and then.
    if (++inputs % 4096 == 0) platformSoundReset();

    kill(0);
    kill(1);
    platformResetFileMappings();
    install(0);
    install(1);

    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Block), blockName);
    auto* block = static_cast<Block*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Block)));
    check(block != nullptr, "the block is mapped");
    uint32_t words[3] = {in.word(), in.word(), in.word()};
    std::memcpy(block, words, sizeof words);

    for (int op = 0; op < 96 && !in.empty(); ++op) {
        int g = in.byte() & 1;
        switch (in.byte() % 7) {
            case 0: {  // a click anywhere on the gauge
                int rects = quiet::rectCount(gauges[g]);
                int r = rects ? 1 + in.byte() % rects : 0;
                Block before = *block;
                int32_t result = quiet::click(gauges[g], r);
                check(result == 0 || result == 1, "a mouse function returns 0 or 1");
                if (valid(before.engine1Magneto)) check(valid(block->engine1Magneto), "engine 1 stays valid");
                if (valid(before.engine2Magneto)) check(valid(block->engine2Magneto), "engine 2 stays valid");
                check(block->ignitionCut == before.ignitionCut || block->ignitionCut == 0 || block->ignitionCut == 1,
                      "the lever writes only 0 or 1");
                break;
            }
            case 1: {  // the simulator's magneto value, as an integer
                uint32_t token = (in.byte() & 1) ? 167 : 132;
                quiet::state().simulator.set(token, double(int32_t(in.word())));
                break;
            }
            case 2: {  // a sync condition: mostly exactly 1 or 0, sometimes any double
                uint32_t token = (in.byte() & 1) ? 166 : 131;
                uint8_t how = in.byte();
                quiet::state().simulator.set(token, how < 100 ? 1.0 : how < 200 ? 0.0 : in.number());
                break;
            }
            case 3:  // an update: sync, zeroing, then the laws draw the cluster
                if (installed[g]) {
                    quiet::frame(gauges[g]);
                    checkShown(g, *block);
                }
                break;
            case 4: {  // another process writes one field
                int32_t value = int32_t(in.word());
                std::memcpy(reinterpret_cast<char*>(block) + 4 * (in.byte() % 3), &value, 4);
                break;
            }
            case 5:  // closed and opened again: the block keeps its contents
                kill(g);
                install(g);
                break;
            default:
                if (installed[g])
                    kill(g);
                else
                    install(g);
                break;
        }
    }
    UnmapViewOfFile(block);
    return 0;
}
