// Test fixture: a library that allocates from its own code, to show the allocation test counts it.
// Uses the C and C++ libraries; no gauge is built like this.
#include <cstdlib>
#include <string>

namespace {
// The allocations escape through here, so the compiler cannot leave them out.
void* volatile kept;
}

extern "C" __attribute__((visibility("default"))) int fixtureAllocate(int how) {
    if (how == 1) {
        int* p = new int[4];
        kept = p;
        delete[] static_cast<int*>(kept);
        kept = std::malloc(16);
        std::free(kept);
        return 1;
    }
    if (how == 2) {
        std::string s(100, 'x');  // past the short-string buffer
        kept = s.data();
        return int(s.size());
    }
    return 0;
}
