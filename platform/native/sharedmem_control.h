// Test control of the named shared memory stand-in: make the next creations or mappings fail
// as Windows can, count the live views of an object, and start again from no objects at
// all, as a freshly started process would.
#pragma once

#include "win_types.h"

extern "C" {
// From now on every CreateFileMappingA fails: returns null with `error` as the last error.
// 0 turns the fault off.
void platformFailFileMappingCreation(DWORD error);
// From now on every MapViewOfFile fails: returns null with `error` as the last error.
// 0 turns the fault off.
void platformFailFileMappingViews(DWORD error);
// Views currently mapped of the object of that name; -1 when no object has the name.
int platformFileMappingViewCount(LPCSTR name);
// Forgets every named object and turns both faults off. Views still mapped stay readable
// until they are unmapped, but a later create of the same name makes a new, zero-filled
// object.
void platformResetFileMappings();
}
