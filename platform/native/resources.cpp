// Resource stand-in: every loaded native module registers its generated resource table under
// its instance handle, and the Windows-named look-ups search the table of the module named.
#include <cstring>
#include <map>

#include "resource_table.h"
#include "win_resources.h"

namespace {
std::map<void*, const NativeResourceTable*>& registry() {
    static std::map<void*, const NativeResourceTable*> tables;
    return tables;
}

bool sameType(const NativeResource& r, LPCSTR type) {
    if (IS_INTRESOURCE(type)) return r.typeName == nullptr && r.typeId == reinterpret_cast<ULONG_PTR>(type);
    return r.typeName != nullptr && strcasecmp(r.typeName, type) == 0;
}
}  // namespace

extern "C" {

void platformRegisterResources(void* module, const NativeResourceTable* table) { registry()[module] = table; }

void platformUnregisterResources(void* module) { registry().erase(module); }

int platformResourceContaining(const void* address, void** module, unsigned* id, unsigned* remaining) {
    auto* at = static_cast<const unsigned char*>(address);
    for (auto& [handle, table] : registry())
        for (uint32_t i = 0; i < table->count; ++i) {
            const NativeResource& r = table->entries[i];
            if (r.data && at >= r.data && at < r.data + r.size) {
                *module = handle;
                *id = r.id;
                *remaining = unsigned(r.data + r.size - at);
                return 1;
            }
        }
    return 0;
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    auto found = registry().find(module);
    if (found == registry().end() || !IS_INTRESOURCE(name)) return nullptr;
    auto id = static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(name));
    const NativeResourceTable& table = *found->second;
    for (uint32_t i = 0; i < table.count; ++i)
        if (table.entries[i].id == id && sameType(table.entries[i], type)) return &table.entries[i];
    return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    return resource ? const_cast<unsigned char*>(resource->data) : nullptr;
}

LPVOID LockResource(HGLOBAL loaded) { return loaded; }

DWORD SizeofResource(HMODULE, HRSRC resource) { return resource ? resource->size : 0; }
}
