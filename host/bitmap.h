// A module's bitmap resources decoded for drawing, and their cache per module. Uses the
// standard library and the platform seam only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "image.h"
#include "platform/win.h"

namespace host {

// A decoded picture, rows top-down. Pure black is the transparent colour: the host never
// draws a black pixel of a bitmap, so the panel behind shows through.
struct Bitmap {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;

    Rgb at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    static bool transparent(Rgb c) { return c.r == 0 && c.g == 0 && c.b == 0; }
};

// Decodes a bitmap resource: information header (40 bytes or a later, longer version),
// colour table (biClrUsed entries, 0 meaning the full table for the bit depth), then the
// pixel rows, padded to four bytes, bottom-up unless the height is negative. Uncompressed
// 1-, 4-, 8-, 24- and 32-bit pictures are accepted; anything else, or data too short for
// what the header promises, gives false.
bool decodeDib(const uint8_t* data, size_t size, Bitmap& out);

// A module's bitmap resource by id, decoded on first use and kept. The cache entry is
// checked against the resource's current address, so a module loaded again at the same
// handle is read afresh. Null when the module has no such bitmap or it does not decode.
const Bitmap* moduleBitmap(HMODULE module, int32_t id);
void forgetModuleBitmaps(HMODULE module);  // for the host to call when it unloads a module

// Where the renderer takes its pictures from: by default a module's resources; tests give
// pictures made in memory.
using BitmapSource = std::function<const Bitmap*(int32_t id)>;
BitmapSource resourceBitmaps(HMODULE module);

}  // namespace host
