// The engine set's value laws on the examples and edges that matter: full scale, wrap-around,
// floors and clamps, NaN and values far beyond any scale. Uses the law file only.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engines/laws.h"

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double twoTo32 = 4294967296.0;

// An expected result: exact (tolerance 0, bit for bit, NaN matching NaN) or within tolerance.
void expectResult(double got, double expected, double tolerance, const char* reason) {
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(got)) << reason << ": got " << got;
    } else if (tolerance == 0) {
        EXPECT_EQ(got, expected) << reason;
    } else {
        EXPECT_NEAR(got, expected, tolerance) << reason;
    }
}

TEST(CommonScale, RawValuesMapExactlyOntoTheTableScale) {
    struct Case {
        double raw, expected;
        const char* reason;
    } cases[] = {
        {8192, 1200, "8192 * 600 / 4096 is the tachometer's 1200 row"},
        {16384, 2400, "twice the raw value, twice the scaled value"},
        {0, 0, "zero stays zero"},
        {-8192, -1200, "the scale keeps the sign; the laws floor it afterwards"},
        {1, 0.146484375, "the factor itself, 600 / 4096"},
    };
    for (const auto& c : cases) expectResult(commonScale(c.raw), c.expected, 0, c.reason);
}

TEST(WrapAround, StoredReciprocalsAreTheNearestDoubles) {
    for (const WrapScale* s : {&wrap3500, &wrap4000, &wrap4500, &wrap5000, &wrap10000})
        EXPECT_EQ(s->r, 1.0 / s->n) << "r of the " << s->n << " scale";
}

TEST(WrapAround, FullScaleWrapFloorAndHugeValues) {
    struct Case {
        const WrapScale& scale;
        double a, expected, tolerance;
        const char* reason;
    } cases[] = {
        // Exactly full scale is the end of the scale, not its start.
        {wrap3500, 3500, 3500, 0, "N gives N"},
        {wrap4000, 4000, 4000, 0, "N gives N"},
        {wrap4500, 4500, 4500, 0, "N gives N"},
        {wrap5000, 5000, 5000, 0, "N gives N"},
        {wrap10000, 10000, 10000, 0, "N gives N"},
        // Above full scale the needle starts again from zero; the products round as shown.
        {wrap3500, 3600, 0x1.900000000001ep+6, 0, "N + 100 gives about 100.0000000000004"},
        {wrap4000, 4100, 0x1.8ffffffffffe7p+6, 0, "N + 100 gives about 99.9999999999996"},
        {wrap4500, 4600, 0x1.900000000002dp+6, 0, "N + 100 gives about 100.0000000000006"},
        {wrap5000, 5100, 0x1.9000000000006p+6, 0, "N + 100 gives about 100.0000000000001"},
        {wrap10000, 10100, 0x1.9000000000006p+6, 0, "N + 100 gives about 100.0000000000001"},
        {wrap3500, 7000, 0, 0, "2N gives 0"},
        {wrap4000, 8000, 0, 0, "2N gives 0"},
        {wrap4500, 9000, 0, 0, "2N gives 0"},
        {wrap5000, 10000, 0, 0, "2N gives 0"},
        {wrap10000, 20000, 0, 0, "2N gives 0"},
        {wrap4000, 4000.5, 0.5, 1e-9, "just past full scale is just past zero"},
        // Not at least 0: the needle rests on zero.
        {wrap3500, 0, 0, 0, "zero gives zero"},
        {wrap3500, -1, 0, 0, "negative gives zero"},
        {wrap10000, -1e300, 0, 0, "hugely negative gives zero"},
        {wrap5000, nan, 0, 0, "NaN is not at least 0"},
        {wrap5000, -inf, 0, 0, "minus infinity gives zero"},
        // Beyond 2^32 turns of the scale the integer part no longer fits 32 bits; the
        // result is still the value modulo N.
        {wrap3500, (twoTo32 + 0.5) * 3500, 1750, 0.01, "2^32 and a half turns: half scale"},
        {wrap4000, (twoTo32 + 0.5) * 4000, 2000, 0.01, "2^32 and a half turns: half scale"},
        {wrap4500, (twoTo32 + 0.5) * 4500, 2250, 0.01, "2^32 and a half turns: half scale"},
        {wrap5000, (twoTo32 + 0.5) * 5000, 2500, 0.01, "2^32 and a half turns: half scale"},
        {wrap10000, (twoTo32 + 0.5) * 10000, 5000, 0.01, "2^32 and a half turns: half scale"},
        {wrap5000, (1099511627776.0 + 0.75) * 5000, 3750, 2, "2^40 and three quarter turns, to within rounding"},
        {wrap3500, 1e300, 0, 0, "every double this large is a whole number of turns"},
        {wrap3500, inf, 0, 0, "infinity gives zero, not NaN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "N = " << c.scale.n << ", a = " << c.a);
        expectResult(wrapAround(c.a, c.scale), c.expected, c.tolerance, c.reason);
    }
}

// Whatever the scaled value, a wrap-around law keeps its needle on the scale.
TEST(WrapAround, ResultStaysOnTheScaleAtEveryMagnitude) {
    for (const WrapScale* s : {&wrap3500, &wrap4000, &wrap4500, &wrap5000, &wrap10000}) {
        for (double a = 1; a < 1e306; a *= 1.37) {
            double got = wrapAround(a, *s);
            ASSERT_TRUE(got >= 0 && got <= s->n) << "N = " << s->n << ", a = " << a << " gave " << got;
        }
    }
}

TEST(ManifoldPressure, CompanionSwitchFloorAndWrap) {
    struct Case {
        double companion, a, expected, tolerance;
        const char* reason;
    } cases[] = {
        // Companion at or below 6000: the own value is not used.
        {0, 3000, 2250, 0, "companion 0 rests on the 30 mark"},
        {6000, 12000, 1590, 0, "companion exactly 6000 gives 1590 whatever the own value"},
        {6000, 300, 1590, 0, "companion exactly 6000 gives 1590 whatever the own value"},
        {6000, nan, 1590, 0, "the own value is not looked at, even NaN"},
        {-100, 3000, 2261, 1e-9, "a negative companion reads above 2250"},
        {nan, 3000, nan, 0, "a NaN companion counts as at most 6000; 2250 - NaN * 0.11 is NaN"},
        // Companion above 6000: the own scaled value, floored at 500, wrapped above 6000.
        {6000.5, 300, 500, 0, "below the lowest table row: floored at 500"},
        {6000.5, 499.99, 500, 0, "just below the floor"},
        {6000.5, 500, 500, 0, "the floor itself"},
        {6000.5, -20, 500, 0, "negative: floored"},
        {6000.5, nan, 500, 0, "NaN is not at least 500"},
        {6000.5, 6000, 6000, 0, "6000 itself is kept"},
        {6000.5, 6000.5, 3600.3, 1e-9, "past 6000 the wrap multiplies by 1/10000 but wraps at 6000"},
        {6000.5, 7000, 4200, 1e-9, "7000 reads 4200"},
        {6000.5, 10000, 0, 0, "10000 reads 0"},
        {6000.5, 12000, 1200, 1e-9, "12000 reads about 1200"},
        {inf, 3000, 3000, 0, "an infinite companion is above 6000"},
        {6000.5, (twoTo32 + 0.5) * 10000, 3000, 0.01, "beyond 2^32 ten-thousands: still wraps"},
        {6000.5, 1e300, 0, 0, "huge values are whole numbers of turns"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "companion = " << c.companion << ", a = " << c.a);
        expectResult(manifoldPressure(c.companion, c.a), c.expected, c.tolerance, c.reason);
    }
}

TEST(OutsideAirTemperature, ScaledBy256AndClamped) {
    struct Case {
        double value, expected;
        const char* reason;
    } cases[] = {
        {0.25, 50, "64 is clamped to 50"},
        {-0.1, -25.6, "within the scale: value * 256"},
        {-1, -50, "-256 is clamped to -50"},
        {0, 0, "zero reads zero"},
        {50.0 / 256, 50, "exactly the top of the scale"},
        {-50.0 / 256, -50, "exactly the bottom of the scale"},
        {inf, 50, "clamped"},
        {-inf, -50, "clamped"},
        {nan, nan, "NaN passes both comparisons unchanged"},
    };
    for (const auto& c : cases) expectResult(outsideAirTemperature(c.value), c.expected, 0, c.reason);
}

}  // namespace
