// The avspack command line: which command, which files, which block.
#pragma once

#include <string>
#include <vector>

#include "pack_plan.h"

namespace avspack {

struct CommandLine {
    enum class Mode {
        Pack,
        Info,
        Unpack,
        Help,
        Version
    };
    Mode mode = Mode::Pack;          // what to do
    BlockChoice block;               // for Pack: the placed block
    bool anyClip = false;            // for Unpack: rebuild a clip that is no AVI as well
    std::vector<std::string> files;  // the file operands, in order
};

// Parses the arguments after the program name; error says what is wrong.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error);

}  // namespace avspack
