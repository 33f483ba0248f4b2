// Text for the host's pictures: Windows faces mapped to metric-compatible TrueType files,
// one anti-aliased line drawn into an image. Uses the standard library only.
#pragma once

#include <string>
#include <string_view>

#include "image.h"

namespace host {

struct Font;  // a loaded TrueType face

// The face a gauge names, by its Windows name: "Courier New" -> LiberationMono-Regular.ttf,
// "Arial" (and any face not known) -> LiberationSans-Regular.ttf. The file is looked for in
// the directory named by P9V_FONT_DIR, then in /usr/share/fonts/truetype/liberation/. Loaded
// once and kept; null when no file is found (text is then not drawn, nothing fails).
const Font* fontForFace(std::string_view face);
std::string fontFileForFace(std::string_view face);

// Windows text drawing flags the gauges use in their textFormat word.
constexpr unsigned textCentre = 0x01;
constexpr unsigned textRight = 0x02;
constexpr unsigned textVerticalCentre = 0x04;
constexpr unsigned textBottom = 0x08;
constexpr unsigned textSingleLine = 0x20;

// Line metrics of a face at a pixel height (the height from the top of the highest glyph
// to the bottom of the lowest, as a Windows cell height).
struct TextMetrics {
    double ascent = 0;  // baseline below the line's top
    double lineHeight = 0;
    double width = 0;  // advance width of the measured text
};
TextMetrics measureText(const Font& font, std::string_view text, double pixelHeight);

// One line of text (bytes taken as Latin-1 characters) placed in `box` as the Windows flags
// say (left / top when none), its coverage blended in `colour`; drawn only inside the box
// and `clip` (both in gauge coordinates).
void drawText(Image& image, const Font& font, std::string_view text, const Rect& box, double pixelHeight,
              Rgb colour, unsigned format, const Rect& clip);

}  // namespace host
