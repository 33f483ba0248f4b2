// Bitmap resource decoding (the header read by byte offsets, no Windows headers) and the
// cache. Uses the standard library and the platform seam's resource calls, in both builds.
#include "bitmap.h"

#include <map>
#include <utility>

namespace host {

namespace {

uint32_t u32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
int32_t s32(const uint8_t* p) { return int32_t(u32(p)); }
uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// Larger than any panel picture; keeps every size computation far from overflow.
constexpr int32_t largestSide = 1 << 14;

}  // namespace

bool decodeDib(const uint8_t* data, size_t size, Bitmap& out) {
    if (!data || size < 40) return false;
    const uint32_t headerSize = u32(data);
    const int32_t width = s32(data + 4);
    const int32_t rawHeight = s32(data + 8);
    const uint16_t bitCount = u16(data + 14);
    const uint32_t compression = u32(data + 16);
    const uint32_t coloursUsed = u32(data + 32);
    if (headerSize < 40 || headerSize > size || compression != 0) return false;
    if (width <= 0 || width > largestSide || rawHeight == 0 || rawHeight < -largestSide || rawHeight > largestSide)
        return false;
    const bool topDown = rawHeight < 0;
    const int32_t height = topDown ? -rawHeight : rawHeight;

    const bool paletted = bitCount == 1 || bitCount == 4 || bitCount == 8;
    if (!paletted && bitCount != 24 && bitCount != 32) return false;
    // A paletted picture's table holds biClrUsed entries (0: all 2^bits); a true-colour
    // picture may still carry biClrUsed entries before its pixels.
    size_t tableEntries = coloursUsed;
    if (paletted && (tableEntries == 0 || tableEntries > (size_t(1) << bitCount))) tableEntries = size_t(1) << bitCount;
    if (!paletted && tableEntries > 256) return false;
    const size_t tableOffset = headerSize;
    const size_t pixelOffset = tableOffset + tableEntries * 4;
    const size_t stride = (size_t(width) * bitCount + 31) / 32 * 4;
    if (pixelOffset > size || stride * size_t(height) > size - pixelOffset) return false;

    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.resize(size_t(width) * size_t(height));
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* src = data + pixelOffset + stride * size_t(topDown ? row : height - 1 - row);
        Rgb* dst = &bitmap.pixels[size_t(row) * size_t(width)];
        for (int32_t x = 0; x < width; ++x) {
            if (paletted) {
                const size_t bit = size_t(x) * bitCount;
                const unsigned index = (src[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
                // An index past the table shows nothing: black, the transparent colour.
                if (index < tableEntries) {
                    const uint8_t* q = data + tableOffset + size_t(index) * 4;
                    dst[x] = {q[2], q[1], q[0]};
                }
            } else {
                const uint8_t* q = src + size_t(x) * (bitCount / 8);
                dst[x] = {q[2], q[1], q[0]};
            }
        }
    }
    out = std::move(bitmap);
    return true;
}

namespace {

struct CacheEntry {
    const void* data = nullptr;
    DWORD size = 0;
    bool decoded = false;
    Bitmap bitmap;
};

std::map<std::pair<HMODULE, int32_t>, CacheEntry>& cache() {
    static std::map<std::pair<HMODULE, int32_t>, CacheEntry> entries;
    return entries;
}

}  // namespace

const Bitmap* moduleBitmap(HMODULE module, int32_t id) {
    // Resource names are 16-bit integers; anything else names no bitmap.
    if (!module || id <= 0 || id > 0xFFFF) return nullptr;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_BITMAP);
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, found);
    if (!data) return nullptr;

    CacheEntry& entry = cache()[{module, id}];
    if (entry.data != data || entry.size != size) {
        entry.data = data;
        entry.size = size;
        entry.decoded = decodeDib(static_cast<const uint8_t*>(data), size, entry.bitmap);
    }
    return entry.decoded ? &entry.bitmap : nullptr;
}

void forgetModuleBitmaps(HMODULE module) {
    auto& entries = cache();
    for (auto it = entries.begin(); it != entries.end();)
        it = it->first.first == module ? entries.erase(it) : std::next(it);
}

BitmapSource resourceBitmaps(HMODULE module) {
    return [module](int32_t id) { return moduleBitmap(module, id); };
}

}  // namespace host
