// The suite's version (the project's version in the top-level CMakeLists.txt),
// as every tool's --version prints it.
#pragma once

#include <string>

namespace kit {

const char* suiteVersion();

// "TOOL VERSION\n", the --version line of a tool.
std::string versionLine(const char* tool);

}  // namespace kit
