// Text helpers of the frame: correctly rounded fixed-point formatting of doubles.
#include "text.h"

#include <cstring>

namespace frame {

namespace {

// Decimal digits of the exact integer m * 2^shift, most significant first; returns the count.
// Only whole values come here, so shift is at most 971 and the result has at most 309
// digits.
size_t wholeDigits(uint64_t m, int shift, char* digits) {
    constexpr uint32_t base = 1000000000;
    uint32_t limbs[40] = {};
    size_t used = 0;
    for (; m; m /= base) limbs[used++] = uint32_t(m % base);
    for (int i = 0; i < shift; ++i) {
        uint32_t carry = 0;
        for (size_t k = 0; k < used; ++k) {
            uint64_t v = uint64_t(limbs[k]) * 2 + carry;
            limbs[k] = uint32_t(v % base);
            carry = uint32_t(v / base);
        }
        if (carry) limbs[used++] = carry;
    }
    size_t n = 0;
    for (size_t k = used; k-- > 0;) {
        char group[9];
        uint32_t v = limbs[k];
        for (int d = 8; d >= 0; --d, v /= 10) group[d] = char('0' + v % 10);
        int from = 0;
        if (k == used - 1)
            while (from < 8 && group[from] == '0') ++from;
        for (int d = from; d < 9; ++d) digits[n++] = group[d];
    }
    if (n == 0) digits[n++] = '0';
    return n;
}

}  // namespace

void formatFixed(char* out, size_t size, double value, int width, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 3) decimals = 3;
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    bool negative = bits >> 63;
    int exponent = int((bits >> 52) & 0x7FF);
    uint64_t mantissa = bits & ((uint64_t(1) << 52) - 1);

    char body[400];
    size_t n = 0;
    if (negative) body[n++] = '-';
    if (exponent == 0x7FF) {
        const char* word = mantissa ? "nan" : "inf";
        for (int i = 0; word[i]; ++i) body[n++] = word[i];
    } else {
        if (exponent == 0)
            exponent = 1;  // subnormal
        else
            mantissa |= uint64_t(1) << 52;
        int shift = exponent - 1075;  // value = mantissa * 2^shift
        if (shift >= 0) {
            // A whole number: its digits, then zero decimals.
            n += wholeDigits(mantissa, shift, body + n);
            if (decimals) body[n++] = '.';
            for (int d = 0; d < decimals; ++d) body[n++] = '0';
        } else {
            uint64_t scale = 1;
            for (int d = 0; d < decimals; ++d) scale *= 10;
            uint64_t scaled;  // value * 10^decimals, rounded
            {
                // mantissa * scale < 2^63; drop -shift bits with round-half-even.
                uint64_t x = mantissa * scale;
                int drop = -shift;
                if (drop >= 64) {
                    scaled = 0;  // below a sixteenth of the last place
                } else {
                    uint64_t quotient = x >> drop;
                    uint64_t rest = x & ((uint64_t(1) << drop) - 1);
                    uint64_t half = uint64_t(1) << (drop - 1);
                    scaled = quotient + ((rest > half || (rest == half && (quotient & 1))) ? 1 : 0);
                }
            }
            char digits[24];
            size_t count = 0;
            for (uint64_t v = scaled; v || count <= size_t(decimals); v /= 10) digits[count++] = char('0' + v % 10);
            for (size_t k = count; k-- > 0;) {
                body[n++] = digits[k];
                if (k == size_t(decimals) && decimals) body[n++] = '.';
            }
        }
    }
    size_t pad = n < size_t(width) ? size_t(width) - n : 0;
    size_t k = 0;
    for (; k < pad && k + 1 < size; ++k) out[k] = ' ';
    for (size_t i = 0; i < n && k + 1 < size; ++i) out[k++] = body[i];
    if (size) out[k] = '\0';
}

}  // namespace frame
