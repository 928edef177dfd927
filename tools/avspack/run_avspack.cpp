// Dispatch of the avspack command line, and its help text.
#include "run_avspack.h"

#include "command_line.h"
#include "commands.h"
#include "kit/version.h"

namespace avspack {

namespace {

const char kUsage[] = "Usage: avspack [--block none|OFFSET:LENGTH] IN.avi OUT.avs\n"
                      "       avspack --info FILE.avs\n"
                      "       avspack --unpack [--any-clip] IN.avs OUT.avi\n"
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
                      "  --info FILE.avs        print the header, where each part lands in the rebuilt clip\n"
                      "                         and whether it is consistent: the plug-in takes it and the clip\n"
                      "                         it rebuilds is a RIFF AVI whose sizes agree\n"
                      "  --unpack IN.avs OUT    rebuild the clip exactly as the plug-in does; refused unless\n"
                      "                         the stream is consistent (--any-clip: any clip it carries)\n"
                      "  --help                 this text\n"
                      "  --version              the version\n"
                      "\n"
                      "An output file appears only when it is complete; an existing one is replaced,\n"
                      "unless it is the input itself. Files only: '-' is not standard input or output.\n"
                      "Packing warns when the placed block makes playback start late.\n"
                      "\n";

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
        out << kUsage << kit::exitCodeTable();
        return kExitOk;
    case CommandLine::Mode::Version:
        out << kit::versionLine("avspack");
        return kExitOk;
    case CommandLine::Mode::Info:
        return infoCommand(line.files[0], out, err);
    case CommandLine::Mode::Unpack:
        return unpackCommand(line.files[0], line.files[1], line.anyClip, out, err);
    case CommandLine::Mode::Pack:
        break;
    }
    return packCommand(line.files[0], line.files[1], line.block, out, err);
}

}  // namespace avspack
