// Drawing helpers shared by the artwork generators: a cairo canvas that starts pure black
// (the colour the panel host draws as transparent) and writers for the two bitmap forms the
// gauges carry, 256-colour palette images and 24-bit images.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

namespace art {

struct Canvas {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    int width = 0;
    int height = 0;
};

// A canvas of the given size, every pixel pure black (0, 0, 0).
Canvas makeCanvas(int width, int height);
void freeCanvas(Canvas& canvas);

// Red, green and blue of one pixel.
struct Rgb {
    uint8_t r, g, b;
};
Rgb pixelAt(const Canvas& canvas, int x, int y);
void setPixel(Canvas& canvas, int x, int y, Rgb colour);

// Forces every pixel whose channels all lie at or below `threshold` to pure black, so that
// the faint fringes left by anti-aliasing against the black ground become transparent too.
void clearDarkFringe(Canvas& canvas, int threshold);

// Writes a Windows bitmap file with a 256-colour palette. Palette entry 0 is pure black and
// is used for exactly the pixels that are pure black; every other pixel maps to one of the
// remaining 255 entries (median cut over the image's own colours), none of them pure black.
void save8(const Canvas& canvas, const std::string& path);

// Writes a 24-bit Windows bitmap file.
void save24(const Canvas& canvas, const std::string& path);

// Sets the cairo source colour from 0..255 components.
void setColour(cairo_t* cr, int r, int g, int b);

// Draws `text` centred on (x, y) in the given face ("Liberation Sans", "Liberation Mono",
// "Liberation Serif"), size in pixels, bold or not.
void centredText(cairo_t* cr, const std::string& text, double x, double y, double size,
                 const char* face = "Liberation Sans", bool bold = false);

// Makes the directory and its parents.
void makeDirectories(const std::string& path);

}  // namespace art
