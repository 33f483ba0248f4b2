// Writing a text callback's text into the panel system's buffer. The panel system promises a
// buffer of only maxChars + 1 bytes, so a text is cut after maxChars characters: writing
// past the buffer would corrupt the panel system's memory.
#pragma once

#include <cstddef>

#include "records.h"

namespace frame {

inline void writeText(StringElement& element, const char* text) {
    char* out = element.textBuffer;
    if (!out) return;
    uint32_t n = 0;
    while (n < element.maxChars && text[n]) {
        out[n] = text[n];
        ++n;
    }
    out[n] = '\0';
}

// Formats `value` as "%*.*f" does for up to three decimals: `decimals` digits after the
// point, right-aligned in at least `width` characters, rounded to nearest with exact ties to
// even, from the double's exact binary value. Written by hand so that both builds give the
// same text for the same double without a C runtime. `out` is NUL-terminated and cut to fit
// `size`.
void formatFixed(char* out, size_t size, double value, int width, int decimals);

}  // namespace frame
