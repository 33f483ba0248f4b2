// Pictures the panel host produces: RGBA images placed in gauge coordinates, PNG files,
// side-by-side assembly and comparison. Uses the standard library only.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// Rows top-down, four bytes per pixel (red, green, blue, alpha). originX/Y: the gauge
// coordinate that pixel (0, 0) shows, so a picture of hidden content may start left of or
// above the gauge background.
struct Image {
    int width = 0, height = 0;
    int originX = 0, originY = 0;
    std::vector<uint8_t> rgba;
};

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
// For test failure messages and logs: "(r, g, b)".
std::string toString(const Rgb& c);

// A rectangle in gauge coordinates.
struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const Rect&, const Rect&) = default;
    bool contains(int px, int py) const {
        return px >= x && py >= y && int64_t(px) - x < width && int64_t(py) - y < height;
    }
};
Rect intersect(const Rect& a, const Rect& b);
Rect unite(const Rect& a, const Rect& b);  // the smallest box holding both; an empty one is ignored
inline Rect gaugeArea(const Image& image) { return {image.originX, image.originY, image.width, image.height}; }

// floor(v) as an int. NaN and values outside the int range give INT32_MIN, as the 32-bit
// x86 conversion does; for a coordinate that lies far off every picture, so nothing is drawn.
inline int floorToInt(double v) {
    const double f = std::floor(v);
    if (!(f >= -2147483648.0 && f <= 2147483647.0)) return INT32_MIN;
    return int(f);
}
inline int roundToInt(double v) { return floorToInt(v + 0.5); }

// A width x height image filled with one opaque colour.
Image makeImage(int width, int height, Rgb fill);

// Opaque pixel at image (not gauge) coordinates; out-of-range reads give black, writes are
// dropped.
Rgb pixelAt(const Image& image, int x, int y);
void setPixel(Image& image, int x, int y, Rgb colour);
// The same by gauge coordinates (through the image's origin).
inline void setGaugePixel(Image& image, int gx, int gy, Rgb colour) {
    setPixel(image, gx - image.originX, gy - image.originY, colour);
}
inline Rgb gaugePixelAt(const Image& image, int gx, int gy) {
    return pixelAt(image, gx - image.originX, gy - image.originY);
}

// The images in a row, tops aligned, `gap` pixels apart, on opaque black so the gaps and
// the space under shorter images stand apart from the panel grey inside a gauge picture.
Image sideBySide(const std::vector<Image>& images, int gap);

bool writePng(const Image& image, const std::string& path);
bool readPng(const std::string& path, Image& image);  // origin of the result is 0, 0

// Pixel-by-pixel comparison by image coordinates (origins are not looked at). A pixel
// differs when any channel differs by more than `tolerance`; where one image is larger,
// its extra pixels differ from nothing by the full 255. The optional difference image
// covers both images: differing pixels red, the rest a dim grey copy of `a`.
struct ImageDifference {
    long differing = 0;
    int maxChannelDelta = 0;
};
ImageDifference compareImages(const Image& a, const Image& b, int tolerance, Image* differenceImage);

}  // namespace host
