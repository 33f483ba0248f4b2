// Readable test failure messages for the renderer's colour values.
#pragma once

#include <ostream>

#include "host/image.h"

namespace host {
inline void PrintTo(const Rgb& c, std::ostream* os) { *os << toString(c); }
}  // namespace host
