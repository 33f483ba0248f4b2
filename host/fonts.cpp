// Font look-up and text drawing. Uses the standard library and the header-only TrueType
// rasteriser, whose implementation is compiled here and kept internal to this file.
#include "fonts.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
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
        if (offset >= 0 && stbtt_InitFont(&font->info, font->file.data(), offset)) return font;
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

TextMetrics measureText(const Font& font, std::string_view text, double pixelHeight) {
    const double scale = scaleFor(font, pixelHeight);
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(&font.info, &ascent, &descent, &lineGap);
    TextMetrics m;
    m.ascent = ascent * scale;
    m.lineHeight = (ascent - descent) * scale;
    int units = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const int c = static_cast<unsigned char>(text[i]);
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&font.info, c, &advance, &bearing);
        units += advance;
        if (i + 1 < text.size())
            units += stbtt_GetCodepointKernAdvance(&font.info, c, static_cast<unsigned char>(text[i + 1]));
    }
    m.width = units * scale;
    return m;
}

void drawText(Image& image, const Font& font, std::string_view text, const Rect& box, double pixelHeight,
              Rgb colour, unsigned format, const Rect& clip) {
    const Rect area = intersect(intersect(box, clip), gaugeArea(image));
    if (area.empty() || text.empty()) return;
    const TextMetrics m = measureText(font, text, pixelHeight);
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

    std::vector<unsigned char> coverage;
    for (size_t i = 0; i < text.size(); ++i) {
        const int c = static_cast<unsigned char>(text[i]);
        const int penWhole = floorToInt(pen);
        const float shift = float(pen - penWhole);
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetCodepointBitmapBoxSubpixel(&font.info, c, scale, scale, shift, 0.0f, &x0, &y0, &x1, &y1);
        const int w = x1 - x0, h = y1 - y0;
        if (w > 0 && h > 0) {
            coverage.assign(size_t(w) * size_t(h), 0);
            stbtt_MakeCodepointBitmapSubpixel(&font.info, coverage.data(), w, h, w, scale, scale, shift, 0.0f, c);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int gx = penWhole + x0 + x, gy = baseline + y0 + y;
                    const int a = coverage[size_t(y) * size_t(w) + size_t(x)];
                    if (a == 0 || !area.contains(gx, gy)) continue;
                    const Rgb under = gaugePixelAt(image, gx, gy);
                    auto mix = [a](uint8_t d, uint8_t s) { return uint8_t((d * (255 - a) + s * a + 127) / 255); };
                    setGaugePixel(image, gx, gy,
                                  {mix(under.r, colour.r), mix(under.g, colour.g), mix(under.b, colour.b)});
                }
        }
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&font.info, c, &advance, &bearing);
        pen += advance * double(scale);
        if (i + 1 < text.size())
            pen += double(scale) *
                   stbtt_GetCodepointKernAdvance(&font.info, c, static_cast<unsigned char>(text[i + 1]));
    }
}

}  // namespace host
