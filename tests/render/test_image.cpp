// Image comparison, side-by-side assembly and PNG files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "host/image.h"
#include "printing.h"

using namespace host;

namespace {

// Every pixel its own colour and alpha, so a swapped channel or row shows.
Image pattern(int width, int height) {
    Image image = makeImage(width, height, {});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &image.rgba[(size_t(y) * width + x) * 4];
            p[0] = uint8_t(x * 17);
            p[1] = uint8_t(y * 29);
            p[2] = uint8_t(x * y + 3);
            p[3] = uint8_t(255 - x - y);
        }
    return image;
}

std::string tempPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

}  // namespace

TEST(CompareImages, CountsAndDelta) {
    const Image base = pattern(6, 4);
    auto changed = [&](int x, int y, int channel, int delta) {
        Image out = base;
        uint8_t& v = out.rgba[(size_t(y) * out.width + x) * 4 + channel];
        v = uint8_t(v + delta);
        return out;
    };
    struct Case {
        Image other;
        int tolerance;
        long differing;
        int maxDelta;
        const char* reason;
    };
    const Case cases[] = {
        {base, 0, 0, 0, "identical"},
        {changed(2, 1, 1, 3), 2, 1, 3, "one channel 3 off, tolerance 2: differs"},
        {changed(2, 1, 1, 3), 3, 0, 3, "within tolerance: not counted, delta still reported"},
        {changed(5, 3, 3, 1), 0, 1, 1, "alpha counts too"},
        {pattern(7, 4), 0, 4, 255, "a wider image: its extra column differs fully"},
    };
    for (const Case& c : cases) {
        const ImageDifference d = compareImages(base, c.other, c.tolerance, nullptr);
        EXPECT_EQ(d.differing, c.differing) << c.reason;
        EXPECT_EQ(d.maxChannelDelta, c.maxDelta) << c.reason;
    }
}

TEST(CompareImages, DifferenceImageMarksDifferingPixels) {
    const Image a = makeImage(4, 3, {90, 90, 90});
    Image b = a;
    setPixel(b, 1, 2, {90, 99, 90});
    Image diff;
    compareImages(a, b, 0, &diff);
    ASSERT_EQ(diff.width, 4);
    ASSERT_EQ(diff.height, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(pixelAt(diff, x, y) == (Rgb{255, 0, 0}), x == 1 && y == 2) << x << "," << y;
}

TEST(SideBySide, PlacesImagesWithGaps) {
    const Image left = makeImage(3, 2, {200, 0, 0}), right = makeImage(2, 4, {0, 200, 0});
    const Image both = sideBySide({left, right}, 5);
    EXPECT_EQ(both.width, 3 + 5 + 2);
    EXPECT_EQ(both.height, 4);
    struct Case {
        int x, y;
        Rgb expected;
        const char* reason;
    };
    const Case cases[] = {
        {2, 1, {200, 0, 0}, "left image"}, {2, 2, {0, 0, 0}, "under the shorter image"},
        {3, 0, {0, 0, 0}, "gap"},          {8, 0, {0, 200, 0}, "right image starts after the gap"},
        {9, 3, {0, 200, 0}, "right image's last pixel"},
    };
    for (const Case& c : cases) EXPECT_EQ(pixelAt(both, c.x, c.y), c.expected) << c.reason;
}

TEST(Png, RoundTrip) {
    const Image image = pattern(13, 7);
    const std::string path = tempPath("p9v_render_roundtrip.png");
    ASSERT_TRUE(writePng(image, path));
    Image back;
    ASSERT_TRUE(readPng(path, back));
    EXPECT_EQ(back.width, 13);
    EXPECT_EQ(back.height, 7);
    EXPECT_EQ(back.rgba, image.rgba) << "every channel, alpha included, survives";
    std::remove(path.c_str());
}

TEST(Png, Failures) {
    Image image;
    EXPECT_FALSE(writePng(image, tempPath("p9v_render_empty.png"))) << "an empty image writes no file";
    EXPECT_FALSE(writePng(pattern(2, 2), tempPath("no-such-dir/x.png"))) << "unwritable path";
    EXPECT_FALSE(readPng(tempPath("p9v_render_absent.png"), image)) << "no file";
    const std::string notPng = tempPath("p9v_render_not.png");
    if (FILE* f = std::fopen(notPng.c_str(), "wb")) {
        std::fputs("not a picture", f);
        std::fclose(f);
    }
    EXPECT_FALSE(readPng(notPng, image)) << "not a PNG";
    std::remove(notPng.c_str());
}
