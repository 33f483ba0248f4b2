// A shared library that exports the two records of a gauge module, but whose Linkage names
// no gauge: a rebuilt file the live panel must refuse to swap in for a running module.
// Uses the record layouts only.
#include <cstdint>

#include "frame/records.h"

extern "C" __attribute__((visibility("default"))) int fixtureEntry(void*, uint32_t, void*) { return 1; }

__attribute__((visibility("default"))) LinkageRecord Linkage = {0x7E, nullptr, nullptr, {}, {nullptr, nullptr}};
__attribute__((visibility("default"))) ImportTableRecord ImportTable = {{serviceTableImportId, nullptr}, {0, nullptr}};
