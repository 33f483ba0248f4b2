// Font look-up and text drawing. Uses the standard library and the header-only TrueType
// rasteriser, whose implementation is compiled here and kept internal to this file.
#include "fonts.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <bit>
#include <climits>
#include <map>
#include <memory>
#if !defined(_WIN32)
#include <mutex>
#endif
#include <unordered_map>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
#pragma GCC diagnostic pop

namespace host {

struct Font {
    std::vector<unsigned char> file;
    stbtt_fontinfo info{};
    // Per character (Latin-1) and per pair, in font units, looked up once: a readout is laid
    // out again at every frame.
    int advance[256] = {};
    mutable std::vector<int> kerning;  // 256 x 256, unknownKerning until looked up
};

namespace {

// The Windows faces and the Liberation files drawn with the same advance widths, so a text
// takes the room in its box that it takes in the simulator.
struct FaceFile {
    const char* face;
    const char* file;
};
constexpr FaceFile faceFiles[] = {
    {"Courier New", "LiberationMono-Regular.ttf"},
    {"Courier", "LiberationMono-Regular.ttf"},
    {"Times New Roman", "LiberationSerif-Regular.ttf"},
    {"Arial", "LiberationSans-Regular.ttf"},
};
constexpr const char* fallbackFile = "LiberationSans-Regular.ttf";
constexpr const char* systemFontDir = "/usr/share/fonts/truetype/liberation/";

bool sameFace(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool readFile(const std::string& path, std::vector<unsigned char>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !bytes.empty();
}

constexpr int unknownKerning = INT_MIN;

void prepareMetrics(Font& font) {
    for (int c = 0; c < 256; ++c) {
        int bearing = 0;
        stbtt_GetCodepointHMetrics(&font.info, c, &font.advance[c], &bearing);
    }
    font.kerning.assign(256 * 256, unknownKerning);
}

int kerningOf(const Font& font, int c, int next) {
    int& k = font.kerning[size_t(c) * 256 + size_t(next)];
    if (k == unknownKerning) k = stbtt_GetCodepointKernAdvance(&font.info, c, next);
    return k;
}

// A character's coverage at one size and one sub-pixel offset, rasterised once and kept:
// readouts show the same few digits at the same places frame after frame. The key holds the
// exact scale and offset, so a kept glyph is the very one the rasteriser would make.
struct GlyphKey {
    const Font* font;
    uint32_t scaleBits;
    uint32_t shiftBits;
    int character;
    bool operator==(const GlyphKey&) const = default;
};
struct GlyphKeyHash {
    size_t operator()(const GlyphKey& k) const {
        uint64_t h = std::hash<const void*>()(k.font);
        for (uint64_t part : {uint64_t(k.scaleBits), uint64_t(k.shiftBits), uint64_t(k.character)})
            h = (h ^ part) * 0x100000001B3ull;
        return size_t(h);
    }
};
struct Glyph {
    int x0 = 0, y0 = 0, width = 0, height = 0;
    std::vector<unsigned char> coverage;
};

// Bounded: a panel whose texts move by sub-pixel amounts all the time starts the cache again
// rather than growing without end.
constexpr size_t glyphCacheLimit = 4096;

// The kerning table and the glyph cache fill as texts are drawn. The live panel (native only)
// draws from its server's threads, so every use holds this lock; the Windows panel host draws
// on one thread.
#if !defined(_WIN32)
std::mutex cacheLock;
#endif
struct CacheHold {
#if !defined(_WIN32)
    std::lock_guard<std::mutex> guard{cacheLock};
#endif
};

// The caller holds the caches.
const Glyph& glyphFor(const Font& font, float scale, float shift, int c) {
    static std::unordered_map<GlyphKey, Glyph, GlyphKeyHash> cache;
    const GlyphKey key{&font, std::bit_cast<uint32_t>(scale), std::bit_cast<uint32_t>(shift), c};
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    if (cache.size() >= glyphCacheLimit) cache.clear();
    Glyph g;
    int x1 = 0, y1 = 0;
    stbtt_GetCodepointBitmapBoxSubpixel(&font.info, c, scale, scale, shift, 0.0f, &g.x0, &g.y0, &x1, &y1);
    g.width = x1 - g.x0;
    g.height = y1 - g.y0;
    if (g.width > 0 && g.height > 0) {
        g.coverage.assign(size_t(g.width) * size_t(g.height), 0);
        stbtt_MakeCodepointBitmapSubpixel(&font.info, g.coverage.data(), g.width, g.height, g.width, scale, scale,
                                          shift, 0.0f, c);
    } else {
        g.width = g.height = 0;
    }
    return cache.emplace(key, std::move(g)).first->second;
}

std::unique_ptr<Font> loadFont(const std::string& fileName) {
    std::vector<std::string> candidates;
    if (const char* dir = std::getenv("P9V_FONT_DIR"); dir && *dir) {
        std::string d = dir;
        if (d.back() != '/' && d.back() != '\\') d += '/';
        candidates.push_back(d + fileName);
    }
    candidates.push_back(systemFontDir + fileName);
    // Under Wine a path from the root is taken on the current drive; drive Z: is the Unix
    // root whatever the current drive is. Natively the Z: form simply is not found.
    for (size_t i = 0, n = candidates.size(); i < n; ++i)
        if (candidates[i].front() == '/') candidates.push_back("Z:" + candidates[i]);

    auto font = std::make_unique<Font>();
    for (const std::string& path : candidates) {
        if (!readFile(path, font->file)) continue;
        const int offset = stbtt_GetFontOffsetForIndex(font->file.data(), 0);
        if (offset >= 0 && stbtt_InitFont(&font->info, font->file.data(), offset)) {
            prepareMetrics(*font);
            return font;
        }
    }
    return nullptr;
}

double scaleFor(const Font& font, double pixelHeight) {
    return stbtt_ScaleForPixelHeight(&font.info, float(pixelHeight));
}

}  // namespace

std::string fontFileForFace(std::string_view face) {
    for (const FaceFile& f : faceFiles)
        if (sameFace(face, f.face)) return f.file;
    return fallbackFile;
}

const Font* fontForFace(std::string_view face) {
    // Missing files are remembered too, so a panel without fonts does not search every frame.
    static std::map<std::string, std::unique_ptr<Font>> loaded;
    const std::string file = fontFileForFace(face);
    auto found = loaded.find(file);
    if (found == loaded.end()) found = loaded.emplace(file, loadFont(file)).first;
    return found->second.get();
}

namespace {
// The caller holds the caches.
TextMetrics measure(const Font& font, std::string_view text, double pixelHeight) {
    const double scale = scaleFor(font, pixelHeight);
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(&font.info, &ascent, &descent, &lineGap);
    TextMetrics m;
    m.ascent = ascent * scale;
    m.lineHeight = (ascent - descent) * scale;
    int units = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const int c = static_cast<unsigned char>(text[i]);
        units += font.advance[c];
        if (i + 1 < text.size()) units += kerningOf(font, c, static_cast<unsigned char>(text[i + 1]));
    }
    m.width = units * scale;
    return m;
}
}  // namespace

TextMetrics measureText(const Font& font, std::string_view text, double pixelHeight) {
    [[maybe_unused]] const CacheHold hold;
    return measure(font, text, pixelHeight);
}

void drawText(Image& image, const Font& font, std::string_view text, const Rect& box, double pixelHeight,
              Rgb colour, unsigned format, const Rect& clip) {
    const Rect area = intersect(intersect(box, clip), gaugeArea(image));
    if (area.empty() || text.empty()) return;
    [[maybe_unused]] const CacheHold hold;
    const TextMetrics m = measure(font, text, pixelHeight);
    const float scale = float(scaleFor(font, pixelHeight));

    double left = box.x;
    if (format & textCentre)
        left += (box.width - m.width) / 2;
    else if (format & textRight)
        left += box.width - m.width;
    double top = box.y;
    if ((format & textSingleLine) && (format & textVerticalCentre))
        top += (box.height - m.lineHeight) / 2;
    else if ((format & textSingleLine) && (format & textBottom))
        top += box.height - m.lineHeight;
    // Pen and baseline start on whole pixels; glyphs after the first keep their fraction of
    // a pixel, so spacing follows the face's advances.
    const int baseline = roundToInt(top + m.ascent);
    double pen = roundToInt(left);

    for (size_t i = 0; i < text.size(); ++i) {
        const int c = static_cast<unsigned char>(text[i]);
        const int penWhole = floorToInt(pen);
        const float shift = float(pen - penWhole);
        const Glyph& g = glyphFor(font, scale, shift, c);
        // The glyph's box in gauge coordinates, clipped once (in 64 bits: a text placed far
        // off must not wrap round onto the picture).
        const int64_t gx0 = int64_t(penWhole) + g.x0, gy0 = int64_t(baseline) + g.y0;
        const int64_t left = std::max<int64_t>(gx0, area.x), right = std::min<int64_t>(gx0 + g.width, int64_t(area.x) + area.width);
        const int64_t top = std::max<int64_t>(gy0, area.y), bottom = std::min<int64_t>(gy0 + g.height, int64_t(area.y) + area.height);
        for (int64_t gy = top; gy < bottom; ++gy) {
            const unsigned char* cover = g.coverage.data() + size_t(gy - gy0) * size_t(g.width);
            uint8_t* row = image.rgba.data() + size_t(gy - image.originY) * size_t(image.width) * 4;
            for (int64_t gx = left; gx < right; ++gx) {
                const int a = cover[gx - gx0];
                if (a == 0) continue;
                uint8_t* p = row + size_t(gx - image.originX) * 4;
                auto mix = [a](uint8_t d, uint8_t s) { return uint8_t((d * (255 - a) + s * a + 127) / 255); };
                p[0] = mix(p[0], colour.r);
                p[1] = mix(p[1], colour.g);
                p[2] = mix(p[2], colour.b);
                p[3] = 255;
            }
        }
        pen += font.advance[c] * double(scale);
        if (i + 1 < text.size()) pen += double(scale) * kerningOf(font, c, static_cast<unsigned char>(text[i + 1]));
    }
}

}  // namespace host
