// The whole avsview run behind main(): command line, plug-in, page, summaries.
#pragma once

#include <string>
#include <vector>

namespace avsview {

// Runs avsview with the arguments after the program name; the exit code.
int runAvsview(const std::vector<std::string>& args);

}  // namespace avsview
