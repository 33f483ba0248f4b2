// LoadResource and LockResource as the sound tests see them: the resource stand-in's own,
// except when a test asks for the failure Windows can give and the stand-in cannot (a
// resource that cannot be loaded or locked). The test program exports these definitions, so
// they take the place of the stand-in's for the harness too.
#include <dlfcn.h>

#include "harness_fixture.h"

namespace {
template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}
}  // namespace

extern "C" HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
    static auto original = real<HGLOBAL (*)(HMODULE, HRSRC)>("LoadResource");
    return resourceFault == ResourceFault::load ? nullptr : original(module, resource);
}

extern "C" LPVOID LockResource(HGLOBAL loaded) {
    static auto original = real<LPVOID (*)(HGLOBAL)>("LockResource");
    return resourceFault == ResourceFault::lock ? nullptr : original(loaded);
}
