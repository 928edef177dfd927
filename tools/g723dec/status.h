// Outcome of one step of decoding a file: an exit code and a message that
// names the file (and, where it helps, the byte offset) for the user.
#pragma once

#include <cstdint>
#include <string>

namespace g723dec {

// Process exit codes; --help lists them.
enum ExitCode : int {
    exitOk = 0,           // every input decoded completely
    exitUsage = 1,        // bad command line
    exitUnreadable = 2,   // an input could not be opened or read
    exitNotG7231 = 3,     // a WAV or AVI input holds no G.723.1 audio, or its structure is broken
    exitTruncated = 4,    // an input ends inside a frame or a chunk; everything before it was decoded
    exitOutputError = 5,  // an output could not be created or written
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
