// The whole avspack program behind main(): arguments in, exit code out.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace avspack {

// args: the arguments after the program name.
int runAvspack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace avspack
