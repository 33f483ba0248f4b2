// The panel host's software renderer: element records and host-side state to pictures. Uses
// the standard library, the platform seam and the host's model; no module internals.
#include "render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <map>
#include <memory>
#include <set>
#include <string_view>

namespace host {

// ---- drawing pieces ----

namespace {
// Writes an opaque pixel at image (not gauge) coordinates the caller has clipped already.
inline void putPixel(uint8_t* row, int x, Rgb c) {
    uint8_t* p = row + size_t(x) * 4;
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    p[3] = 255;
}
// floor(v) for a v known to lie well inside the int range (a bitmap coordinate a few pixels
// off its bitmap at most): a truncation and a step down for negative fractions, without the
// range checks of floorToInt.
inline int floorNear(double v) {
    const int t = int(v);
    return t - (double(t) > v);
}
inline uint8_t* imageRow(Image& image, int gy) {
    return image.rgba.data() + size_t(gy - image.originY) * size_t(image.width) * 4;
}
}  // namespace

void drawBitmap(Image& image, const Bitmap& bitmap, int x, int y, const Rect& clip) {
    const Rect area = intersect(intersect(Rect{x, y, bitmap.width, bitmap.height}, clip), gaugeArea(image));
    if (area.empty()) return;
    // Clipped once, then row by row with plain pointers: this is most of a frame's work.
    for (int gy = area.y; gy - area.y < area.height; ++gy) {
        uint8_t* row = imageRow(image, gy);
        const Rgb* source = bitmap.pixels.data() + size_t(gy - y) * size_t(bitmap.width) + size_t(area.x - x);
        uint8_t* target = row + size_t(area.x - image.originX) * 4;
        // Without a branch per pixel: icons mix opaque and black pixels in no order a branch
        // predictor could follow.
        for (int i = 0; i < area.width; ++i, target += 4) {
            const Rgb p = source[i];
            const bool clear = (p.r | p.g | p.b) == 0;  // black: transparent
            target[0] = clear ? target[0] : p.r;
            target[1] = clear ? target[1] : p.g;
            target[2] = clear ? target[2] : p.b;
            target[3] = clear ? target[3] : 255;
        }
    }
}

Rect rotatedBounds(const Bitmap& bitmap, int pivotX, int pivotY, int x, int y) {
    // The farthest bitmap corner from the pivot pixel's centre bounds every turn.
    double reach = 0;
    for (double cx : {0.0, double(bitmap.width)})
        for (double cy : {0.0, double(bitmap.height)})
            reach = std::max(reach, std::hypot(cx - (pivotX + 0.5), cy - (pivotY + 0.5)));
    const int r = std::clamp(floorToInt(reach), 0, 1 << 20) + 2;
    auto start = [r](int centre) { return int(std::clamp<int64_t>(int64_t(centre) - r, INT32_MIN, INT32_MAX)); };
    return {start(x), start(y), 2 * r + 1, 2 * r + 1};
}

void drawRotatedBitmap(Image& image, const Bitmap& bitmap, int pivotX, int pivotY, int x, int y, double degrees,
                       const Rect& clip) {
    if (!std::isfinite(degrees)) degrees = 0;
    double turn = std::fmod(degrees, 360.0);
    if (turn < 0) turn += 360.0;
    // Quarter turns are exact, so a needle at rest on a quarter shows its bitmap unchanged.
    double c = 0, s = 0;
    if (turn == 0)
        c = 1;
    else if (turn == 90)
        s = 1;
    else if (turn == 180)
        c = -1;
    else if (turn == 270)
        s = -1;
    else {
        c = std::cos(turn * std::numbers::pi / 180.0);
        s = std::sin(turn * std::numbers::pi / 180.0);
    }
    // The turned bitmap's own corners bound what it covers at this angle (two pixels spare
    // for rounding); every pixel outside maps outside the bitmap.
    double left = 0, right = 0, top = 0, bottom = 0;
    bool firstCorner = true;
    for (double bx : {-(pivotX + 0.5), bitmap.width - (pivotX + 0.5)})
        for (double by : {-(pivotY + 0.5), bitmap.height - (pivotY + 0.5)}) {
            const double dx = c * bx - s * by, dy = s * bx + c * by;
            left = firstCorner ? dx : std::min(left, dx);
            right = firstCorner ? dx : std::max(right, dx);
            top = firstCorner ? dy : std::min(top, dy);
            bottom = firstCorner ? dy : std::max(bottom, dy);
            firstCorner = false;
        }
    Rect turned = rotatedBounds(bitmap, pivotX, pivotY, x, y);
    const int cornerX = floorToInt(x + left), cornerY = floorToInt(y + top);
    if (cornerX != INT32_MIN && cornerY != INT32_MIN) {
        // In 64 bits: a corner near the lowest int stays in range with its two spare pixels.
        auto spare = [](int v) { return int(std::max<int64_t>(int64_t(v) - 2, INT32_MIN)); };
        turned = intersect(turned, {spare(cornerX), spare(cornerY), floorToInt(right - left) + 5,
                                    floorToInt(bottom - top) + 5});
    }
    const Rect area = intersect(intersect(turned, clip), gaugeArea(image));
    if (area.empty()) return;
    // Along a row the bitmap coordinates are linear in the picture column, so the columns
    // that can land inside the bitmap form one span; a long needle turned to a diagonal covers
    // a small part of its bounds. The span is widened by two columns for rounding, and every
    // pixel in it is still mapped and tested exactly as below.
    const double u0 = pivotX + 0.5, v0 = pivotY + 0.5;
    auto narrow = [](double& from, double& to, double base, double slope, double size) {
        // base + slope * dx must lie in [0, size).
        if (std::fabs(slope) < 1e-9) {
            if (base < -1 || base > size + 1) from = 1, to = 0;
            return;
        }
        double a = -base / slope, b = (size - base) / slope;
        if (a > b) std::swap(a, b);
        from = std::max(from, a - 2);
        to = std::min(to, b + 2);
    };
    for (int gy = area.y; gy - area.y < area.height; ++gy) {
        uint8_t* row = imageRow(image, gy);
        const double dy = double(gy) - y;
        double from = double(area.x) - x, to = from + area.width - 1;
        narrow(from, to, u0 + s * dy, c, bitmap.width);
        narrow(from, to, v0 + c * dy, -s, bitmap.height);
        if (from > to) continue;
        const int first = int(std::max<double>(area.x, std::ceil(from + x)));
        const int last = int(std::min<double>(double(area.x) + area.width - 1, std::floor(to + x)));
        for (int gx = first; gx <= last; ++gx) {
            // The picture pixel's offset from the pivot, turned back into the bitmap (screen y
            // grows downwards, so a clockwise turn by a is (c -s; s c)).
            const double dx = double(gx) - x;
            const int u = floorNear(pivotX + 0.5 + c * dx + s * dy);
            const int v = floorNear(pivotY + 0.5 - s * dx + c * dy);
            if (u < 0 || v < 0 || u >= bitmap.width || v >= bitmap.height) continue;
            const Rgb colour = bitmap.at(u, v);
            if (!Bitmap::transparent(colour)) putPixel(row, gx - image.originX, colour);
        }
    }
}

void fillRect(Image& image, const Rect& r, Rgb colour, const Rect& clip) {
    const Rect area = intersect(intersect(r, clip), gaugeArea(image));
    for (int gy = area.y; gy - area.y < area.height; ++gy) {
        uint8_t* row = imageRow(image, gy);
        for (int i = 0, first = area.x - image.originX; i < area.width; ++i) putPixel(row, first + i, colour);
    }
}

void outlineRect(Image& image, const Rect& r, Rgb colour, const Rect& clip) {
    if (r.empty()) return;
    const int right = int(std::min<int64_t>(int64_t(r.x) + r.width - 1, INT32_MAX));
    const int bottom = int(std::min<int64_t>(int64_t(r.y) + r.height - 1, INT32_MAX));
    fillRect(image, {r.x, r.y, r.width, 1}, colour, clip);
    fillRect(image, {r.x, bottom, r.width, 1}, colour, clip);
    fillRect(image, {r.x, r.y, 1, r.height}, colour, clip);
    fillRect(image, {right, r.y, 1, r.height}, colour, clip);
}

int iconState(double value, uint32_t stateCount) {
    if (stateCount <= 1 || std::isnan(value) || value < 1.0) return 0;
    const double last = double(stateCount - 1);
    if (value >= last) return int(std::min<uint32_t>(stateCount - 1, INT32_MAX));
    return floorToInt(value);
}

int32_t iconImageId(const IconElement& icon) {
    return int32_t(int64_t(icon.header.imageId) + 3 * int64_t(iconState(icon.variable.value, icon.stateCount)));
}

int movingImageEdge(double value, double min, double max, int position, int size, int windowStart, int windowSize) {
    if (!std::isfinite(min) || !std::isfinite(max) || min == max) return position;
    double f = (value - min) / (max - min);
    if (std::isnan(f)) f = 0;
    f = std::clamp(f, 0.0, 1.0);
    const int margin = size > 4 ? 2 : 0;
    const double column = margin + (1.0 - f) * (size - 1 - 2 * margin);
    return windowStart + windowSize / 2 - roundToInt(column);
}

Rgb cursorColour(int32_t cursor) {
    constexpr Rgb colours[] = {
        {0, 255, 255},   // any other cursor
        {255, 64, 64},   // 1: adjuster, one half
        {64, 255, 64},   // 2: adjuster, other half
        {64, 128, 255},  // 3: push
        {255, 220, 0},   // 4: pull
        {255, 0, 255},   // 5: hand
    };
    return cursor >= 1 && cursor <= 5 ? colours[cursor] : colours[0];
}

// ---- gauges ----

namespace {

constexpr Rgb backgroundEdge{255, 255, 255};

const StringElement& asString(const ElementHeader* h) { return *reinterpret_cast<const StringElement*>(h); }
const IconElement& asIcon(const ElementHeader* h) { return *reinterpret_cast<const IconElement*>(h); }
const NeedleElement& asNeedle(const ElementHeader* h) { return *reinterpret_cast<const NeedleElement*>(h); }
const MovingImageElement& asMoving(const ElementHeader* h) { return *reinterpret_cast<const MovingImageElement*>(h); }

// The element as the renderer sees it: the bitmap it shows now and the area it may cover.
struct Placed {
    const InstalledElement* element = nullptr;
    const Bitmap* bitmap = nullptr;
    Rect extent;  // where it may draw, before the picture's own edges
    Rect window;  // moving image: its parent's rectangle, which clips it
    int drawX = 0, drawY = 0;
};

int32_t shownImageId(const ElementHeader* h) {
    return h->kind == Icon ? iconImageId(asIcon(h)) : h->imageId;
}

std::vector<Placed> place(const Gauge& gauge, const BitmapSource& bitmaps) {
    std::vector<Placed> placed(gauge.elements.size());
    for (size_t i = 0; i < gauge.elements.size(); ++i) {
        const InstalledElement& e = gauge.elements[i];
        const ElementHeader* h = e.header;
        Placed& p = placed[i];
        p.element = &e;
        p.drawX = h->x;
        p.drawY = h->y;
        if (h->kind != String) p.bitmap = bitmaps ? bitmaps(shownImageId(h)) : nullptr;
        const int w = p.bitmap ? p.bitmap->width : 0, hgt = p.bitmap ? p.bitmap->height : 0;
        switch (h->kind) {
        case String: {
            const StringElement& s = asString(h);
            p.extent = {h->x, h->y, s.boxWidth, s.boxHeight};
            break;
        }
        case Needle:
            if (p.bitmap) p.extent = rotatedBounds(*p.bitmap, h->pivotX, h->pivotY, h->x, h->y);
            break;
        case MovingImage: {
            // The parent is the nearest earlier element one level up (tree order).
            p.window = {h->x, h->y, w, hgt};
            for (size_t j = i; j-- > 0;)
                if (gauge.elements[j].depth < e.depth) {
                    if (placed[j].bitmap) p.window = placed[j].extent;
                    break;
                }
            const MovingImageElement& m = asMoving(h);
            p.drawX = movingImageEdge(m.xVariable.value, m.xMin, m.xMax, h->x, w, p.window.x, p.window.width);
            p.drawY = movingImageEdge(m.yVariable.value, m.yMin, m.yMax, h->y, hgt, p.window.y, p.window.height);
            p.extent = intersect({p.drawX, p.drawY, w, hgt}, p.window);
            break;
        }
        default:
            p.extent = {h->x, h->y, w, hgt};
            break;
        }
    }
    return placed;
}

}  // namespace

struct StaticLayer {
    Rect canvas;
    const ElementHeader* root = nullptr;
    std::vector<const Bitmap*> bitmaps;
    Image image;
};

// Kept with the gauge: bitmaps live as long as their module, and so does the gauge.
struct RenderCache {
    std::map<const Bitmap*, bool> shows;
    StaticLayer layer;

    bool showsSomething(const Bitmap& b) {
        auto [it, fresh] = shows.try_emplace(&b, false);
        if (fresh)
            for (const Rgb& p : b.pixels)
                if (!Bitmap::transparent(p)) {
                    it->second = true;
                    break;
                }
        return it->second;
    }
};

namespace {

RenderCache& cacheOf(const Gauge& gauge) {
    auto& kept = const_cast<Gauge&>(gauge).renderCache;
    if (!kept) kept = std::make_shared<RenderCache>();
    return *kept;
}

template <typename F>
void forEachChildRect(const MouseRect* list, F&& f) {
    if (!list) return;
    // A list ends at its end record; the bound only guards against a list without one.
    for (int i = 0; i < 4096 && list[i].rectType != EndRect; ++i)
        if (list[i].rectType == ChildRect) f(list[i]);
}

std::string_view textOf(const InstalledElement& e) {
    const char* text = e.textBuffer.data();
    size_t size = e.textBuffer.size();
    if (size == 0) {
        const StringElement& s = asString(e.header);
        if (!s.textBuffer) return {};
        text = s.textBuffer;
        size = size_t(s.maxChars) + 1;
    }
    size_t n = 0;
    while (n < size && text[n]) ++n;
    return {text, n};
}

std::string_view faceOf(const StringElement& s) {
    size_t n = 0;
    while (n < sizeof s.fontFace && s.fontFace[n]) ++n;
    return {s.fontFace, n};
}

void drawString(Image& image, const InstalledElement& e, const Rect& clip) {
    const StringElement& s = asString(e.header);
    const Rect box{s.header.x, s.header.y, s.boxWidth, s.boxHeight};
    if ((s.backColour & 0xFFFFFF) != 0) fillRect(image, box, colourRef(s.backColour), clip);
    const std::string_view text = textOf(e);
    const Font* font = fontForFace(faceOf(s));
    if (!font || text.empty()) return;
    // The face's cell height fills the box, as the simulator sizes a readout's font.
    const double pixelHeight = std::max(8, s.boxHeight);
    drawText(image, *font, text, box, pixelHeight, colourRef(s.foreColour), s.textFormat, clip);
}

}  // namespace

Image renderGauge(const Gauge& gauge, const BitmapSource& bitmaps, const RenderOptions& options) {
    if (gauge.elements.empty()) return {};
    const std::vector<Placed> placed = place(gauge, bitmaps);

    RenderCache& cache = cacheOf(gauge);
    const Placed& root = placed.front();
    Rect background = root.extent;
    if (background.empty()) background = {root.element->header->x, root.element->header->y, gauge.width, gauge.height};
    // The gauge covers its background and every other static image that shows something:
    // the twin altimeter's second dial, the engine set's eight faces. An image that is
    // entirely transparent (the overheads' compass window, placed outside the background to
    // hide the card) adds nothing, so what lies outside stays hidden.
    for (size_t i = 1; i < placed.size(); ++i)
        if (placed[i].element->header->kind == StaticImage && placed[i].bitmap && cache.showsSomething(*placed[i].bitmap))
            background = unite(background, placed[i].extent);
    // With hidden content shown, the background's edge is outlined one pixel outside it.
    const Rect edge = background.empty() ? Rect{}
                                         : Rect{background.x - 1, background.y - 1, background.width + 2,
                                                background.height + 2};
    Rect canvas = background;
    if (options.showHidden) {
        canvas = unite(canvas, edge);
        for (const Placed& p : placed) canvas = unite(canvas, p.extent);
        forEachChildRect(gauge.mouseList, [&](const MouseRect& r) {
            canvas = unite(canvas, {r.x, r.y, r.width, r.height});
        });
    }
    if (canvas.empty()) return {};

    // The static images at the head of the tree are drawn before anything else and never
    // change while the gauge is installed: they are drawn once into a kept picture, and each
    // frame starts from a copy of it.
    size_t leading = 0;
    std::vector<const Bitmap*> layerBitmaps;
    while (leading < placed.size() && placed[leading].element->header->kind == StaticImage)
        layerBitmaps.push_back(placed[leading++].bitmap);
    StaticLayer& layer = cache.layer;
    if (!(layer.canvas == canvas) || layer.root != gauge.root || layer.bitmaps != layerBitmaps || layer.image.rgba.empty()) {
        layer.image = makeImage(canvas.width, canvas.height, panelGrey);
        layer.image.originX = canvas.x;
        layer.image.originY = canvas.y;
        for (size_t i = 0; i < leading; ++i)
            if (placed[i].bitmap) drawBitmap(layer.image, *placed[i].bitmap, placed[i].drawX, placed[i].drawY, canvas);
        layer.canvas = canvas;
        layer.root = gauge.root;
        layer.bitmaps = std::move(layerBitmaps);
    }
    Image image = layer.image;
    for (size_t i = leading; i < placed.size(); ++i) {
        const Placed& p = placed[i];
        const ElementHeader* h = p.element->header;
        switch (h->kind) {
        case String:
            drawString(image, *p.element, canvas);
            break;
        case Needle:
            if (p.bitmap)
                drawRotatedBitmap(image, *p.bitmap, h->pivotX, h->pivotY, h->x, h->y,
                                  needles::screenAngle(asNeedle(h), p.element->needle.shown), canvas);
            break;
        case MovingImage:
            if (p.bitmap) drawBitmap(image, *p.bitmap, p.drawX, p.drawY, intersect(canvas, p.window));
            break;
        default:
            if (p.bitmap) drawBitmap(image, *p.bitmap, p.drawX, p.drawY, canvas);
            break;
        }
    }
    if (options.outlineMouse)
        forEachChildRect(gauge.mouseList, [&](const MouseRect& r) {
            outlineRect(image, {r.x, r.y, r.width, r.height}, cursorColour(r.cursor), canvas);
        });
    if (options.showHidden) outlineRect(image, edge, backgroundEdge, canvas);
    return image;
}

Image renderGauge(const Module& m, const RenderOptions& options) {
    return renderGauge(m.gauge, resourceBitmaps(m.handle), options);
}

// ---- contact sheet ----

Image contactSheet(const Gauge& gauge, const BitmapSource& bitmaps) {
    // Each id once, in the order the elements first show it.
    std::vector<int32_t> ids;
    std::set<int32_t> seen;
    auto add = [&](int64_t id) {
        if (id >= INT32_MIN && id <= INT32_MAX && seen.insert(int32_t(id)).second) ids.push_back(int32_t(id));
    };
    for (const InstalledElement& e : gauge.elements) {
        const ElementHeader* h = e.header;
        if (h->kind == String) continue;
        if (h->kind == Icon) {
            // The bound keeps a corrupt state count from listing thousands of absent ids.
            const uint32_t states = std::min<uint32_t>(asIcon(h).stateCount, 64);
            for (uint32_t k = 0; k < std::max<uint32_t>(states, 1); ++k) add(int64_t(h->imageId) + 3 * int64_t(k));
        } else {
            add(h->imageId);
        }
    }

    constexpr int pad = 8, labelGap = 3, labelPixels = 14, missingSide = 16, sheetWidth = 1024;
    constexpr Rgb frame{80, 80, 80}, missing{255, 64, 64}, ink{220, 220, 220};
    const Font* font = fontForFace("Arial");
    const int labelHeight = font ? roundToInt(measureText(*font, "0", labelPixels).lineHeight) : labelPixels;

    struct Cell {
        int32_t id;
        const Bitmap* bitmap;
        std::string label;
        int x, y, width, height;
    };
    std::vector<Cell> cells;
    for (int32_t id : ids) {
        Cell c{id, bitmaps ? bitmaps(id) : nullptr, std::to_string(id), 0, 0, 0, 0};
        if (!c.bitmap) c.label += " missing";
        const int pictureWidth = c.bitmap ? c.bitmap->width : missingSide;
        const int pictureHeight = c.bitmap ? c.bitmap->height : missingSide;
        const int labelWidth = font ? roundToInt(measureText(*font, c.label, labelPixels).width) + 1 : 0;
        c.width = std::max(pictureWidth, labelWidth) + 2;  // + the frame
        c.height = pictureHeight + 2 + labelGap + labelHeight;
        cells.push_back(std::move(c));
    }

    // Rows left to right, as wide as the sheet allows (wider only for a picture that needs it).
    int width = sheetWidth, x = pad, y = pad, rowHeight = 0;
    for (const Cell& c : cells) width = std::max(width, c.width + 2 * pad);
    for (Cell& c : cells) {
        if (x > pad && x + c.width + pad > width) {
            x = pad;
            y += rowHeight + pad;
            rowHeight = 0;
        }
        c.x = x;
        c.y = y;
        x += c.width + pad;
        rowHeight = std::max(rowHeight, c.height);
    }
    Image sheet = makeImage(width, y + rowHeight + pad, panelGrey);
    const Rect all = gaugeArea(sheet);
    for (const Cell& c : cells) {
        const int pictureWidth = c.bitmap ? c.bitmap->width : missingSide;
        const int pictureHeight = c.bitmap ? c.bitmap->height : missingSide;
        // The frame shows a picture's size even where it is all transparent.
        outlineRect(sheet, {c.x, c.y, pictureWidth + 2, pictureHeight + 2}, c.bitmap ? frame : missing, all);
        if (c.bitmap) drawBitmap(sheet, *c.bitmap, c.x + 1, c.y + 1, all);
        if (font)
            drawText(sheet, *font, c.label, {c.x, c.y + pictureHeight + 2 + labelGap, c.width, labelHeight},
                     labelPixels, ink, 0, all);
    }
    return sheet;
}

Image contactSheet(const Module& m) { return contactSheet(m.gauge, resourceBitmaps(m.handle)); }

}  // namespace host
