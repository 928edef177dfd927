// The three things avspack does, each reporting to out (results) and err
// (failures and warnings) and answering a process exit code.
#pragma once

#include <ostream>
#include <string>

#include "kit/exit_codes.h"
#include "pack_plan.h"

namespace avspack {

// The tools' shared exit codes that avspack answers.
using kit::kExitOk;          // done; for --info: the stream is consistent
using kit::kExitOutput;      // an output cannot be written, or is the input
using kit::kExitUnreadable;  // an input cannot be opened or read
using kit::kExitUnusable;    // not an AVI, a stream that rebuilds none; for --info: an inconsistent stream
using kit::kExitUsage;       // the command line itself is wrong

int packCommand(const std::string& inPath, const std::string& outPath, const BlockChoice& block, std::ostream& out,
                std::ostream& err);
int infoCommand(const std::string& path, std::ostream& out, std::ostream& err);
// anyClip: rebuild whatever clip the stream carries, AVI or not.
int unpackCommand(const std::string& inPath, const std::string& outPath, bool anyClip, std::ostream& out,
                  std::ostream& err);

}  // namespace avspack
