// Module directories: next to the program first.
#include "paths.h"

#include "platform/win.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace host {

std::vector<std::string> defaultModuleDirs(const char* argv0) {
    std::string program;
#if defined(_WIN32)
    char path[1024];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    program.assign(path, n);
    (void)argv0;
#else
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    program = n > 0 ? std::string(path, size_t(n)) : std::string(argv0 ? argv0 : "");
#endif
    size_t slash = program.find_last_of("/\\");
    std::string dir = slash == std::string::npos ? "." : program.substr(0, slash);
    return {dir, dir + "/../../dist", "dist"};
}

}  // namespace host
