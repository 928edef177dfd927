// The three things avspack does, each reporting to out (results) and err
// (failures) and answering a process exit code.
#pragma once

#include <ostream>
#include <string>

#include "pack_plan.h"

namespace avspack {

enum ExitCode {
    kExitOk = 0,       // done; for --info: the stream is consistent
    kExitFailure = 1,  // bad input, unwritable output; for --info: an inconsistent stream
    kExitUsage = 2,    // the command line itself is wrong
};

int packCommand(const std::string& inPath, const std::string& outPath, const BlockChoice& block, std::ostream& out,
                std::ostream& err);
int infoCommand(const std::string& path, std::ostream& out, std::ostream& err);
int unpackCommand(const std::string& inPath, const std::string& outPath, std::ostream& out, std::ostream& err);

}  // namespace avspack
