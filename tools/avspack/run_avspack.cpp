// Dispatch of the avspack command line, and its help text.
#include "run_avspack.h"

#include "command_line.h"
#include "commands.h"

namespace avspack {

namespace {

const char kHelp[] = "Usage: avspack [--block none|OFFSET:LENGTH] IN.avi OUT.avs\n"
                     "       avspack --info FILE.avs\n"
                     "       avspack --unpack IN.avs OUT.avi\n"
                     "\n"
                     "Packs an AVI clip into the stream the video/avs plug-in receives: an 8-byte\n"
                     "header (block offset and block length, little-endian 32-bit words), the placed\n"
                     "block, then the clip data from file offset 0.\n"
                     "\n"
                     "  --block none           no placed block; the stream carries the whole file in order\n"
                     "  --block OFFSET:LENGTH  send file bytes OFFSET..OFFSET+LENGTH-1 first; when they end\n"
                     "                         the file they are not repeated, otherwise the whole file follows\n"
                     "                         (default: from the 'idx1' index chunk to the end of the file,\n"
                     "                         so a player can open the clip before the download completes)\n"
                     "  --info FILE.avs        print the header, the sizes and whether they are consistent\n"
                     "  --unpack IN.avs OUT    rebuild the clip exactly as the plug-in does\n"
                     "  --help                 this text\n"
                     "\n"
                     "An output file appears only when it is complete; an existing one is replaced.\n"
                     "\n"
                     "Exit codes: 0 done (--info: consistent stream), 1 unusable input or output\n"
                     "(--info: a stream the plug-in refuses), 2 wrong command line.\n";

}  // namespace

int runAvspack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    std::string error;
    if (!parseCommandLine(args, line, error)) {
        err << "avspack: " << error << "\nTry 'avspack --help'.\n";
        return kExitUsage;
    }
    switch (line.mode) {
    case CommandLine::Mode::Help:
        out << kHelp;
        return kExitOk;
    case CommandLine::Mode::Info:
        return infoCommand(line.files[0], out, err);
    case CommandLine::Mode::Unpack:
        return unpackCommand(line.files[0], line.files[1], out, err);
    case CommandLine::Mode::Pack:
        break;
    }
    return packCommand(line.files[0], line.files[1], line.block, out, err);
}

}  // namespace avspack
