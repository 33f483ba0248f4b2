// The panel host's software renderer: installed gauges and contact sheets to images. Uses
// the standard library, the platform seam and the host's model (panel.h); no module internals.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bitmap.h"
#include "fonts.h"
#include "image.h"
#include "panel.h"

namespace host {

struct RenderOptions {
    bool showHidden = false;    // picture every element and mouse rectangle, not only the background's area
    bool outlineMouse = false;  // outline each child mouse rectangle in its cursor's colour
};

// The gauge as the panel shows it now. Without showHidden the picture is the gauge's area:
// the background (the root StaticImage's bitmap at its position) together with every other
// StaticImage that shows something (a second dial, the engine faces); whatever lies outside
// is cut off, so content a gauge hides behind an all-transparent image stays hidden. With
// showHidden it spans every element and mouse rectangle, that area outlined one pixel outside
// it. Where no bitmap pixel is drawn the picture is panel grey. An empty image when the gauge
// is not installed.
Image renderGauge(const Module& m, const RenderOptions& options);
Image renderGauge(const Gauge& gauge, const BitmapSource& bitmaps, const RenderOptions& options);

// Every bitmap the gauge's elements show (each icon state, each other element's image; each
// id once, in tree order), with its id printed under it, in rows.
Image contactSheet(const Module& m);
Image contactSheet(const Gauge& gauge, const BitmapSource& bitmaps);

// The drawing pieces, in gauge coordinates, each drawing only inside `clip` and the image.
constexpr Rgb panelGrey{40, 40, 40};

// Opaque bitmap pixels with the bitmap's top-left corner at x, y.
void drawBitmap(Image& image, const Bitmap& bitmap, int x, int y, const Rect& clip);

// The bitmap turned `degrees` clockwise on the screen about its pixel (pivotX, pivotY),
// which lands on gauge pixel (x, y). Each picture pixel takes the bitmap pixel that the
// inverse turn of its centre falls in (nearest neighbour, so exact quarter turns move pixels
// without loss).
void drawRotatedBitmap(Image& image, const Bitmap& bitmap, int pivotX, int pivotY, int x, int y, double degrees,
                       const Rect& clip);
// A box holding the bitmap at every angle about that pivot.
Rect rotatedBounds(const Bitmap& bitmap, int pivotX, int pivotY, int x, int y);

void outlineRect(Image& image, const Rect& r, Rgb colour, const Rect& clip);
void fillRect(Image& image, const Rect& r, Rgb colour, const Rect& clip);

// An icon's state for its value: the whole part, held to 0 .. stateCount - 1; NaN gives 0.
int iconState(double value, uint32_t stateCount);
int32_t iconImageId(const IconElement& icon);  // imageId + 3 x state

// Where a moving image's bitmap edge goes along one axis. With a range (min != max) the
// value's place in it picks the bitmap column (row) that stands at the centre of the window:
//   column = margin + (max - value) / (max - min) x (size - 1 - 2 x margin), margin 2,
// so the value says how far the picture has slid towards the right (down): at max its
// column 2 is at the centre, at min its column size - 3. Values outside the range (and NaN)
// are held to it (NaN as min). The two-pixel margins are the overhang of a scale drawn past
// both ends, as on the compass card: heading h at column h + 2 of a 365-pixel card whose x
// value is 360 - h, so column h + 2 stands in the middle of the compass window. Without a
// range the bitmap stays at the element's position.
int movingImageEdge(double value, double min, double max, int position, int size, int windowStart, int windowSize);

// 0x00BBGGRR as the gauges give colours.
constexpr Rgb colourRef(uint32_t c) { return {uint8_t(c & 0xFF), uint8_t((c >> 8) & 0xFF), uint8_t((c >> 16) & 0xFF)}; }

// The outline colour of a mouse rectangle with that cursor number.
Rgb cursorColour(int32_t cursor);

}  // namespace host
