// The module frame: exported records, entry routine and the forwarding shared by every
// gauge's lifecycle routines.
#include "frame.h"

namespace frame {

constinit ModuleInstance moduleInstance = nullptr;

void installElementsOnly(const GaugeBinding& g, ModuleInstance instance) {
    services()->installElements(root(g), instance);
}

void registerAndInstallMouseList(const GaugeBinding& g) {
    // The panel system leaves a word in the root image at install; the mouse list is
    // registered against the address four bytes past it.
    auto* background = reinterpret_cast<StaticImageElement*>(root(g));
    services()->registerMouseList(g.mouseList, g.header, background->hostWords[0] + 4);
    services()->installMouseList(g.mouseList, g.header);
}

int32_t unregisterMouseList(const GaugeBinding& g) {
    return services()->unregisterMouseList(g.mouseList, g.header);
}

}  // namespace frame

namespace {
void HOSTCALL moduleNothing() {}
}  // namespace

extern "C" {

MODULE_EXPORT constinit LinkageRecord Linkage = {
    .moduleId = linkageModuleId,
    .moduleInit = moduleNothing,
    .moduleDeinit = moduleNothing,
    .reserved = {0, 0, 0},
    .gaugeHeaders = {&gaugeHeader, nullptr},
};

MODULE_EXPORT constinit ImportTableRecord ImportTable = {
    {serviceTableImportId, nullptr},
    {0, nullptr},
};

// The dynamic-library entry point. Whatever the reason of the call (load, unload, thread
// start), the handle it is given is the module's and is kept.
int HOSTCALL moduleEntry(ModuleInstance instance, uint32_t /*reason*/, void* /*reserved*/) {
    frame::moduleInstance = instance;
    return 1;
}

}
