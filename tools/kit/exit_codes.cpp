// The text of the shared exit-code table.
#include "exit_codes.h"

namespace kit {

const char* exitCodeTable() {
    return "Exit codes (the same in every tool):\n"
           "  0  done (avspack --info: a consistent stream)\n"
           "  1  bad command line\n"
           "  2  an input cannot be opened, read or fetched\n"
           "  3  an input is not what the tool takes (not G.723.1 speech, not an AVI\n"
           "     clip, a stream whose rebuilt clip would not be an AVI)\n"
           "  4  an input ends early; what came before that point was written\n"
           "  5  an output cannot be created or written, or it is the input itself\n"
           "  6  the plug-in or its page cannot be set up (avsview)\n"
           "  128+N  stopped by signal N (130: Ctrl-C, 129: SIGHUP, 143: SIGTERM); the\n"
           "     unfinished output is removed\n";
}

}  // namespace kit
