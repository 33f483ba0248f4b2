// The renderer's drawing on gauges built in memory: needle turns, icon states, the compass
// card in its window, string boxes, picture extent, mouse outlines, contact sheet.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "host/render.h"
#include "printing.h"

using namespace host;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

Bitmap solid(int width, int height, Rgb colour) {
    Bitmap b;
    b.width = width;
    b.height = height;
    b.pixels.assign(size_t(width) * height, colour);
    return b;
}

// Every pixel its own colour, so a drawn pixel tells which bitmap pixel it came from.
Rgb marker(int u, int v) { return {uint8_t(20 + u * 10), uint8_t(20 + v * 10), 200}; }
Bitmap markedBitmap(int width, int height) {
    Bitmap b = solid(width, height, {});
    for (int v = 0; v < height; ++v)
        for (int u = 0; u < width; ++u) b.pixels[size_t(v) * width + u] = marker(u, v);
    return b;
}

// A gauge made in memory: element records in tree order with their depth, the host-side
// state the renderer reads, and the bitmaps by id.
class FakeGauge {
public:
    std::map<int32_t, Bitmap> bitmaps;
    Gauge gauge;
    std::vector<MouseRect> mouse;

    BitmapSource source() const {
        return [this](int32_t id) -> const Bitmap* {
            auto found = bitmaps.find(id);
            return found == bitmaps.end() ? nullptr : &found->second;
        };
    }

    template <typename E>
    E& add(ElementKind kind, int32_t imageId, int x, int y, int depth) {
        auto record = std::make_shared<E>();  // zero-filled, as a module's record with host words 0
        record->header.kind = kind;
        record->header.imageId = imageId;
        record->header.x = x;
        record->header.y = y;
        records.push_back(record);
        gauge.elements.push_back(InstalledElement{int(gauge.elements.size()) + 1, depth, &record->header, {}, {}});
        return *record;
    }

    StaticImageElement& background(int width, int height, Rgb colour) {
        bitmaps[1000] = solid(width, height, colour);
        return add<StaticImageElement>(StaticImage, 1000, 0, 0, 0);
    }

    StringElement& text(int x, int y, int width, int height, const std::string& buffer, const char* face,
                        uint32_t format) {
        StringElement& s = add<StringElement>(String, -1, x, y, 1);
        s.boxWidth = width;
        s.boxHeight = height;
        s.foreColour = 0xDCDCDC;
        s.backColour = 0x080808;
        s.textFormat = format;
        std::snprintf(s.fontFace, sizeof s.fontFace, "%s", face);
        s.maxChars = uint32_t(buffer.size());
        gauge.elements.back().textBuffer.assign(buffer.begin(), buffer.end());
        gauge.elements.back().textBuffer.push_back('\0');
        return s;
    }

    void mouseRects(std::vector<MouseRect> children) {
        mouse.clear();
        mouse.push_back(MouseRect{ParentRect, 0, 0, 0, 0, -1, 0, 0, 0, nullptr, 0});
        mouse.insert(mouse.end(), children.begin(), children.end());
        mouse.push_back(MouseRect{EndRect, 0, 0, 0, 0, -1, 0, 0, 0, nullptr, 0});
        gauge.mouseList = mouse.data();
    }

    Image render(RenderOptions options = {}) const { return renderGauge(gauge, source(), options); }

private:
    std::vector<std::shared_ptr<void>> records;
};

// The box holding every pixel of `image` inside `area` that is not `ground`.
Rect inkBox(const Image& image, const Rect& area, Rgb ground) {
    Rect box;
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
            if (!(gaugePixelAt(image, x, y) == ground)) box = unite(box, {x, y, 1, 1});
    return box;
}

long countColour(const Image& image, Rgb colour) {
    long n = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) n += pixelAt(image, x, y) == colour;
    return n;
}

}  // namespace

TEST(NeedleRotation, QuarterTurnsMoveEveryPixelAboutThePivot) {
    // 5 x 3 marked needle, its top-left pixel black (transparent). A pixel at offset (du, dv)
    // from the pivot lands, turned clockwise on the screen, at:
    //   0: (du, dv)   90: (-dv, du)   180: (-du, -dv)   270: (dv, -du)
    struct Case {
        double degrees;
        int quarter;
        int pivotX, pivotY;
        const char* reason;
    };
    const Case cases[] = {
        {0, 0, 1, 1, "as drawn: pointing right"},
        {90, 1, 1, 1, "a quarter clockwise points down"},
        {180, 2, 1, 1, "half a turn points left"},
        {270, 3, 1, 1, "three quarters points up (the altimeter at 0 feet)"},
        {-90, 3, 1, 1, "negative angles turn counter-clockwise"},
        {450, 1, 1, 1, "angles beyond a turn wrap (630 for 1000 feet)"},
        {900, 2, 1, 1, "two and a half turns"},
        {90, 1, 4, 2, "pivot at the far corner: the needle swings round that pixel"},
        {notANumber, 0, 1, 1, "NaN is drawn as 0"},
        {infinity, 0, 1, 1, "infinity is drawn as 0"},
    };
    Bitmap needle = markedBitmap(5, 3);
    needle.pixels[0] = {};
    for (const Case& c : cases) {
        Image image = makeImage(21, 21, panelGrey);
        image.originX = image.originY = -10;  // the pivot sits on gauge (0, 0), the middle
        drawRotatedBitmap(image, needle, c.pivotX, c.pivotY, 0, 0, c.degrees, gaugeArea(image));
        long opaque = 0;
        for (int v = 0; v < 3; ++v)
            for (int u = 0; u < 5; ++u) {
                if (u == 0 && v == 0) continue;
                ++opaque;
                const int du = u - c.pivotX, dv = v - c.pivotY;
                const int at[4][2] = {{du, dv}, {-dv, du}, {-du, -dv}, {dv, -du}};
                EXPECT_EQ(gaugePixelAt(image, at[c.quarter][0], at[c.quarter][1]), marker(u, v))
                    << c.reason << ": bitmap pixel " << u << "," << v;
            }
        EXPECT_EQ(image.width * image.height - countColour(image, panelGrey), opaque)
            << c.reason << ": exactly the opaque pixels are drawn, the black one is not";
    }
}

TEST(NeedleRotation, OtherAnglesSampleNearestPixel) {
    // A 20 x 3 needle, pivot on its middle row. Every drawn pixel, turned back, lies within
    // half a pixel of the bitmap pixel whose colour it took (the nearest one); the turned
    // needle keeps about its area.
    const Bitmap needle = markedBitmap(20, 3);
    for (double degrees : {30.0, 45.0, 135.0, 200.0, 315.0, 359.0}) {
        Image image = makeImage(61, 61, panelGrey);
        image.originX = image.originY = -30;
        drawRotatedBitmap(image, needle, 0, 1, 0, 0, degrees, gaugeArea(image));
        const double a = degrees * std::numbers::pi / 180.0;
        long drawn = 0;
        for (int gy = -30; gy <= 30; ++gy)
            for (int gx = -30; gx <= 30; ++gx) {
                const Rgb c = gaugePixelAt(image, gx, gy);
                if (c == panelGrey) continue;
                ++drawn;
                const int u = (c.r - 20) / 10, v = (c.g - 20) / 10;
                const double bu = std::cos(a) * gx + std::sin(a) * gy, bv = -std::sin(a) * gx + std::cos(a) * gy;
                EXPECT_NEAR(bu, u, 0.51) << degrees << " degrees at " << gx << "," << gy;
                EXPECT_NEAR(bv, v - 1, 0.51) << degrees << " degrees at " << gx << "," << gy;
            }
        EXPECT_GT(drawn, 45) << degrees;
        EXPECT_LT(drawn, 75) << degrees;
    }
}

TEST(NeedleRotation, OnlyPixelsThatMissTheBitmapAreSkipped) {
    // The renderer looks at a span of each row only. Every pixel it leaves out must be one
    // that maps outside the bitmap: the picture equals one made by mapping every pixel back,
    // at angles near the quarters and the diagonals too, with the pivot inside the bitmap and
    // off its end, and with the needle half out of the picture.
    struct Case {
        int pivotX, pivotY, x, y;
    };
    const Case cases[] = {{0, 1, 0, 0}, {12, 2, 3, -4}, {-7, 9, -20, 5}, {40, 1, 0, 0}};
    const double angles[] = {1e-7, 0.5, 30, 44.99, 45, 89.9999999, 90.0000001, 123.4, 179.99, 225, 269.999, 300, 359.9};
    Bitmap needle = markedBitmap(25, 4);
    needle.pixels[3] = needle.pixels[30] = {};  // transparent pixels inside
    for (const Case& c : cases)
        for (double degrees : angles) {
            Image drawn = makeImage(71, 61, panelGrey);
            drawn.originX = -35;
            drawn.originY = -30;
            Image expected = drawn;
            drawRotatedBitmap(drawn, needle, c.pivotX, c.pivotY, c.x, c.y, degrees, gaugeArea(drawn));
            const double a = degrees * std::numbers::pi / 180.0, cs = std::cos(a), sn = std::sin(a);
            for (int gy = -30; gy <= 30; ++gy)
                for (int gx = -35; gx <= 35; ++gx) {
                    const double dx = double(gx) - c.x, dy = double(gy) - c.y;
                    const int u = int(std::floor(c.pivotX + 0.5 + cs * dx + sn * dy));
                    const int v = int(std::floor(c.pivotY + 0.5 - sn * dx + cs * dy));
                    if (u < 0 || v < 0 || u >= needle.width || v >= needle.height) continue;
                    if (!Bitmap::transparent(needle.at(u, v))) setGaugePixel(expected, gx, gy, needle.at(u, v));
                }
            EXPECT_EQ(compareImages(drawn, expected, 0, nullptr).differing, 0)
                << degrees << " degrees, pivot " << c.pivotX << "," << c.pivotY << " at " << c.x << "," << c.y;
        }
}

TEST(NeedleRotation, PivotsAndPlacesAtTheIntegerLimitsDrawNothing) {
    // A needle record may hold any pivot and place; one whose bitmap lies far off the picture
    // leaves it untouched at every angle.
    struct Case {
        int pivotX, pivotY, x, y;
    };
    const Case cases[] = {{INT32_MAX, 0, 0, 0},         {INT32_MIN, INT32_MIN, 0, 0}, {0, 0, INT32_MAX, INT32_MAX},
                          {0, 1, INT32_MIN, 0},         {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}};
    const Bitmap needle = markedBitmap(25, 4);
    for (const Case& c : cases)
        for (double degrees : {0.0, 1e-7, 33.0, 90.0, 181.5, 270.0}) {
            Image image = makeImage(41, 41, panelGrey);
            image.originX = image.originY = -20;
            drawRotatedBitmap(image, needle, c.pivotX, c.pivotY, c.x, c.y, degrees, gaugeArea(image));
            EXPECT_EQ(countColour(image, panelGrey), 41 * 41)
                << degrees << " degrees, pivot " << c.pivotX << "," << c.pivotY << " at " << c.x << "," << c.y;
        }
}

TEST(NeedleRotation, GaugeDrawsTheShownAngle) {
    // The renderer turns a needle by where the host shows it now, not by its target.
    FakeGauge g;
    g.background(40, 40, {});
    g.bitmaps[2003] = markedBitmap(10, 1);
    NeedleElement& n = g.add<NeedleElement>(Needle, 2003, 20, 20, 1);
    (void)n;
    g.gauge.elements.back().needle = NeedleState{true, 270, 90};
    const Image image = g.render();
    EXPECT_EQ(gaugePixelAt(image, 20, 29), marker(9, 0)) << "tip below the pivot at 90 degrees";
    EXPECT_EQ(gaugePixelAt(image, 20, 11), panelGrey) << "not at the 270-degree target";
}

TEST(IconState, ValueToState) {
    struct Case {
        double value;
        uint32_t states;
        int expected;
        const char* reason;
    };
    const Case cases[] = {
        {0.0, 2, 0, "state 0"},
        {1.0, 2, 1, "two states, value 1 shows imageId + 3"},
        {1.9, 3, 1, "the whole part"},
        {2.0, 2, 1, "past the last state: held to the last"},
        {1e300, 4, 3, "far past: the last"},
        {infinity, 4, 3, "infinity: the last"},
        {-0.5, 3, 0, "below 0: the first"},
        {-infinity, 3, 0, "minus infinity: the first"},
        {notANumber, 3, 0, "NaN: the first"},
        {2.999, 4, 2, "just below a state: the one before"},
        {3.0, 0, 0, "no states: the image itself"},
    };
    for (const Case& c : cases) EXPECT_EQ(iconState(c.value, c.states), c.expected) << c.reason;
}

TEST(IconState, GaugeShowsTheStateImage) {
    FakeGauge g;
    g.background(10, 10, {});
    const Rgb colours[] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}};
    for (int k = 0; k < 3; ++k) g.bitmaps[1600 + 3 * k] = solid(4, 4, colours[k]);
    IconElement& icon = g.add<IconElement>(Icon, 1600, 2, 2, 1);
    icon.stateCount = 3;
    struct Case {
        double value;
        int shown;
        const char* reason;
    };
    const Case cases[] = {{0, 0, "state 0: 1600"}, {1.7, 1, "1.7: 1603"}, {2, 2, "2: 1606"},
                          {9, 2, "past the end: 1606"}, {notANumber, 0, "NaN: 1600"}};
    for (const Case& c : cases) {
        icon.variable.value = c.value;
        EXPECT_EQ(gaugePixelAt(g.render(), 3, 3), colours[c.shown]) << c.reason;
    }
}

TEST(MovingImage, EdgeForValue) {
    // The compass card: 365 pixels, heading h at column h + 2, x value 360 - h in 0..360,
    // window 66 pixels wide from x 250, so its centre is x 283.
    struct Case {
        double value, min, max;
        int position, size, windowStart, windowSize;
        int expected;
        const char* reason;
    };
    const Case cases[] = {
        {360, 0, 360, 270, 365, 250, 66, 283 - 2, "heading 0: column 2 at the centre"},
        {270, 0, 360, 270, 365, 250, 66, 283 - 92, "heading 90: column 92"},
        {0, 0, 360, 270, 365, 250, 66, 283 - 362, "heading 360: column 362"},
        {400, 0, 360, 270, 365, 250, 66, 283 - 2, "above the range: held to its end"},
        {-5, 0, 360, 270, 365, 250, 66, 283 - 362, "below the range: held to its start"},
        {notANumber, 0, 360, 270, 365, 250, 66, 283 - 362, "NaN: as the range's start"},
        {1, 0, 0, 175, 17, 134, 69, 175, "zero range: stays at its position"},
        {0, 360, 0, 270, 365, 250, 66, 283 - 2, "a reversed range slides the other way"},
        {5, 0, 10, 0, 3, 100, 10, 105 - 1, "a picture too small for margins: no margin"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(movingImageEdge(c.value, c.min, c.max, c.position, c.size, c.windowStart, c.windowSize), c.expected)
            << c.reason;
}

class CompassCard : public ::testing::Test {
protected:
    // The overhead's compass: black background 1023 x 85, black window 66 x 69 at 250, 134
    // below it, and the card at 270, 175 whose column c has its own colour.
    void SetUp() override {
        g.background(1023, 85, {});
        g.bitmaps[3600] = solid(66, 69, {});
        g.add<StaticImageElement>(StaticImage, 3600, 250, 134, 1);
        g.bitmaps[3800] = solid(365, 17, {});
        for (int y = 0; y < 17; ++y)
            for (int c = 0; c < 365; ++c) g.bitmaps[3800].pixels[size_t(y) * 365 + c] = column(c);
        MovingImageElement& m = g.add<MovingImageElement>(MovingImage, 3800, 270, 175, 2);
        m.xMin = 0;
        m.xMax = 360;
        m.yVariable.value = 1;  // the card's y law gives 1; its range is 0..0
        card = &m;
    }
    static Rgb column(int c) { return {uint8_t(c & 0xFF), uint8_t(0x40 | (c >> 8)), 0x80}; }
    FakeGauge g;
    MovingImageElement* card = nullptr;
};

TEST_F(CompassCard, HeadingAtTheWindowCentre) {
    for (int heading : {0, 1, 45, 90, 180, 270, 359, 360}) {
        card->xVariable.value = 360.0 - heading;
        const Image image = g.render({.showHidden = true});
        EXPECT_EQ(gaugePixelAt(image, 283, 180), column(heading + 2)) << "heading " << heading;
        EXPECT_EQ(gaugePixelAt(image, 284, 180), column(heading + 3)) << "higher headings to the right";
    }
}

TEST_F(CompassCard, ClippedToTheWindow) {
    card->xVariable.value = 180;
    const Image image = g.render({.showHidden = true});
    struct Case {
        int x, y;
        bool card;
        const char* reason;
    };
    const Case cases[] = {
        {250, 180, true, "window's left column"},       {249, 180, false, "left of the window"},
        {315, 180, true, "window's right column"},      {316, 180, false, "right of the window"},
        {283, 175, true, "card's top row: no vertical shift"}, {283, 174, false, "above the card"},
        {283, 191, true, "card's bottom row"},          {283, 192, false, "below the card"},
    };
    for (const Case& c : cases) EXPECT_EQ(!(gaugePixelAt(image, c.x, c.y) == panelGrey), c.card) << c.reason;
}

TEST_F(CompassCard, HiddenBelowTheBackgroundByDefault) {
    card->xVariable.value = 180;
    const Image image = g.render();
    EXPECT_EQ(image.width, 1023);
    EXPECT_EQ(image.height, 85);
    EXPECT_EQ(countColour(image, panelGrey), 1023L * 85) << "black background, card and window cut off";
}

class StringBox : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fontForFace("Arial") || !fontForFace("Courier New")) GTEST_SKIP() << "no Liberation fonts";
        g.background(120, 50, ground);
    }
    static constexpr Rgb ground{10, 10, 60};
    static constexpr Rgb back{8, 8, 8};
    FakeGauge g;
};

TEST_F(StringBox, BoxFilledWithTheBackColour) {
    g.text(10, 10, 60, 22, "29.92", "Courier New", 0x25);
    const Image image = g.render();
    struct Case {
        int x, y;
        Rgb expected;
        const char* reason;
    };
    const Case cases[] = {
        {10, 10, back, "top-left of the box"},   {69, 31, back, "bottom-right of the box"},
        {9, 10, ground, "left of the box"},      {70, 31, ground, "right of the box"},
        {10, 9, ground, "above the box"},        {69, 32, ground, "below the box"},
    };
    for (const Case& c : cases) EXPECT_EQ(gaugePixelAt(image, c.x, c.y), c.expected) << c.reason;
    const Rect ink = inkBox(image, {10, 10, 60, 22}, back);
    EXPECT_GT(ink.width, 40) << "five characters drawn";
    EXPECT_GT(countColour(image, {220, 220, 220}), 0) << "the fore colour at full coverage";
}

TEST_F(StringBox, BlackBackIsNotFilled) {
    StringElement& s = g.text(10, 10, 60, 22, "", "Arial", 0x25);
    s.backColour = 0;
    const Image image = g.render();
    EXPECT_EQ(gaugePixelAt(image, 10, 10), ground);
    EXPECT_EQ(gaugePixelAt(image, 40, 20), ground);
}

TEST_F(StringBox, Alignment) {
    struct Case {
        uint32_t format;
        const char* face;
        double expectedLeft, expectedCentre;  // of the ink, < 0 when not checked
        const char* reason;
    };
    // Box 10..70 across: centred text straddles x 40, left-aligned text starts at x 10.
    const Case cases[] = {
        {0x25, "Arial", -1, 40, "0x25: centred on one line"},
        {0x25, "Courier New", -1, 40, "0x25 in the fixed-pitch face"},
        {0x00, "Arial", 10, -1, "0: at the box's left"},
        {0x00, "Courier New", 10, -1, "0 in the fixed-pitch face"},
    };
    for (const Case& c : cases) {
        FakeGauge one;
        one.background(120, 50, ground);
        one.text(10, 10, 60, 22, "8888", c.face, c.format);
        const Rect ink = inkBox(one.render(), {10, 10, 60, 22}, back);
        ASSERT_FALSE(ink.empty()) << c.reason;
        if (c.expectedLeft >= 0) {
            EXPECT_NEAR(ink.x, c.expectedLeft, 3) << c.reason;
        }
        if (c.expectedCentre >= 0) {
            EXPECT_NEAR(ink.x + ink.width / 2.0, c.expectedCentre, 1.5) << c.reason;
        }
        EXPECT_GE(ink.y, 10) << c.reason;
        EXPECT_LE(ink.y + ink.height, 32) << c.reason;
    }
}

TEST_F(StringBox, FacesKeepTheirAdvances) {
    // Courier New maps to a fixed-pitch face and Arial to a proportional one, so a readout
    // takes the room in its box it takes in the simulator.
    const Font* mono = fontForFace("Courier New");
    const Font* sans = fontForFace("arial");
    EXPECT_DOUBLE_EQ(measureText(*mono, "iiii", 20).width, measureText(*mono, "WWWW", 20).width);
    EXPECT_LT(measureText(*sans, "iiii", 20).width, measureText(*sans, "WWWW", 20).width / 2);
}

TEST_F(StringBox, TextEndsAtItsTerminatorAndStaysInTheBox) {
    FakeGauge cut, whole;
    cut.background(120, 50, ground);
    whole.background(120, 50, ground);
    cut.text(10, 10, 44, 10, std::string("12\0" "99", 5), "Arial", 0x25);
    whole.text(10, 10, 44, 10, "12", "Arial", 0x25);
    EXPECT_EQ(compareImages(cut.render(), whole.render(), 0, nullptr).differing, 0) << "nothing after the NUL";

    g.text(10, 10, 20, 10, "WWWWWWWWWW", "Arial", 0).backColour = 0;
    const Rect ink = inkBox(g.render(), {0, 0, 120, 50}, ground);
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.x, 10);
    EXPECT_GE(ink.y, 10);
    EXPECT_GE(ink.x + ink.width, 27) << "drawn up to the box's right edge";
    EXPECT_LE(ink.x + ink.width, 30) << "a text wider than its box is cut at the box";
    EXPECT_LE(ink.y + ink.height, 20);
}

TEST_F(StringBox, KeptGlyphsDrawAsTheFirstTime) {
    // Rasterised glyphs are kept by size and sub-pixel offset. A readout drawn again, after
    // enough other sizes and offsets to fill and restart the kept set, draws the same pixels.
    const Font* sans = fontForFace("Arial");
    ASSERT_NE(sans, nullptr);
    auto draw = [&](double height, int boxX) {
        Image image = makeImage(200, 60, ground);
        drawText(image, *sans, "1234.5 WAV", {boxX, 5, 180, 50}, height, {240, 200, 40}, textCentre, gaugeArea(image));
        return image;
    };
    const Image first = draw(23.5, 10);
    for (int i = 0; i < 600; ++i) draw(8 + i * 0.037, i % 7);  // about 6000 glyphs
    const Image again = draw(23.5, 10);
    EXPECT_EQ(compareImages(first, again, 0, nullptr).differing, 0);
    EXPECT_GT(countColour(first, {240, 200, 40}), 0) << "drawn at full coverage somewhere";
}

class Extent : public ::testing::Test {
protected:
    // Background 20 x 10 with a transparent corner, an icon hidden below-left of it and a
    // mouse rectangle right of it.
    void SetUp() override {
        g.background(20, 10, {90, 90, 90});
        g.bitmaps[1000].pixels[0] = {};
        g.bitmaps[2000] = solid(3, 3, red);
        g.add<IconElement>(Icon, 2000, -5, 12, 1);
        g.mouseRects({MouseRect{ChildRect, 25, 0, 4, 4, 1, 0, 0, 0, nullptr, 0},
                      MouseRect{ChildRect, 2, 2, 5, 5, 5, 0, 0, 0, nullptr, 0}});
    }
    static constexpr Rgb red{250, 0, 0};
    FakeGauge g;
};

TEST_F(Extent, BackgroundOnlyByDefault) {
    const Image image = g.render();
    EXPECT_EQ(image.originX, 0);
    EXPECT_EQ(image.originY, 0);
    EXPECT_EQ(image.width, 20);
    EXPECT_EQ(image.height, 10);
    EXPECT_EQ(pixelAt(image, 0, 0), panelGrey) << "a transparent background pixel shows the panel";
    EXPECT_EQ(pixelAt(image, 1, 0), (Rgb{90, 90, 90}));
    EXPECT_EQ(countColour(image, red), 0) << "content outside the background is cut off";
}

TEST_F(Extent, StaticImagesThatShowSomethingWidenTheGauge) {
    // A second dial right of the background joins the gauge's area; an all-black image below
    // it (a window that hides what lies on it) does not.
    g.bitmaps[3000] = solid(4, 4, {0, 90, 0});
    g.add<StaticImageElement>(StaticImage, 3000, 30, 2, 1);
    g.bitmaps[3600] = solid(5, 5, {});
    g.add<StaticImageElement>(StaticImage, 3600, 0, 20, 1);
    const Image image = g.render();
    EXPECT_EQ(image.originX, 0);
    EXPECT_EQ(image.originY, 0);
    EXPECT_EQ(image.width, 34) << "background and the second dial";
    EXPECT_EQ(image.height, 10) << "not down to the all-black window";
    EXPECT_EQ(gaugePixelAt(image, 33, 5), (Rgb{0, 90, 0}));
    EXPECT_EQ(gaugePixelAt(image, 25, 5), panelGrey) << "between the two: panel";
    EXPECT_EQ(countColour(image, red), 0) << "the icon below-left stays cut off";
}

TEST_F(Extent, ShowHiddenSpansEverything) {
    const Image image = g.render({.showHidden = true});
    EXPECT_EQ(image.originX, -5) << "the hidden image's left edge";
    EXPECT_EQ(image.originY, -1) << "the background's outline, one pixel above it";
    EXPECT_EQ(image.originX + image.width, 29) << "the mouse rectangle's right edge";
    EXPECT_EQ(image.originY + image.height, 15) << "the hidden image's bottom edge";
    EXPECT_EQ(gaugePixelAt(image, -5, 12), red);
    EXPECT_EQ(gaugePixelAt(image, -3, 5), panelGrey);
    const Rgb edge{255, 255, 255};
    for (auto [x, y] : {std::pair{-1, -1}, {20, -1}, {-1, 10}, {20, 10}, {10, -1}, {-1, 5}})
        EXPECT_EQ(gaugePixelAt(image, x, y), edge) << "background edge at " << x << "," << y;
    EXPECT_EQ(gaugePixelAt(image, 0, 0), panelGrey) << "the outline lies outside the background";
}

TEST_F(Extent, MouseOutlinesInTheirCursorColours) {
    const Image plain = g.render({.showHidden = true});
    const Image image = g.render({.showHidden = true, .outlineMouse = true});
    EXPECT_EQ(gaugePixelAt(image, 25, 0), cursorColour(1));
    EXPECT_EQ(gaugePixelAt(image, 28, 3), cursorColour(1));
    EXPECT_EQ(gaugePixelAt(image, 26, 1), panelGrey) << "outline only";
    EXPECT_EQ(gaugePixelAt(image, 2, 2), cursorColour(5));
    EXPECT_EQ(gaugePixelAt(image, 6, 6), cursorColour(5));
    EXPECT_NE(cursorColour(1), cursorColour(5));
    EXPECT_EQ(compareImages(plain, image, 0, nullptr).differing, 2 * (4 + 4) - 4 + 2 * (5 + 5) - 4)
        << "nothing but the two outlines changes";
}

TEST(ContactSheet, EveryStateOnceWithItsId) {
    FakeGauge g;
    g.background(30, 20, {90, 30, 150});
    const Rgb states[] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}};
    for (int k = 0; k < 3; ++k) g.bitmaps[4400 + 3 * k] = solid(5, 4, states[k]);
    g.add<IconElement>(Icon, 4400, 0, 0, 1).stateCount = 3;
    g.add<IconElement>(Icon, 4400, 9, 0, 1).stateCount = 2;  // the same pictures again
    g.add<IconElement>(Icon, 5000, 0, 0, 1).stateCount = 2;  // no bitmaps: listed as missing
    g.text(0, 0, 10, 10, "1", "Arial", 0);                   // a text has no bitmap
    const Image sheet = contactSheet(g.gauge, g.source());
    EXPECT_EQ(countColour(sheet, {90, 30, 150}), 30L * 20) << "the background once";
    for (const Rgb& c : states) EXPECT_EQ(countColour(sheet, c), 20) << "each state once, whole";
    if (fontForFace("Arial")) {
        EXPECT_GT(countColour(sheet, {220, 220, 220}), 0) << "ids printed";
    }
    EXPECT_GT(countColour(sheet, {255, 64, 64}), 0) << "missing pictures framed in red";
}
