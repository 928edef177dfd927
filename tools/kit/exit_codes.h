// The exit codes that every tool answers with, one table for all of them;
// each tool's --help prints it (exitCodeTable) and the README repeats it.
#pragma once

namespace kit {

enum ExitCode : int {
    kExitOk = 0,          // done
    kExitUsage = 1,       // bad command line
    kExitUnreadable = 2,  // an input cannot be opened, read or fetched
    kExitUnusable = 3,    // an input is not what the tool takes
    kExitCutShort = 4,    // an input ends early; what came before that point was written
    kExitOutput = 5,      // an output cannot be created or written, or it is the input
    kExitPlugin = 6,      // the plug-in or its page cannot be set up
};

// Exit status after a fatal signal, as shells report it: 128 + the signal number.
constexpr int kExitSignalBase = 128;

// The table as --help prints it, from its "Exit codes:" line to its last line.
const char* exitCodeTable();

}  // namespace kit
