// The frame's text helpers: fixed-point formatting that must give the C library's "%*.*f"
// text for every double (both module builds rely on it instead of a C runtime), and the cut
// of a text to its field.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

#include "frame/text.h"

namespace {

std::string ours(double v, int width, int decimals, size_t size = 400) {
    char out[400];
    frame::formatFixed(out, size, v, width, decimals);
    return out;
}

std::string libc(double v, int width, int decimals) {
    char out[400];
    std::snprintf(out, sizeof out, "%*.*f", width, decimals, v);
    return out;
}

TEST(FormatFixed, MatchesTheCLibraryOnChosenValues) {
    const double values[] = {0.0, -0.0, 0.5, 1.5, 2.5, 0.125, 0.375, 29.92, 1013.25, 1012.5, 950, 9.995,
                             0.005, 0.015, -0.001, 30.005, 1e17, 123456789012345678.0, 9007199254740993.0,
                             1e300, -1e20, 5e-324, std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (double v : values)
        for (int decimals = 0; decimals <= 3; ++decimals)
            EXPECT_EQ(ours(v, 5, decimals), libc(v, 5, decimals)) << v << " with " << decimals << " decimals";
}

TEST(FormatFixed, MatchesTheCLibraryOnRandomDoubles) {
    std::mt19937_64 random(20261211);
    int mismatches = 0;
    for (int i = 0; i < 40000 && mismatches < 10; ++i) {
        uint64_t bits = random();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isnan(v)) continue;
        // Also values near the scale of the gauges' settings, where ties occur.
        double near = double(int64_t(random() % 4000000) - 2000000) / double(1 << (random() % 12));
        for (double x : {v, near})
            for (int decimals : {0, 2}) {
                std::string a = ours(x, 4, decimals), b = libc(x, 4, decimals);
                if (a != b) {
                    ++mismatches;
                    ADD_FAILURE() << x << ": " << a << " instead of " << b;
                }
            }
    }
}

TEST(FormatFixed, NotANumberAndCutToTheOutputSize) {
    EXPECT_EQ(ours(std::nan(""), 5, 2), "  nan");
    EXPECT_EQ(ours(1013.25, 4, 0, 3), "10") << "NUL-terminated within the given size";
}

TEST(WriteText, CutsAfterMaxCharsAndNeverWritesPastTheBuffer) {
    struct Case {
        uint32_t maxChars;
        const char* text;
        const char* shown;
    };
    const Case cases[] = {{5, "29.92", "29.92"}, {5, "1013 ", "1013 "}, {3, "1234.5", "123"}, {4, "", ""},
                          {0, "abc", ""}};
    for (const Case& c : cases) {
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        StringElement s{};
        s.maxChars = c.maxChars;
        s.textBuffer = buffer;
        frame::writeText(s, c.text);
        EXPECT_STREQ(buffer, c.shown);
        EXPECT_EQ(buffer[c.maxChars + 1], '#') << "the byte after maxChars + 1 is untouched";
    }
}

}  // namespace
