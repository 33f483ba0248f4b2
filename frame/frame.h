// The module frame every gauge module shares: its exported records, the instance handle the
// entry routine records, the panel system's service table, and the plain forwarding of the
// seven lifecycle routines to the element-list and mouse-list services. Uses only the
// records and the platform seam.
#pragma once

#include "records.h"

// A gauge's own records as the frame needs them. `mouseList` is null for gauges without
// mouse areas.
struct GaugeBinding {
    ElementHeader* const* elementList;
    MouseRect* mouseList;
    GaugeHeader* header;
};

// The exported records, the only names a module exports. The panel system writes its
// service table into ImportTable. (The Windows build exports them through its .def file.)
#if defined(_WIN32)
#define MODULE_EXPORT
#else
#define MODULE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
extern MODULE_EXPORT LinkageRecord Linkage;
extern MODULE_EXPORT ImportTableRecord ImportTable;
}

// Defined by each module: its one gauge.
extern GaugeHeader gaugeHeader;

namespace frame {

// The handle the entry routine was last given: names the module whose resources are used.
extern ModuleInstance moduleInstance;

inline HostServices* services() { return ImportTable[0].serviceTable; }

inline ElementHeader* root(const GaugeBinding& g) { return *g.elementList; }

// installElements, then the mouse list when the gauge has one.
void installElementsOnly(const GaugeBinding& g, ModuleInstance instance);
void registerAndInstallMouseList(const GaugeBinding& g);
int32_t unregisterMouseList(const GaugeBinding& g);

}  // namespace frame

// Plain forwarding of each lifecycle routine, one instance per gauge.
template <const GaugeBinding& g>
int32_t HOSTCALL plainQuery() {
    return frame::services()->queryElements(frame::root(g));
}

template <const GaugeBinding& g>
int32_t HOSTCALL plainInstall(ModuleInstance instance) {
    frame::installElementsOnly(g, instance);
    if constexpr (g.mouseList != nullptr) frame::registerAndInstallMouseList(g);
    return 1;
}

template <const GaugeBinding& g>
int32_t HOSTCALL plainInitialize() {
    return frame::services()->initializeElements(frame::root(g));
}

template <const GaugeBinding& g>
int32_t HOSTCALL plainUpdate() {
    return frame::services()->updateElements(frame::root(g));
}

template <const GaugeBinding& g>
int32_t HOSTCALL plainGenerate(uint32_t phase) {
    return frame::services()->generateElements(frame::root(g), phase);
}

template <const GaugeBinding& g>
int32_t HOSTCALL plainDraw() {
    return frame::services()->plotElements(frame::root(g));
}

template <const GaugeBinding& g>
int32_t HOSTCALL plainKill() {
    if constexpr (g.mouseList != nullptr) frame::unregisterMouseList(g);
    return frame::services()->killElements(frame::root(g));
}

// A GaugeHeader whose routines all forward plainly; gauges with hooks replace some of them.
struct GaugeRoutines {
    QueryRoutine query;
    InstallRoutine install;
    PlainRoutine initialize;
    PlainRoutine update;
    GenerateRoutine generate;
    PlainRoutine draw;
    PlainRoutine kill;
};

template <const GaugeBinding& g>
constexpr GaugeRoutines plainRoutines{plainQuery<g>, plainInstall<g>, plainInitialize<g>, plainUpdate<g>,
                                      plainGenerate<g>, plainDraw<g>, plainKill<g>};

constexpr GaugeHeader makeGaugeHeader(const char* name, ElementHeader* const* elementList, const GaugeRoutines& r,
                                      uint32_t defaultSize) {
    return GaugeHeader{
        .version = gaugeVersion,
        .name = name,
        .elementList = elementList,
        .queryRoutine = r.query,
        .installRoutine = r.install,
        .initializeRoutine = r.initialize,
        .updateRoutine = r.update,
        .generateRoutine = r.generate,
        .drawRoutine = r.draw,
        .killRoutine = r.kill,
        .reserved = 0,
        .defaultSize = defaultSize,
        .hostWords = {},
    };
}
