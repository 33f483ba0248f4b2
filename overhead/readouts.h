// The overheads' radio and instrument readouts: the six text laws, each stamped once per
// String element it serves (the panel system passes a text law only a double, so the element
// is bound at build time), the compass card laws, and the records both gauges give their
// readouts. Uses the frame and the platform's floating-point guard.
#pragma once

#include <cstdint>

#include "frame/content.h"
#include "platform/fpu.h"

// A double truncated toward zero as a 32-bit x86 conversion gives it: NaN and values outside
// the 32-bit range give INT32_MIN.
int32_t x86Int32(double x);

// The text bodies, once; each writes the element's text buffer, cut after maxChars.
void roundedDigitsText(StringElement& e, double x, int digits);
void signedFourDigitsText(StringElement& e, double x);
void bcdFrequencyTextOf(StringElement& e);
void bcdExtendedFrequencyTextOf(StringElement& e);
void bcdCodeTextOf(StringElement& e);

template <StringElement& e>
double HOSTCALL roundedThreeDigitText(double x) {
    FpuGuard fpu;
    roundedDigitsText(e, x, 3);
    return x;
}

template <StringElement& e>
double HOSTCALL roundedFiveDigitText(double x) {
    FpuGuard fpu;
    roundedDigitsText(e, x, 5);
    return x;
}

template <StringElement& e>
double HOSTCALL signedFourDigitText(double x) {
    FpuGuard fpu;
    signedFourDigitsText(e, x);
    return x;
}

// The BCD laws read their element's variables in integer form; the argument is only returned.
template <StringElement& e>
double HOSTCALL bcdFrequencyText(double x) {
    FpuGuard fpu;
    bcdFrequencyTextOf(e);
    return x;
}

template <StringElement& e>
double HOSTCALL bcdExtendedFrequencyText(double x) {
    FpuGuard fpu;
    bcdExtendedFrequencyTextOf(e);
    return x;
}

template <StringElement& e>
double HOSTCALL bcdCodeText(double x) {
    FpuGuard fpu;
    bcdCodeTextOf(e);
    return x;
}

double HOSTCALL compassCardX(ModuleVar* v);
double HOSTCALL compassCardY(ModuleVar* v);

// Every readout is drawn in the same colours; the rows give the rest.
constexpr StringFields readout(StringFields f) {
    f.foreColour = 0x94ADAD;
    f.backColour = 0x080808;
    f.highlightColour = 0x94ADAD;
    return f;
}

// Failure records and highlight lists of the readouts, the same in both gauges. A frequency
// has its point at index 3, so its two digit groups are 0-2 and 4-5; the code has one digit
// in each of 0 to 3; the extended frequency keeps its three BCD digits in 1 to 3 in both forms.
inline constexpr FailureEntry readoutFailure[] = {{1, 3, 0}, {0, 0, 0}};
inline constexpr FailureEntry compassFailure[] = {{12, 1, 0}, {0, 0, 0}};
inline constexpr FailureEntry frequency24Failure[] = {{1, 3, 0}, {14, 1, 0}, {0, 0, 0}};
inline constexpr FailureEntry frequency27Failure[] = {{1, 3, 0}, {15, 1, 0}, {0, 0, 0}};
inline constexpr FailureEntry frequency23Failure[] = {{1, 3, 0}, {9, 1, 0}, {0, 0, 0}};
inline constexpr FailureEntry extendedFrequencyFailure[] = {{1, 3, 0}, {5, 1, 0}, {0, 0, 0}};
inline constexpr FailureEntry codeFailure[] = {{1, 3, 0}, {17, 1, 0}, {0, 0, 0}};

inline constexpr HighlightEntry frequency24Highlights[] = {{6, 0, 2}, {7, 4, 5}, {0, 0, 0}};
inline constexpr HighlightEntry frequency27Highlights[] = {{8, 0, 2}, {9, 4, 5}, {0, 0, 0}};
inline constexpr HighlightEntry frequency23Highlights[] = {{4, 0, 2}, {5, 4, 5}, {0, 0, 0}};
inline constexpr HighlightEntry extendedFrequencyHighlights[] = {{19, 0, 1}, {20, 2, 2}, {21, 3, 5}, {0, 0, 0}};
inline constexpr HighlightEntry codeHighlights[] = {{10, 0, 0}, {11, 1, 1}, {12, 2, 2}, {13, 3, 3}, {0, 0, 0}};
