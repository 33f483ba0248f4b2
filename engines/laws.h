// The engine set's value laws: how a host variable becomes a needle value on its calibration
// table. Pure arithmetic on doubles, no state; uses nothing but the language.
#pragma once

// A wrap-around law's full-scale value n and the reciprocal r it multiplies by, stored as the
// double nearest to 1 / n.
struct WrapScale {
    double n;
    double r;
};

constexpr WrapScale wrap3500{3500, 0.00028571428571428574};  // tachometers
constexpr WrapScale wrap4000{4000, 0.00025};                 // oil temperature
constexpr WrapScale wrap4500{4500, 0.00022222222222222223};  // carburettor air temperature
constexpr WrapScale wrap5000{5000, 0.0002};                  // oil pressure
constexpr WrapScale wrap10000{10000, 0.0001};                // fuel pressure, cylinder-head temperature

// The common scale every law but the outside air temperature starts from:
// value * 0.006103515625 * 24 (600 / 4096), the two products taken in that order.
double commonScale(double value);

// A scaled value a on a scale that starts again from zero above full scale: 0 when a is not
// at least 0 (NaN included), a itself up to and including n, else a modulo n.
double wrapAround(double a, const WrapScale& scale);

// Manifold pressure from the engine's oil pressure companion c (unscaled) and the needle's
// own scaled value a. While c is at most 6000 (or NaN) the needle shows 2250 - c * 0.11 and a
// is not looked at; otherwise a is floored at 500 and wrapped above 6000.
double manifoldPressure(double companion, double a);

// Outside air temperature: value * 256, clamped to -50 .. 50.
double outsideAirTemperature(double value);
