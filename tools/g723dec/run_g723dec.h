// The whole program behind main(): parses the command line, decodes the
// inputs and prints messages to standard error. Returns the exit code.
#pragma once

#include <string>
#include <vector>

namespace g723dec {

int runG723dec(const std::vector<std::string>& args);

}  // namespace g723dec
