// The renderer on a built module installed in the panel host: the altimeter's dial, needles
// and setting window drawn from its own bitmap resources and its host-side state.
#include <gtest/gtest.h>

#include <string>

#include "host/render.h"
#include "printing.h"

using namespace host;

namespace {

// Both altimeters, 2291 pixels apart: the left one's needles pivot on 153, 153 and its
// setting window is at 200, 145 (60 x 22).
Image altimeterAt(double feet, double setting) {
    Panel panel;
    panel.variables.set(74, feet);
    panel.variables.set(76, setting);
    std::string error;
    Module* m = panel.load(MODULE_PATH, error);
    EXPECT_NE(m, nullptr) << error;
    if (!m) return {};
    panel.install(*m);
    panel.initialize(*m);
    for (int i = 0; i < 100; ++i) panel.update(*m);
    Image image = renderGauge(*m, {});
    panel.kill(*m);
    panel.unload(m);
    return image;
}

}  // namespace

TEST(InstalledAltimeter, DrawnFromItsResourcesAndState) {
    const Image zero = altimeterAt(0, 29.92), fiveHundred = altimeterAt(500, 29.92), other = altimeterAt(0, 30.12);
    ASSERT_EQ(zero.width, 2291 + 308) << "both dials";
    ASSERT_EQ(zero.height, 306);
    // Only the long needles reach 100 pixels from their pivot: straight up at 0 feet,
    // straight down at 500.
    for (int pivotX : {153, 153 + 2291}) {
        EXPECT_NE(gaugePixelAt(zero, pivotX, 53), gaugePixelAt(fiveHundred, pivotX, 53))
            << "long needle up at 0 feet, pivot x " << pivotX;
        EXPECT_NE(gaugePixelAt(zero, pivotX, 253), gaugePixelAt(fiveHundred, pivotX, 253))
            << "long needle down at 500 feet, pivot x " << pivotX;
    }
    const Rect windows[] = {{200, 145, 60, 22}, {200 + 2291, 145, 60, 22}};
    Image diff;
    EXPECT_GT(compareImages(zero, other, 0, &diff).differing, 0) << "the setting text changes";
    for (int y = 0; y < diff.height; ++y)
        for (int x = 0; x < diff.width; ++x)
            if (pixelAt(diff, x, y) == (Rgb{255, 0, 0})) {
                ASSERT_TRUE(windows[0].contains(x, y) || windows[1].contains(x, y))
                    << x << "," << y << ": only the windows change";
            }
}
