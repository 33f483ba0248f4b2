// The engine set's value laws. Pure arithmetic; uses nothing but the language.
#include "laws.h"

#include <cstdint>

namespace {

// The fractional part of k > 0, as the wrap step takes it: k minus its integer part as an
// unsigned 32-bit integer. That conversion only exists for k below 2^32; above it the
// fractional part is taken through a 64-bit integer, and from 2^52 up (and at infinity)
// every double is a whole number, so the fraction is 0. Results below 2^32 are unchanged.
double fractionOf(double k) {
    if (k < 4294967296.0) return k - static_cast<double>(static_cast<uint32_t>(k));
    if (k < 4503599627370496.0) return k - static_cast<double>(static_cast<int64_t>(k));
    return 0.0;
}

}  // namespace

double commonScale(double value) { return value * 0.006103515625 * 24; }

double wrapAround(double a, const WrapScale& scale) {
    if (!(a >= 0)) return 0;
    if (a <= scale.n) return a;
    return fractionOf(a * scale.r) * scale.n;
}

double manifoldPressure(double companion, double a) {
    if (!(companion > 6000)) return 2250 - companion * 0.11;
    if (!(a >= 500)) return 500;  // the lowest row of the manifold pressure table
    if (a <= 6000) return a;
    // Multiplies by 1 / 10000 but wraps at 6000: a = 7000 reads 4200, a = 10000 reads 0.
    return fractionOf(a * 0.0001) * 6000;
}

double outsideAirTemperature(double value) {
    double x = value * 256;
    if (x > 50) return 50;
    if (x < -50) return -50;
    return x;
}
