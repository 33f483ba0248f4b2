// Bitmap resources: decoding crafted device-independent bitmaps of the depths and row orders
// the modules carry, and reading a built module's bitmaps through the resource calls.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/bitmap.h"
#include "host/render.h"
#include "printing.h"

using namespace host;

namespace {

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    if (at + 4 > b.size()) return;
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A bitmap resource as the resource compiler stores it: information header, colour table,
// rows padded to four bytes, bottom-up unless topDown. `pixels` are top-down: palette
// indexes for 8 bits, 0xRRGGBB for 24 bits.
std::vector<uint8_t> makeDib(int width, int height, int bits, const std::vector<uint32_t>& pixels, bool topDown,
                             const std::vector<uint32_t>& palette = {}, uint32_t coloursUsed = 0) {
    const size_t stride = (size_t(width) * bits + 31) / 32 * 4;
    std::vector<uint8_t> b(40 + palette.size() * 4 + stride * height, 0);
    put32(b, 0, 40);
    put32(b, 4, uint32_t(width));
    put32(b, 8, uint32_t(topDown ? -height : height));
    b[12] = 1;
    b[14] = uint8_t(bits);
    put32(b, 32, coloursUsed);
    for (size_t i = 0; i < palette.size(); ++i) {
        b[40 + 4 * i] = uint8_t(palette[i]);            // blue
        b[40 + 4 * i + 1] = uint8_t(palette[i] >> 8);   // green
        b[40 + 4 * i + 2] = uint8_t(palette[i] >> 16);  // red
    }
    const size_t start = 40 + palette.size() * 4;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = &b[start + stride * size_t(topDown ? y : height - 1 - y)];
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[size_t(y) * width + x];
            if (bits == 8) {
                row[x] = uint8_t(p);
            } else {
                row[3 * x] = uint8_t(p);
                row[3 * x + 1] = uint8_t(p >> 8);
                row[3 * x + 2] = uint8_t(p >> 16);
            }
        }
    }
    return b;
}

Rgb rgb(uint32_t v) { return {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

std::vector<uint32_t> defaultPalette() {
    std::vector<uint32_t> p(256);
    for (uint32_t i = 0; i < 256; ++i) p[i] = (i << 16) | ((255 - i) << 8) | (i ^ 0x5A);
    return p;
}

}  // namespace

TEST(DibDecoding, DepthsRowOrdersAndPalettes) {
    // 3 x 2 pictures: odd widths make every row padded (9 bytes -> 12 at 24 bits, 3 -> 4 at 8).
    const std::vector<uint32_t> colours = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0x000000, 0xFFFFFF};
    const std::vector<uint32_t> indexes = {1, 2, 3, 254, 0, 255};
    const std::vector<uint32_t> small = {0x000000, 0xAA0000, 0x00BB00, 0x0000CC};
    struct Case {
        const char* reason;
        std::vector<uint8_t> data;
        std::vector<uint32_t> expected;  // top-down 0xRRGGBB
    };
    const std::vector<uint32_t> full = defaultPalette();
    auto viaFull = [&](const std::vector<uint32_t>& idx) {
        std::vector<uint32_t> out;
        for (uint32_t i : idx) out.push_back(full[i]);
        return out;
    };
    const Case cases[] = {
        {"24-bit bottom-up: the last stored row is the top", makeDib(3, 2, 24, colours, false), colours},
        {"24-bit top-down (negative height): the first stored row is the top", makeDib(3, 2, 24, colours, true),
         colours},
        {"8-bit with biClrUsed 0 carries the full 256-entry table", makeDib(3, 2, 8, indexes, false, full, 0),
         viaFull(indexes)},
        {"8-bit top-down", makeDib(3, 2, 8, indexes, true, full, 0), viaFull(indexes)},
        {"8-bit with a 4-entry table: pixels start right after it",
         makeDib(3, 2, 8, {1, 2, 3, 0, 1, 2}, false, small, 4),
         {0xAA0000, 0x00BB00, 0x0000CC, 0x000000, 0xAA0000, 0x00BB00}},
        {"8-bit index past a short table shows nothing (black)",
         makeDib(3, 2, 8, {1, 9, 3, 0, 200, 2}, false, small, 4),
         {0xAA0000, 0x000000, 0x0000CC, 0x000000, 0x000000, 0x00BB00}},
    };
    for (const Case& c : cases) {
        Bitmap b;
        ASSERT_TRUE(decodeDib(c.data.data(), c.data.size(), b)) << c.reason;
        ASSERT_EQ(b.width, 3) << c.reason;
        ASSERT_EQ(b.height, 2) << c.reason;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(b.at(x, y), rgb(c.expected[size_t(y) * 3 + x])) << c.reason << " at " << x << "," << y;
    }
}

TEST(DibDecoding, ByteLayoutWrittenOut) {
    // 2 x 2, 24 bits, bottom-up, written byte by byte: blue, green, red per pixel, each row
    // of 6 bytes padded to 8.
    std::vector<uint8_t> d(40, 0);
    put32(d, 0, 40);
    put32(d, 4, 2);
    put32(d, 8, 2);
    d[12] = 1;
    d[14] = 24;
    const uint8_t rows[] = {
        0x03, 0x02, 0x01, 0x06, 0x05, 0x04, 0xEE, 0xEE,  // stored first: the bottom row
        0x30, 0x20, 0x10, 0x60, 0x50, 0x40, 0xEE, 0xEE,  // the top row
    };
    d.insert(d.end(), std::begin(rows), std::end(rows));
    Bitmap b;
    ASSERT_TRUE(decodeDib(d.data(), d.size(), b));
    EXPECT_EQ(b.at(0, 0), (Rgb{0x10, 0x20, 0x30}));
    EXPECT_EQ(b.at(1, 0), (Rgb{0x40, 0x50, 0x60}));
    EXPECT_EQ(b.at(0, 1), (Rgb{0x01, 0x02, 0x03}));
    EXPECT_EQ(b.at(1, 1), (Rgb{0x04, 0x05, 0x06}));
}

TEST(DibDecoding, RefusesWhatItCannotRead) {
    const std::vector<uint8_t> good = makeDib(3, 2, 24, {1, 2, 3, 4, 5, 6}, false);
    struct Case {
        const char* reason;
        std::vector<uint8_t> data;
    };
    auto with = [&](size_t at, uint32_t v) {
        std::vector<uint8_t> d = good;
        put32(d, at, v);
        return d;
    };
    const Case cases[] = {
        {"last row cut short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
        {"header shorter than 40 bytes", std::vector<uint8_t>(good.begin(), good.begin() + 39)},
        {"compressed", with(16, 1)},
        {"16 bits per pixel", with(14, 16)},
        {"zero width", with(4, 0)},
        {"negative width", with(4, uint32_t(-3))},
        {"zero height", with(8, 0)},
        {"most negative height", with(8, 0x80000000u)},
        {"header size past the data", with(0, 4096)},
    };
    for (const Case& c : cases) {
        Bitmap b;
        EXPECT_FALSE(decodeDib(c.data.data(), c.data.size(), b)) << c.reason;
    }
}

TEST(DibDecoding, BlackIsTransparentWhenDrawn) {
    const std::vector<uint8_t> d = makeDib(2, 1, 24, {0x000000, 0x808080}, false);
    Bitmap b;
    ASSERT_TRUE(decodeDib(d.data(), d.size(), b));
    Image image = makeImage(2, 1, {7, 7, 7});
    drawBitmap(image, b, 0, 0, gaugeArea(image));
    EXPECT_EQ(pixelAt(image, 0, 0), (Rgb{7, 7, 7})) << "pure black is never drawn";
    EXPECT_EQ(pixelAt(image, 1, 0), (Rgb{128, 128, 128}));
}

// The altimeter module's bitmaps, read through FindResourceA and friends as the host reads
// them from any module.
class ModuleBitmaps : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryA(MODULE_PATH);
        ASSERT_NE(module, nullptr) << MODULE_PATH;
    }
    void TearDown() override {
        if (!module) return;
        forgetModuleBitmaps(module);
        FreeLibrary(module);
    }
    HMODULE module = nullptr;
};

TEST_F(ModuleBitmaps, SizesFromTheResources) {
    struct Case {
        int32_t id;
        int width, height;
        const char* reason;
    };
    const Case cases[] = {
        {1000, 308, 306, "dial and case"},
        {2003, 130, 21, "long needle"},
        {3003, 93, 15, "middle needle"},
        {3503, 58, 11, "short needle"},
    };
    for (const Case& c : cases) {
        const Bitmap* b = moduleBitmap(module, c.id);
        ASSERT_NE(b, nullptr) << c.reason;
        EXPECT_EQ(b->width, c.width) << c.reason;
        EXPECT_EQ(b->height, c.height) << c.reason;
    }
}

TEST_F(ModuleBitmaps, CachedAndAbsent) {
    const Bitmap* first = moduleBitmap(module, 2003);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(moduleBitmap(module, 2003), first) << "decoded once, then kept";
    EXPECT_EQ(moduleBitmap(module, 2004), nullptr) << "no such resource";
    EXPECT_EQ(moduleBitmap(module, -1), nullptr) << "a String's image id names no bitmap";
    EXPECT_EQ(moduleBitmap(module, 0x10000 + 2003), nullptr) << "ids are 16-bit; no wrap onto 2003";
    EXPECT_EQ(moduleBitmap(nullptr, 2003), nullptr);
}
