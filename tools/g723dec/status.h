// Outcome of one step of decoding a file: an exit code and a message that
// names the file (and, where it helps, the byte offset) for the user.
#pragma once

#include <cstdint>
#include <string>

#include "kit/exit_codes.h"

namespace g723dec {

// Process exit codes, from the tools' shared table; --help lists them.
enum ExitCode : int {
    exitOk = kit::kExitOk,                  // every input decoded completely
    exitUsage = kit::kExitUsage,            // bad command line
    exitUnreadable = kit::kExitUnreadable,  // an input could not be opened or read
    exitNotG7231 = kit::kExitUnusable,      // not G.723.1: no such audio in a WAV or AVI, a broken one, other data
    exitTruncated = kit::kExitCutShort,     // an input ends inside a frame or a chunk; everything before it was decoded
    exitOutputError = kit::kExitOutput,     // an output could not be created or written, or is the input
};

struct Status {
    int exitCode = exitOk;  // exitOk, or the code this failure maps to
    std::string message;    // for the user; empty when ok

    bool ok() const { return exitCode == exitOk; }
};

Status failure(int exitCode, std::string message);

// "NAME: byte OFFSET: TEXT"
std::string atByte(const std::string& fileName, uint64_t offset, const std::string& text);

}  // namespace g723dec
