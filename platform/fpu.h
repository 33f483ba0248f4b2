// Floating-point guard for routines the panel system calls. On 32-bit x86 the x87 precision
// belongs to the calling process (extended, double or single precision, depending on the
// simulator and its graphics driver), so a routine that computes with doubles sets double
// precision with round-to-nearest for its own work and puts the caller's control word back
// when it returns. Elsewhere doubles are SSE doubles and the guard does nothing.
#pragma once

#include <cstdint>

#if defined(__i386__)
class FpuGuard {
public:
    FpuGuard() {
        asm volatile("fnstcw %0" : "=m"(saved_) : : "memory");
        uint16_t ours = uint16_t((saved_ & ~0x0F00u) | 0x0200u);  // double precision, nearest
        asm volatile("fldcw %0" : : "m"(ours) : "memory");
    }
    ~FpuGuard() { asm volatile("fldcw %0" : : "m"(saved_) : "memory"); }
    FpuGuard(const FpuGuard&) = delete;
    FpuGuard& operator=(const FpuGuard&) = delete;

private:
    uint16_t saved_;
};
#else
class FpuGuard {
public:
    FpuGuard() {}
    FpuGuard(const FpuGuard&) = delete;
    FpuGuard& operator=(const FpuGuard&) = delete;
};
#endif
