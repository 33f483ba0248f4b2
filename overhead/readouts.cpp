// The readout laws of both overheads. Integers are formatted by hand, as "%0Nd" and "%0NX"
// format them, so both builds write the same text without a C runtime. Every text is cut
// after the element's maxChars characters: the panel system's buffer holds only maxChars + 1
// bytes, and some texts (the code's trailing spaces, the long extended frequency, values far
// out of range) are longer. Uses the frame and the platform's floating-point guard.
#include "readouts.h"

#include "frame/text.h"

int32_t x86Int32(double x) {
    if (!(x >= -2147483648.0 && x < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(x);
}

namespace {

// The local text area a law builds its text in, cleared to zero. The longest text (the long
// extended frequency with eight hexadecimal digits) takes 14 characters and its terminator.
struct TextArea {
    char at[15] = {};
    int length = 0;

    void put(char c) {
        if (length < int(sizeof at) - 1) at[length++] = c;
    }
};

// As "%0*d": a minus sign counts toward the width.
void putDecimal(TextArea& t, int32_t value, int width) {
    char digits[10];
    int count = 0;
    uint32_t magnitude = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
    do {
        digits[count++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    int length = count + (value < 0 ? 1 : 0);
    if (value < 0) t.put('-');
    for (; length < width; ++length) t.put('0');
    while (count) t.put(digits[--count]);
}

// As "%0*X": the 32 bits unsigned, upper-case digits.
void putHex(TextArea& t, int32_t value, int width) {
    char digits[8];
    int count = 0;
    uint32_t bits = uint32_t(value);
    do {
        digits[count++] = "0123456789ABCDEF"[bits & 0xF];
        bits >>= 4;
    } while (bits);
    for (int length = count; length < width; ++length) t.put('0');
    while (count) t.put(digits[--count]);
}

}  // namespace

void roundedDigitsText(StringElement& e, double x, int digits) {
    // Half away from zero: 2.5 gives 3, -0.5 gives -1, -0.4 gives 0.
    double r = x > 0 ? x + 0.5 : x - 0.5;
    TextArea t;
    putDecimal(t, x86Int32(r), digits);
    frame::writeText(e, t.at);
}

void signedFourDigitsText(StringElement& e, double x) {
    // Truncates. Below -999 the number's own minus sign takes the sign column; otherwise the
    // sign column holds '-' or a space in front of four digits.
    TextArea t;
    if (x < -999) {
        putDecimal(t, x86Int32(x), 4);
    } else if (x < 0) {
        t.put('-');
        putDecimal(t, -x86Int32(x), 4);
    } else {
        t.put(' ');
        putDecimal(t, x86Int32(x), 4);
    }
    frame::writeText(e, t.at);
}

void bcdFrequencyTextOf(StringElement& e) {
    // A '1' and the four BCD digits, then the last two moved right to make room for the point:
    // 0x2310 reads 123.10.
    TextArea t;
    t.put('1');
    putHex(t, integerValue(e.variable1), 4);
    t.at[5] = t.at[4];
    t.at[4] = t.at[3];
    t.at[3] = '.';
    frame::writeText(e, t.at);
}

void bcdExtendedFrequencyTextOf(StringElement& e) {
    // Without the extension (variable2 zero) a space stands where the long form's leading digit
    // does, so the three BCD digits keep their places 1 to 3 in both forms.
    TextArea t;
    double extended = e.variable2.value;
    if (extended == 0.0 || extended != extended) {
        t.put(' ');
        putHex(t, integerValue(e.variable1), 3);
    } else {
        int32_t extension = integerValue(e.variable3);
        t.put(uint32_t(extension) > 255 ? '1' : '0');
        putHex(t, integerValue(e.variable1), 3);
        t.put('.');
        putDecimal(t, extension & 0xFF, 0);
    }
    frame::writeText(e, t.at);
}

void bcdCodeTextOf(StringElement& e) {
    TextArea t;
    putHex(t, integerValue(e.variable1), 4);
    t.at[4] = ' ';
    t.at[5] = ' ';
    frame::writeText(e, t.at);
}

double HOSTCALL compassCardX(ModuleVar* v) {
    FpuGuard fpu;
    // The card is a heading scale read from its right end; a heading outside 0 to 360 parks it
    // at 0.
    double d = 360.0 - v->value;
    if (d < 0.0 || d != d) return 0.0;
    if (d <= 360.0) return d;
    return 0.0;
}

double HOSTCALL compassCardY(ModuleVar*) { return 1.0; }
