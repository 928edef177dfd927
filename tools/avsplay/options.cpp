// avsplay's options, split by the tools' kit.
#include "options.h"

#include "kit/arguments.h"

namespace avsplay {

const char* const kHelpText = "Usage: avsplay [OPTIONS] STREAM\n"
                              "Plays a clip stream (as the plug-in receives it; '-' reads standard input)\n"
                              "and writes its pictures and sound as they become playable.\n"
                              "  --frames DIR   write each frame as DIR/frame-NNNNN.ppm\n"
                              "  --rgba FILE    write every frame as raw RGBA, back to back ('-': standard output)\n"
                              "  --sound FILE   write the sound as a 16-bit PCM WAV file\n"
                              "  --clip         the input is an AVI clip rather than a stream\n"
                              "  --help         show this text\n"
                              "Without an output option the clip's description is printed only. A stream\n"
                              "that ends before its clip is complete fails: the frame files written stay,\n"
                              "the RGBA and sound files are not left behind.\n";

bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    static const std::vector<kit::OptionRule> rules = {
        {"--frames", true}, {"--rgba", true}, {"--sound", true}, {"--clip", false}, {"--help", false}};
    std::vector<kit::Argument> arguments;
    kit::ArgumentError problem;
    if (!kit::splitArguments(args, rules, arguments, problem)) {
        error = problem.kind == kit::ArgumentError::Kind::UnknownOption  ? "unknown option " + problem.argument
                : problem.kind == kit::ArgumentError::Kind::MissingValue ? problem.name + " needs a value"
                                                                         : problem.name + " takes no value";
        return false;
    }
    for (const kit::Argument& argument : arguments) {
        if (argument.isOperand) {
            if (!options.input.empty()) return error = "one stream at a time: " + argument.value, false;
            options.input = argument.value;
        } else if (argument.name == "--frames") {
            options.framesDir = argument.value;
        } else if (argument.name == "--rgba") {
            options.rgbaPath = argument.value;
        } else if (argument.name == "--sound") {
            options.soundPath = argument.value;
        } else if (argument.name == "--clip") {
            options.rawClip = true;
        } else {
            options.help = true;
        }
    }
    if (!options.help && options.input.empty()) return error = "no stream given", false;
    return true;
}

}  // namespace avsplay
