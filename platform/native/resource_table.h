// The table of resources a native module carries, generated from the module's resource
// script, and its registration with the resource stand-in when the module is loaded.
#pragma once

#include <cstdint>

struct NativeResource {
    uint16_t id;
    uint16_t typeId;       // integer type (2 = bitmap), or 0 when the type is named
    const char* typeName;  // named type ("WAVE"), or null
    const unsigned char* data;
    uint32_t size;
};

struct NativeResourceTable {
    const NativeResource* entries;
    uint32_t count;
};

extern "C" {
void platformRegisterResources(void* module, const NativeResourceTable* table);
void platformUnregisterResources(void* module);
// The registered resource whose bytes hold `address`: its module, id and the bytes from
// `address` to the resource's end. False when no resource holds it.
int platformResourceContaining(const void* address, void** module, unsigned* id, unsigned* remaining);
}
