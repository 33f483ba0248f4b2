// The native module's entry point: registers the module's resources under its instance
// handle, as the Windows loader maps a module's resource section, then calls the frame's
// entry routine with the same arguments Windows would give it.
#include <cstdint>

#include "resource_table.h"

extern "C" int moduleEntry(void* instance, uint32_t reason, void* reserved);
extern const NativeResourceTable moduleResourceTable;

extern "C" int platformModuleEntry(void* instance, uint32_t reason, void* reserved) {
    if (reason == 1) platformRegisterResources(instance, &moduleResourceTable);
    int result = moduleEntry(instance, reason, reserved);
    if (reason == 0) platformUnregisterResources(instance);
    return result;
}
