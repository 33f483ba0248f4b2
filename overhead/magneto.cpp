// The magneto cluster's behaviour, shared by both overheads: the block is opened at install,
// follows the simulator at every update, is stepped and cut by the cluster's mouse functions
// and released at kill. Uses the frame, the platform seam and the sound player.
#include "magneto.h"

#include "frame/content.h"
#include "platform/win.h"
#include "sound/player.h"

constinit void* magnetoMappingHandle = nullptr;
constinit MagnetoBlock* magnetoBlockView = nullptr;

constinit ModuleVar engine1MagnetoVar = moduleVar(132);
constinit ModuleVar engine2MagnetoVar = moduleVar(167);
constinit ModuleVar engine1SyncCondition = moduleVar(131);
constinit ModuleVar engine2SyncCondition = moduleVar(166);

namespace {

// The selector's pictures show the block values in the order 0, 2, 1, 3. The permutation is
// its own inverse: it gives both the value shown at an icon index and the index of a value.
constexpr int32_t iconOrder[4] = {0, 2, 1, 3};

bool validMagneto(int32_t v) { return v >= 0 && v <= 3; }

}  // namespace

void openMagnetoBlock() {
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(MagnetoBlock),
                                        magnetoObjectName);
    magnetoMappingHandle = mapping;
    DWORD error = GetLastError();
    if (error == 0 || error == ERROR_ALREADY_EXISTS)
        magnetoBlockView =
            static_cast<MagnetoBlock*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(MagnetoBlock)));
}

void bindMagnetoVariables() {
    HostServices* host = frame::services();
    host->bindVariable(&engine1MagnetoVar);
    host->bindVariable(&engine2MagnetoVar);
    host->bindVariable(&engine1SyncCondition);
    host->bindVariable(&engine2SyncCondition);
}

void syncMagnetoFromSim(const MagnetoEngine& e) {
    // Both bindings are refreshed even without a block, so they stay current for the laws of
    // the next install.
    HostServices* host = frame::services();
    host->readVariable(&e.syncCondition);
    host->readVariable(&e.simMagneto);
    if (magnetoBlockView && e.syncCondition.value == 1.0) magnetoBlockView->*e.field = integerValue(e.simMagneto);
}

void holdMagnetosWhileCut() {
    // The simulator's values were just copied in; while the ignition is cut the selectors
    // still show 0, without telling the simulator anything.
    if (magnetoBlockView && magnetoBlockView->ignitionCut == 1) {
        magnetoBlockView->engine1Magneto = 0;
        magnetoBlockView->engine2Magneto = 0;
    }
}

void closeMagnetoBlock() {
    if (magnetoBlockView) UnmapViewOfFile(magnetoBlockView);
    magnetoBlockView = nullptr;
}

int32_t stepMagneto(const MagnetoSelector& s, MagnetoStep step) {
    playSound(s.sound);
    if (!magnetoBlockView) return 0;
    int32_t& field = magnetoBlockView->*s.engine.field;
    int32_t v = field;
    if (!validMagneto(v)) return 0;  // a value only the simulator can bring; the next sync repairs it
    int32_t index = iconOrder[v];
    if (step == MagnetoStep::up && index < 3) ++index;
    if (step == MagnetoStep::down && index > 0) --index;
    int32_t next = iconOrder[index];
    field = next;
    frame::services()->sendKeyEvent(s.engine.eventBase + uint32_t(next), 0);
    return 1;
}

int32_t cutIgnitionOn(const IgnitionCutLever& lever) {
    playSound(lever.cutSound);
    if (magnetoBlockView && magnetoBlockView->ignitionCut != 1) {
        magnetoBlockView->ignitionCut = 1;
        magnetoBlockView->engine1Magneto = 0;
        magnetoBlockView->engine2Magneto = 0;
        frame::services()->sendKeyEvent(ignitionCutEvents[0], 0);
        frame::services()->sendKeyEvent(ignitionCutEvents[1], 0);
    }
    return 0;
}

int32_t restoreIgnitionOn(const IgnitionCutLever& lever) {
    playSound(lever.restoreSound);
    if (magnetoBlockView && magnetoBlockView->ignitionCut != 0) magnetoBlockView->ignitionCut = 0;
    return 0;
}

double magnetoStateOf(const MagnetoEngine& e) {
    if (!magnetoBlockView) return 0.0;
    int32_t v = magnetoBlockView->*e.field;
    return validMagneto(v) ? double(iconOrder[v]) : 3.0;
}

double HOSTCALL ignitionCutState(ModuleVar*) {
    FpuGuard fpu;
    // No block reads as cut, which also keeps the starter selector's interlock shut.
    if (!magnetoBlockView || magnetoBlockView->ignitionCut == 1) return 1.0;
    return 0.0;
}
