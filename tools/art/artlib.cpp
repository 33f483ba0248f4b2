// Drawing helpers shared by the artwork generators (cairo and the C++ library only).
#include "artlib.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <vector>

namespace art {

Canvas makeCanvas(int width, int height) {
    Canvas c;
    c.width = width;
    c.height = height;
    c.surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    c.cr = cairo_create(c.surface);
    cairo_set_source_rgb(c.cr, 0, 0, 0);
    cairo_paint(c.cr);
    return c;
}

void freeCanvas(Canvas& c) {
    cairo_destroy(c.cr);
    cairo_surface_destroy(c.surface);
    c = Canvas{};
}

Rgb pixelAt(const Canvas& c, int x, int y) {
    cairo_surface_flush(c.surface);
    const unsigned char* data = cairo_image_surface_get_data(c.surface);
    int stride = cairo_image_surface_get_stride(c.surface);
    uint32_t p;
    std::memcpy(&p, data + y * stride + x * 4, 4);
    return Rgb{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
}

void setPixel(Canvas& c, int x, int y, Rgb colour) {
    cairo_surface_flush(c.surface);
    unsigned char* data = cairo_image_surface_get_data(c.surface);
    int stride = cairo_image_surface_get_stride(c.surface);
    uint32_t p = (uint32_t(colour.r) << 16) | (uint32_t(colour.g) << 8) | colour.b;
    std::memcpy(data + y * stride + x * 4, &p, 4);
    cairo_surface_mark_dirty(c.surface);
}

void clearDarkFringe(Canvas& c, int threshold) {
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            Rgb p = pixelAt(c, x, y);
            if (p.r <= threshold && p.g <= threshold && p.b <= threshold) setPixel(c, x, y, {0, 0, 0});
        }
}

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    makeDirectories(std::filesystem::path(path).parent_path().string());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::vector<uint8_t> bitmapHeaders(int width, int height, int bits, uint32_t paletteEntries) {
    uint32_t rowBytes = ((uint32_t(width) * bits + 31) / 32) * 4;
    uint32_t offset = 14 + 40 + paletteEntries * 4;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + rowBytes * height);
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, uint32_t(width));
    put32(out, uint32_t(height));  // positive: rows stored bottom-up
    put16(out, 1);
    put16(out, uint32_t(bits));
    put32(out, 0);  // no compression
    put32(out, rowBytes * height);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, paletteEntries);
    put32(out, 0);
    return out;
}

struct Box {
    std::vector<std::pair<uint32_t, uint32_t>> colours;  // colour, count
};

int longestChannel(const Box& b, int& range) {
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    for (auto& [c, n] : b.colours)
        for (int k = 0; k < 3; ++k) {
            int v = (c >> (16 - 8 * k)) & 0xFF;
            lo[k] = std::min(lo[k], v);
            hi[k] = std::max(hi[k], v);
        }
    int best = 0;
    for (int k = 1; k < 3; ++k)
        if (hi[k] - lo[k] > hi[best] - lo[best]) best = k;
    range = hi[best] - lo[best];
    return best;
}

// Median cut over the image's distinct non-black colours into at most `count` entries.
std::vector<Rgb> medianCut(const std::map<uint32_t, uint32_t>& histogram, size_t count) {
    std::vector<Box> boxes(1);
    for (auto& e : histogram) boxes[0].colours.push_back(e);
    if (boxes[0].colours.empty()) return {};
    while (boxes.size() < count) {
        int bestBox = -1, bestRange = 0, channel = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].colours.size() < 2) continue;
            int range;
            int ch = longestChannel(boxes[i], range);
            if (range > bestRange) bestRange = range, bestBox = int(i), channel = ch;
        }
        if (bestBox < 0) break;
        auto& cs = boxes[size_t(bestBox)].colours;
        int shift = 16 - 8 * channel;
        std::sort(cs.begin(), cs.end(), [shift](auto& a, auto& b) {
            return ((a.first >> shift) & 0xFF) < ((b.first >> shift) & 0xFF);
        });
        uint64_t total = 0, half = 0;
        for (auto& e : cs) total += e.second;
        size_t cut = 0;
        while (cut < cs.size() - 1 && (half + cs[cut].second) * 2 <= total) half += cs[cut++].second;
        if (cut == 0) cut = 1;
        Box other;
        other.colours.assign(cs.begin() + long(cut), cs.end());
        cs.resize(cut);
        boxes.push_back(std::move(other));
    }
    std::vector<Rgb> palette;
    for (auto& b : boxes) {
        uint64_t sum[3] = {0, 0, 0}, n = 0;
        for (auto& [c, k] : b.colours) {
            sum[0] += ((c >> 16) & 0xFF) * uint64_t(k);
            sum[1] += ((c >> 8) & 0xFF) * uint64_t(k);
            sum[2] += (c & 0xFF) * uint64_t(k);
            n += k;
        }
        Rgb p{uint8_t((sum[0] + n / 2) / n), uint8_t((sum[1] + n / 2) / n), uint8_t((sum[2] + n / 2) / n)};
        // Pure black is reserved for transparency.
        if (p.r == 0 && p.g == 0 && p.b == 0) p = {1, 1, 1};
        palette.push_back(p);
    }
    return palette;
}

}  // namespace

void save8(const Canvas& c, const std::string& path) {
    std::map<uint32_t, uint32_t> histogram;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            Rgb p = pixelAt(c, x, y);
            uint32_t key = (uint32_t(p.r) << 16) | (uint32_t(p.g) << 8) | p.b;
            if (key != 0) ++histogram[key];
        }
    std::vector<Rgb> palette{{0, 0, 0}};
    for (Rgb p : medianCut(histogram, 255)) palette.push_back(p);
    std::map<uint32_t, uint8_t> lookup;
    for (auto& [key, n] : histogram) {
        int best = 1;
        long bestDistance = -1;
        for (size_t i = 1; i < palette.size(); ++i) {
            long dr = long((key >> 16) & 0xFF) - palette[i].r;
            long dg = long((key >> 8) & 0xFF) - palette[i].g;
            long db = long(key & 0xFF) - palette[i].b;
            long d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) bestDistance = d, best = int(i);
        }
        lookup[key] = uint8_t(best);
    }
    palette.resize(256, Rgb{0, 0, 0});
    std::vector<uint8_t> out = bitmapHeaders(c.width, c.height, 8, 256);
    for (Rgb p : palette) {
        out.push_back(p.b);
        out.push_back(p.g);
        out.push_back(p.r);
        out.push_back(0);
    }
    uint32_t rowBytes = ((uint32_t(c.width) * 8 + 31) / 32) * 4;
    for (int y = c.height - 1; y >= 0; --y) {
        for (int x = 0; x < c.width; ++x) {
            Rgb p = pixelAt(c, x, y);
            uint32_t key = (uint32_t(p.r) << 16) | (uint32_t(p.g) << 8) | p.b;
            out.push_back(key == 0 ? 0 : lookup[key]);
        }
        for (uint32_t k = uint32_t(c.width); k < rowBytes; ++k) out.push_back(0);
    }
    writeFile(path, out);
}

void save24(const Canvas& c, const std::string& path) {
    std::vector<uint8_t> out = bitmapHeaders(c.width, c.height, 24, 0);
    uint32_t rowBytes = ((uint32_t(c.width) * 24 + 31) / 32) * 4;
    for (int y = c.height - 1; y >= 0; --y) {
        for (int x = 0; x < c.width; ++x) {
            Rgb p = pixelAt(c, x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (uint32_t k = uint32_t(c.width) * 3; k < rowBytes; ++k) out.push_back(0);
    }
    writeFile(path, out);
}

void setColour(cairo_t* cr, int r, int g, int b) { cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0); }

void centredText(cairo_t* cr, const std::string& text, double x, double y, double size, const char* face,
                 bool bold) {
    cairo_select_font_face(cr, face, CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    cairo_move_to(cr, x - e.width / 2 - e.x_bearing, y - e.height / 2 - e.y_bearing);
    cairo_show_text(cr, text.c_str());
}

void makeDirectories(const std::string& path) {
    if (!path.empty()) std::filesystem::create_directories(path);
}

}  // namespace art
