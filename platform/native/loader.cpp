// Loader stand-in: maps a native module with the dynamic linker and, as the Windows loader
// does, calls the module's entry point (the ELF entry address of the shared object) with the
// module's instance handle, the base address at which it is mapped.
#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstring>
#include <map>

#include "win_loader.h"

namespace {
using EntryRoutine = int (*)(void*, uint32_t, void*);

struct Loaded {
    void* dl;
    EntryRoutine entry;
    int references;
};

std::map<void*, Loaded>& loaded() {
    static std::map<void*, Loaded> modules;
    return modules;
}

EntryRoutine entryOf(const link_map* map) {
    auto* header = reinterpret_cast<const ElfW(Ehdr)*>(map->l_addr);
    if (std::memcmp(header->e_ident, ELFMAG, SELFMAG) != 0 || header->e_entry == 0) return nullptr;
    return reinterpret_cast<EntryRoutine>(map->l_addr + header->e_entry);
}
}  // namespace

extern "C" {

HMODULE LoadLibraryA(LPCSTR path) {
    void* dl = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!dl) return nullptr;
    link_map* map = nullptr;
    if (dlinfo(dl, RTLD_DI_LINKMAP, &map) != 0 || !map || map->l_addr == 0) {
        dlclose(dl);
        return nullptr;
    }
    auto* module = reinterpret_cast<void*>(map->l_addr);
    auto [it, fresh] = loaded().try_emplace(module, Loaded{dl, entryOf(map), 0});
    ++it->second.references;
    if (!fresh) {
        dlclose(dl);  // the first load keeps the mapping
        return module;
    }
    if (it->second.entry && !it->second.entry(module, DLL_PROCESS_ATTACH, nullptr)) {
        loaded().erase(it);
        dlclose(dl);
        return nullptr;
    }
    return module;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    auto it = loaded().find(module);
    if (it == loaded().end()) return nullptr;
    return reinterpret_cast<FARPROC>(dlsym(it->second.dl, name));
}

BOOL FreeLibrary(HMODULE module) {
    auto it = loaded().find(module);
    if (it == loaded().end()) return FALSE;
    if (--it->second.references > 0) return TRUE;
    if (it->second.entry) it->second.entry(module, DLL_PROCESS_DETACH, nullptr);
    void* dl = it->second.dl;
    loaded().erase(it);
    dlclose(dl);
    return TRUE;
}

namespace {
thread_local DWORD lastError = 0;
}

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD error) { lastError = error; }
}
