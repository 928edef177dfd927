// The version string, given by the build as SUITE_VERSION.
#include "version.h"

namespace kit {

const char* suiteVersion() { return SUITE_VERSION; }

std::string versionLine(const char* tool) { return std::string(tool) + " " + SUITE_VERSION + "\n"; }

}  // namespace kit
