// The few C library routines the compiler and the standard formatting code call, for the
// Windows modules, which link no C runtime: Windows 98 lacks what current runtimes import.
// Built with -fno-builtin so the loops stay loops.
#include <cstddef>

extern "C" {

void* memcpy(void* to, const void* from, size_t n) {
    auto* d = static_cast<unsigned char*>(to);
    auto* s = static_cast<const unsigned char*>(from);
    while (n--) *d++ = *s++;
    return to;
}

void* memmove(void* to, const void* from, size_t n) {
    auto* d = static_cast<unsigned char*>(to);
    auto* s = static_cast<const unsigned char*>(from);
    if (d < s)
        while (n--) *d++ = *s++;
    else
        while (n--) d[n] = s[n];
    return to;
}

void* memset(void* to, int value, size_t n) {
    auto* d = static_cast<unsigned char*>(to);
    while (n--) *d++ = static_cast<unsigned char>(value);
    return to;
}

int memcmp(const void* a, const void* b, size_t n) {
    auto* p = static_cast<const unsigned char*>(a);
    auto* q = static_cast<const unsigned char*>(b);
    for (; n--; ++p, ++q)
        if (*p != *q) return *p < *q ? -1 : 1;
    return 0;
}

size_t strlen(const char* s) {
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}
}
