// Reading a fuzz input as typed values, and keeping modules mapped while the fuzzer runs.
// Shared by the fuzz targets; uses the standard library and the dynamic linker.
//
// Reading a fuzz input as a stream of typed values: a byte, a 32-bit word, a double (its raw
// bits, so every NaN, infinity and subnormal comes up), or the rest as bytes. Past the end
// every read gives zero. Shared by the fuzz targets, with the module mapping they need; uses
// the standard library and the dynamic linker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fuzz {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return used_ >= size_; }
    size_t left() const { return size_ - used_; }

    uint8_t byte() {
        uint8_t v = 0;
        take(&v, 1);
        return v;
    }
    uint32_t word() {
        uint32_t v = 0;
        take(&v, 4);
        return v;
    }
    double number() {
        double v = 0;
        take(&v, 8);
        return v;
    }
    const uint8_t* rest(size_t& n) {
        n = left();
        const uint8_t* at = data_ + used_;
        used_ = size_;
        return at;
    }

private:
    void take(void* out, size_t n) {
        size_t k = n < left() ? n : left();
        if (k) std::memcpy(out, data_ + used_, k);
        used_ += k;
    }

    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
};

}  // namespace fuzz

#include <dlfcn.h>

#include <string>

namespace fuzz {

// Maps every gauge module of `dir` for the rest of the process, so that a panel unloading a
// module leaves its code and data mapped: the fuzzer keeps counting coverage in every library
// it has seen and would read an unmapped module's counters. A module loaded again then keeps
// the globals it had (as a module that was never unloaded would).
inline void keepModulesMapped(const std::string& dir) {
    for (const char* m : {"altimeter_pair", "fo_overhead", "captain_overhead", "engine_set", "cowl_flaps"})
        dlopen((dir + "/" + m + ".so").c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

}  // namespace fuzz
