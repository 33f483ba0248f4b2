// Where the panel host looks for modules when given a name.
#pragma once

#include <string>
#include <vector>

namespace host {

// The directory of the running program, then the project's dist/ beside the build tree
// (for the Windows host) and ./dist.
std::vector<std::string> defaultModuleDirs(const char* argv0);

}  // namespace host
