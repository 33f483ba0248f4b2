// Fuzz target: every text law of the gauges on arbitrary inputs and field widths.
// Uses the readout laws (compiled in), the frame's text helpers and the standard library.
//
// Every text law of the gauges with arbitrary doubles and 32-bit integers in its
// variables and argument, and arbitrary field widths. The text buffer is a heap block of
// exactly maxChars + 1 bytes, as the panel system promises, so a write past it is reported; the
// text must end inside it, hold at most maxChars characters, and be what the law's rules give
// for its input (checked against the standard formatting where the rules are "%0Nd", "%0NX" or
// "%.Nf"). The laws' returned value must be the argument, bit for bit. Covers the six readout
// laws of the overheads and the compass card laws (compiled in from overhead/readouts.cpp) and
// the fixed-point formatting of the altimeter's setting window.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/content.h"
#include "frame/text.h"
#include "fuzz_input.h"
#include "overhead/readouts.h"

namespace {

void check(bool condition, const std::string& what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what.c_str());
        std::abort();
    }
}

void same(const std::string& got, const std::string& expected, const std::string& what) {
    check(got == expected, what + ": wrote '" + got + "', the rules give '" + expected + "'");
}

std::string cut(const std::string& text, uint32_t maxChars) { return text.substr(0, maxChars); }

// What a 32-bit x86 conversion gives.
int32_t x86(double x) { return (x >= -2147483648.0 && x < 2147483648.0) ? int32_t(x) : INT32_MIN; }

std::string printed(const char* format, long long v) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

// One String lawElement of each law, as the gauges make them, driven by the input.
StringElement lawElement{};

template <double(HOSTCALL* law)(double)>
std::string run(double x, uint32_t maxChars) {
    std::vector<char> buffer(size_t(maxChars) + 1, '\x7f');
    buffer.shrink_to_fit();
    lawElement.maxChars = maxChars;
    lawElement.textBuffer = buffer.data();
    double back = law(x);
    check(std::memcmp(&back, &x, sizeof x) == 0, "a text law must return its argument unchanged");
    size_t n = strnlen(buffer.data(), buffer.size());
    check(n < buffer.size(), "the text does not end inside the buffer");
    check(n <= maxChars, "the text is longer than maxChars");
    lawElement.textBuffer = nullptr;
    return std::string(buffer.data(), n);
}

std::string roundedExpected(double x, int digits) {
    double r = x > 0 ? x + 0.5 : x - 0.5;
    return printed(digits == 3 ? "%03lld" : "%05lld", x86(r));
}

std::string signedExpected(double x) {
    if (x < -999) return printed("%04lld", x86(x));
    if (x < 0) return "-" + printed("%04lld", -(long long)x86(x));
    return " " + printed("%04lld", x86(x));
}

std::string frequencyExpected(int32_t v) {
    std::string t = printed("1%04llX", (long long)uint32_t(v));
    t.resize(std::max<size_t>(t.size(), 6), '\0');
    t[5] = t[4];
    t[4] = t[3];
    t[3] = '.';
    return t.substr(0, strnlen(t.c_str(), t.size()));
}

std::string extendedExpected(double flag, int32_t v1, int32_t v3) {
    if (flag == 0 || std::isnan(flag)) return " " + printed("%03llX", (long long)uint32_t(v1));
    return std::string(uint32_t(v3) > 255 ? "1" : "0") + printed("%03llX", (long long)uint32_t(v1)) + "." +
           printed("%lld", v3 & 0xFF);
}

// Four or more hexadecimal digits with positions 4 and 5 made spaces: more than five digits
// keep their tail after the two spaces.
std::string codeExpected(int32_t v) {
    std::string t = printed("%04llX", (long long)uint32_t(v));
    if (t.size() < 6) t.resize(6, ' ');
    t[4] = t[5] = ' ';
    return t;
}

void setSlot(ModuleVar& v, double d) { v.value = d; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    uint8_t law = in.byte();
    uint32_t maxChars = in.byte() % 24;
    double x = in.number();
    setSlot(lawElement.variable1, in.number());
    setSlot(lawElement.variable2, in.number());
    setSlot(lawElement.variable3, in.number());
    int32_t v1 = integerValue(lawElement.variable1);
    int32_t v3 = integerValue(lawElement.variable3);
    const std::string law_ = "law " + std::to_string(law % 9);

    switch (law % 9) {
        case 0:
            same(run<roundedThreeDigitText<lawElement>>(x, maxChars), cut(roundedExpected(x, 3), maxChars), law_);
            break;
        case 1:
            same(run<roundedFiveDigitText<lawElement>>(x, maxChars), cut(roundedExpected(x, 5), maxChars), law_);
            break;
        case 2:
            same(run<signedFourDigitText<lawElement>>(x, maxChars), cut(signedExpected(x), maxChars), law_);
            break;
        case 3:
            same(run<bcdFrequencyText<lawElement>>(x, maxChars), cut(frequencyExpected(v1), maxChars), law_);
            break;
        case 4:
            same(run<bcdExtendedFrequencyText<lawElement>>(x, maxChars), cut(extendedExpected(lawElement.variable2.value, v1, v3), maxChars),
                  law_);
            break;
        case 5:
            same(run<bcdCodeText<lawElement>>(x, maxChars), cut(codeExpected(v1), maxChars), law_);
            break;
        case 6: {
            ModuleVar v{};
            v.value = x;
            double card = compassCardX(&v);
            double d = 360.0 - x;
            double expected = (d < 0 || std::isnan(d) || d > 360) ? 0.0 : d;
            check(std::memcmp(&card, &expected, sizeof card) == 0 || (card == 0 && expected == 0),
                  "compassCardX");
            check(compassCardY(&v) == 1.0, "compassCardY");
            break;
        }
        default: {
            // The altimeter window's fixed-point text: "%*.*f" for up to three decimals.
            int width = int(in.byte() % 12);
            int decimals = int(in.byte() % 4);
            size_t room = size_t(in.byte() % 40) + 1;
            std::vector<char> out(room, '\x7f');
            out.shrink_to_fit();
            frame::formatFixed(out.data(), out.size(), x, width, decimals);
            size_t n = strnlen(out.data(), out.size());
            check(n < out.size(), "formatFixed: the text does not end inside the room given");
            std::vector<char> expected(512);
            std::snprintf(expected.data(), expected.size(), "%*.*f", width, decimals, x);
            check(std::string(out.data(), n) == std::string(expected.data()).substr(0, room - 1),
                  "formatFixed differs from %*.*f: got '" + std::string(out.data(), n) + "', expected '" +
                      expected.data() + "'");
            break;
        }
    }
    return 0;
}
