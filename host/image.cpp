// Image operations and PNG files. Uses the standard library and the header-only PNG writer
// and reader, whose implementations are compiled here and kept internal to this file.
#include "image.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO_WARNINGS
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace host {

std::string toString(const Rgb& c) {
    char text[20];
    std::snprintf(text, sizeof text, "(%u, %u, %u)", unsigned(c.r), unsigned(c.g), unsigned(c.b));
    return text;
}

Image makeImage(int width, int height, Rgb fill) {
    Image image;
    image.width = std::max(width, 0);
    image.height = std::max(height, 0);
    image.rgba.resize(size_t(image.width) * size_t(image.height) * 4);
    if (image.rgba.empty()) return image;
    const uint8_t pixel[4] = {fill.r, fill.g, fill.b, 255};
    std::memcpy(image.rgba.data(), pixel, 4);
    // Doubling copies: a handful of memcpy calls fill the whole picture.
    for (size_t done = 4; done < image.rgba.size(); done *= 2)
        std::memcpy(image.rgba.data() + done, image.rgba.data(), std::min(done, image.rgba.size() - done));
    return image;
}

// Rectangle edges are worked out in 64 bits: element records may hold any 32-bit position.
static int clampToInt(int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

Rect intersect(const Rect& a, const Rect& b) {
    const int64_t left = std::max<int64_t>(a.x, b.x), top = std::max<int64_t>(a.y, b.y);
    const int64_t right = std::min(int64_t(a.x) + a.width, int64_t(b.x) + b.width);
    const int64_t bottom = std::min(int64_t(a.y) + a.height, int64_t(b.y) + b.height);
    if (right <= left || bottom <= top) return {};
    return {int(left), int(top), clampToInt(right - left), clampToInt(bottom - top)};
}

Rect unite(const Rect& a, const Rect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    const int64_t left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const int64_t right = std::max(int64_t(a.x) + a.width, int64_t(b.x) + b.width);
    const int64_t bottom = std::max(int64_t(a.y) + a.height, int64_t(b.y) + b.height);
    return {int(left), int(top), clampToInt(right - left), clampToInt(bottom - top)};
}

static bool inside(const Image& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width && y < image.height;
}

Rgb pixelAt(const Image& image, int x, int y) {
    if (!inside(image, x, y)) return {};
    const uint8_t* p = &image.rgba[(size_t(y) * size_t(image.width) + size_t(x)) * 4];
    return {p[0], p[1], p[2]};
}

void setPixel(Image& image, int x, int y, Rgb colour) {
    if (!inside(image, x, y)) return;
    uint8_t* p = &image.rgba[(size_t(y) * size_t(image.width) + size_t(x)) * 4];
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
    p[3] = 255;
}

Image sideBySide(const std::vector<Image>& images, int gap) {
    gap = std::max(gap, 0);
    int width = 0, height = 0;
    for (const Image& image : images) {
        width += image.width;
        height = std::max(height, image.height);
    }
    if (!images.empty()) width += gap * int(images.size() - 1);
    Image out = makeImage(width, height, {0, 0, 0});
    int left = 0;
    for (const Image& image : images) {
        for (int y = 0; y < image.height; ++y)
            std::copy_n(&image.rgba[size_t(y) * size_t(image.width) * 4], size_t(image.width) * 4,
                        &out.rgba[(size_t(y) * size_t(out.width) + size_t(left)) * 4]);
        left += image.width + gap;
    }
    return out;
}

bool writePng(const Image& image, const std::string& path) {
    if (image.width <= 0 || image.height <= 0) return false;
    if (image.rgba.size() != size_t(image.width) * size_t(image.height) * 4) return false;
    return stbi_write_png(path.c_str(), image.width, image.height, 4, image.rgba.data(), image.width * 4) != 0;
}

bool readPng(const std::string& path, Image& image) {
    int width = 0, height = 0, channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &width, &height, &channels, 4);
    if (!data) return false;
    image = Image{};
    image.width = width;
    image.height = height;
    image.rgba.assign(data, data + size_t(width) * size_t(height) * 4);
    stbi_image_free(data);
    return true;
}

ImageDifference compareImages(const Image& a, const Image& b, int tolerance, Image* differenceImage) {
    ImageDifference result;
    const int width = std::max(a.width, b.width), height = std::max(a.height, b.height);
    if (differenceImage) *differenceImage = makeImage(width, height, {0, 0, 0});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inA = inside(a, x, y), inB = inside(b, x, y);
            int delta = 255;
            if (inA && inB) {
                const uint8_t* p = &a.rgba[(size_t(y) * size_t(a.width) + size_t(x)) * 4];
                const uint8_t* q = &b.rgba[(size_t(y) * size_t(b.width) + size_t(x)) * 4];
                delta = 0;
                for (int c = 0; c < 4; ++c) delta = std::max(delta, std::abs(int(p[c]) - int(q[c])));
            }
            result.maxChannelDelta = std::max(result.maxChannelDelta, delta);
            const bool differs = delta > tolerance;
            if (differs) ++result.differing;
            if (differenceImage) {
                Rgb shown{255, 0, 0};
                if (!differs) {
                    Rgb c = pixelAt(a, x, y);
                    auto grey = uint8_t((int(c.r) + int(c.g) + int(c.b)) / 9);
                    shown = {grey, grey, grey};
                }
                setPixel(*differenceImage, x, y, shown);
            }
        }
    return result;
}

}  // namespace host
