// The magneto cluster both overheads share: the MagnetoBlock in the named shared-memory object,
// its opening at install, its synchronisation with the simulator at every update and its
// release at kill, the selector and ignition cut lever functions and the laws of their icons,
// and the overhead lifecycle routines built around them. Uses the frame, the platform seam
// (in magneto.cpp) and the sound player.
#pragma once

#include <cstdint>

#include "frame/frame.h"
#include "platform/fpu.h"

// The 12 bytes both overheads map: the simulator's magneto coding of each engine and whether
// the ignition is cut (1) or normal (0).
struct MagnetoBlock {
    int32_t engine1Magneto;
    int32_t engine2Magneto;
    int32_t ignitionCut;
};
static_assert(sizeof(MagnetoBlock) == 12);

inline constexpr const char magnetoObjectName[] = "P9VMagnetoSharedMemoryObject";

// This module's hold on the block. The handle is kept but never closed, so the object and its
// contents outlive the gauge; the view is null while the block is absent in this module.
extern void* magnetoMappingHandle;
extern MagnetoBlock* magnetoBlockView;

// Simulator variables bound at install, outside any element: each engine's magneto value
// (integer form) and the condition (exactly 1.0) under which the block follows it.
extern ModuleVar engine1MagnetoVar, engine2MagnetoVar, engine1SyncCondition, engine2SyncCondition;

// One engine's share of the cluster: its block field, the first of its four set-magneto key
// events (value v is sent as eventBase + v) and its two bindings.
struct MagnetoEngine {
    int32_t MagnetoBlock::*field;
    uint32_t eventBase;
    ModuleVar& syncCondition;
    ModuleVar& simMagneto;
};

constexpr MagnetoEngine magnetoEngine1{&MagnetoBlock::engine1Magneto, 65927, engine1SyncCondition, engine1MagnetoVar};
constexpr MagnetoEngine magnetoEngine2{&MagnetoBlock::engine2Magneto, 65933, engine2SyncCondition, engine2MagnetoVar};

// Key events the lever sends when it cuts the ignition, engine 1 then engine 2.
constexpr uint32_t ignitionCutEvents[2] = {65932, 65938};

// A selector on one gauge: its engine and the module's magneto click.
struct MagnetoSelector {
    const MagnetoEngine& engine;
    int32_t sound;
};

// The ignition cut lever on one gauge: the sounds of its lower (cut) and upper (restore) part.
struct IgnitionCutLever {
    int32_t cutSound;
    int32_t restoreSound;
};

enum class MagnetoStep { down, up };

// The failure record of the selector and lever icons in both gauges.
inline constexpr FailureEntry magnetoClusterFailure[] = {{2, 0, 0}, {0, 0, 0}};

// The family bodies, once; the templates below stamp one host-called function per instance.
int32_t stepMagneto(const MagnetoSelector& s, MagnetoStep step);
int32_t cutIgnitionOn(const IgnitionCutLever& lever);
int32_t restoreIgnitionOn(const IgnitionCutLever& lever);
double magnetoStateOf(const MagnetoEngine& e);
double HOSTCALL ignitionCutState(ModuleVar*);

void openMagnetoBlock();
void bindMagnetoVariables();
void syncMagnetoFromSim(const MagnetoEngine& e);
void holdMagnetosWhileCut();
void closeMagnetoBlock();

template <const MagnetoSelector& s>
int32_t HOSTCALL magnetoStepUp(uint32_t, uint32_t) {
    return stepMagneto(s, MagnetoStep::up);
}

template <const MagnetoSelector& s>
int32_t HOSTCALL magnetoStepDown(uint32_t, uint32_t) {
    return stepMagneto(s, MagnetoStep::down);
}

template <const IgnitionCutLever& lever>
int32_t HOSTCALL cutIgnition(uint32_t, uint32_t) {
    return cutIgnitionOn(lever);
}

template <const IgnitionCutLever& lever>
int32_t HOSTCALL restoreIgnition(uint32_t, uint32_t) {
    return restoreIgnitionOn(lever);
}

template <const MagnetoEngine& e>
double HOSTCALL magnetoState(ModuleVar*) {
    FpuGuard fpu;
    return magnetoStateOf(e);
}

// The overhead lifecycle: the plain forwarding with the magneto work at its fixed places.
template <const GaugeBinding& g>
int32_t HOSTCALL overheadInstall(ModuleInstance instance) {
    FpuGuard fpu;
    frame::installElementsOnly(g, instance);
    openMagnetoBlock();
    bindMagnetoVariables();
    syncMagnetoFromSim(magnetoEngine1);
    syncMagnetoFromSim(magnetoEngine2);
    frame::registerAndInstallMouseList(g);
    return 1;
}

template <const GaugeBinding& g>
int32_t HOSTCALL overheadUpdate() {
    FpuGuard fpu;
    syncMagnetoFromSim(magnetoEngine1);
    syncMagnetoFromSim(magnetoEngine2);
    holdMagnetosWhileCut();
    return frame::services()->updateElements(frame::root(g));
}

template <const GaugeBinding& g>
int32_t HOSTCALL overheadKill() {
    closeMagnetoBlock();
    frame::unregisterMouseList(g);
    return frame::services()->killElements(frame::root(g));
}

template <const GaugeBinding& g>
constexpr GaugeRoutines overheadRoutines{plainQuery<g>,  overheadInstall<g>, plainInitialize<g>, overheadUpdate<g>,
                                         plainGenerate<g>, plainDraw<g>,       overheadKill<g>};
