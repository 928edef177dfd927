// Command-line parsing (split by kit::splitArguments): options may come
// before, between or after the file arguments; "-" is standard input or output.
#include "options.h"

#include <cerrno>
#include <cstdlib>

#include "kit/arguments.h"
#include "kit/exit_codes.h"

namespace g723dec {

namespace {

Status usageError(const std::string& text) { return failure(exitUsage, text + " (try --help)"); }

bool parseProbability(const std::string& text, double& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && errno == 0 && value >= 0.0 && value <= 1.0;
}

bool parseSeed(const std::string& text, uint64_t& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text.c_str(), &end, 10);
    return !text.empty() && text[0] != '-' && *end == '\0' && errno == 0;
}

struct Parser {
    Options& options;
    std::vector<std::string> positional;
    bool haveRate = false;
    bool haveSeed = false;
    double rate = 0.0;
    uint64_t seed = 1;

    Status apply(const kit::Argument& argument);
    Status option(const std::string& name, const std::string& value);
    Status finish();
};

Status Parser::option(const std::string& name, const std::string& value) {
    if (name == "--framing") {
        if (value != "bytes" && value != "words") {
            return usageError("--framing takes 'bytes' or 'words', not '" + value + "'");
        }
        options.framing = value == "words" ? Framing::words : Framing::bytes;
    } else if (name == "--lose") {
        std::string error;
        if (!options.loss.addList(value, error)) {
            return usageError("--lose: " + error);
        }
    } else if (name == "--loss-rate") {
        if (!parseProbability(value, rate)) {
            return usageError("--loss-rate takes a probability from 0 to 1, not '" + value + "'");
        }
        haveRate = true;
    } else if (name == "--seed") {
        if (!parseSeed(value, seed)) {
            return usageError("--seed takes a non-negative integer, not '" + value + "'");
        }
        haveSeed = true;
    } else if (name == "-o" || name == "--output-dir") {
        options.outputDir = value;
    }
    return Status{};
}

Status Parser::apply(const kit::Argument& argument) {
    if (argument.isOperand) {
        positional.push_back(argument.value);
    } else if (argument.name == "-h" || argument.name == "--help") {
        options.help = true;
    } else if (argument.name == "--version") {
        options.version = true;
    } else if (argument.name == "--stats") {
        options.stats = true;
    } else if (argument.name == "--raw") {
        options.rawOutput = true;
    } else {
        return option(argument.name, argument.value);
    }
    return Status{};
}

Status Parser::finish() {
    if (haveSeed && !haveRate) {
        return usageError("--seed only applies together with --loss-rate");
    }
    if (haveRate) {
        options.loss.setRate(rate, seed);
    }
    if (!options.outputDir.empty()) {
        if (positional.empty()) {
            return usageError("-o DIR needs at least one input file");
        }
        for (const std::string& input : positional) {
            if (input == "-") {
                return usageError("standard input cannot be decoded into an output directory");
            }
        }
        options.inputs = positional;
        return Status{};
    }
    if (positional.size() == 1 && options.rawOutput) {
        positional.push_back("-");
    }
    if (positional.size() != 2) {
        return usageError(positional.size() < 2 ? "missing arguments: g723dec [options] INPUT OUTPUT"
                                                : "too many arguments; several inputs need -o DIR");
    }
    options.inputs = {positional[0]};
    options.output = positional[1];
    return Status{};
}

}  // namespace

Status parseOptions(const std::vector<std::string>& args, Options& options) {
    static const std::vector<kit::OptionRule> rules = {
        {"-h", false},    {"--help", false},   {"--version", false},   {"--stats", false},
        {"--raw", false}, {"--framing", true}, {"--lose", true},       {"--loss-rate", true},
        {"--seed", true}, {"-o", true},        {"--output-dir", true},
    };
    std::vector<kit::Argument> arguments;
    kit::ArgumentError error;
    const bool split = kit::splitArguments(args, rules, arguments, error);
    Parser parser{options, {}};
    for (const kit::Argument& argument : arguments) {
        Status status = parser.apply(argument);
        if (!status.ok() || options.help || options.version) {
            return status;
        }
    }
    if (!split) {
        return usageError(error.kind == kit::ArgumentError::Kind::MissingValue
                              ? error.name + " needs a value"
                              : "unknown option '" + error.argument + "'");
    }
    return parser.finish();
}

std::string helpText() {
    return "Usage: g723dec [options] INPUT OUTPUT\n"
           "       g723dec [options] -o DIR INPUT...\n"
           "\n"
           "Decodes G.723.1 speech (both rates, silence descriptor and untransmitted\n"
           "frames) to 16-bit PCM, mono, 8 kHz.\n"
           "\n"
           "INPUT is recognised by its content:\n"
           "  a WAV file with G.723.1 audio (format tag 0x0042),\n"
           "  an AVI clip (its first audio stream with format tag 0x0042),\n"
           "  anything else is read as raw frames (.g723, .tco), unless it is a known\n"
           "  kind of file (MP3, FLAC, Ogg, text, ...) or too many of its frames could not\n"
           "  come from a G.723.1 coder: such inputs are refused (exit code 3);\n"
           "  - reads raw frames from standard input.\n"
           "OUTPUT is a WAV file, or - for raw samples (signed 16-bit little-endian)\n"
           "on standard output.\n"
           "\n"
           "Options:\n"
           "  --raw                write raw samples instead of WAV; with no OUTPUT they go\n"
           "                       to standard output\n"
           "  --framing bytes|words\n"
           "                       length of an untransmitted frame in raw input:\n"
           "                       bytes (default): 1 byte, as in .g723/.tco files;\n"
           "                       words: one 16-bit word, as the decoder library counts\n"
           "                       (frames of 24, 20 and 4 bytes are the same in both)\n"
           "  --lose LIST          replace frames by lost frames (concealment);\n"
           "                       LIST: frame numbers from 0 and ranges, e.g. 5,20-24\n"
           "  --loss-rate P        lose each frame with probability P (0..1)\n"
           "  --seed S             seed of --loss-rate (default 1); the same seed loses\n"
           "                       the same frames\n"
           "  --stats              report frames of each kind, bad frames (invalid\n"
           "                       codes), duration and decoding speed on standard error\n"
           "  -o, --output-dir DIR decode each INPUT to DIR/NAME.wav (NAME.raw with --raw),\n"
           "                       several files in parallel; DIR is created if needed\n"
           "  -h, --help           show this help\n"
           "  --version            show the version\n"
           "\n"
           "An output that is the input itself is refused. An output file appears only\n"
           "when complete.\n"
           "\n" +
           std::string(kit::exitCodeTable()) +
           "For g723dec, 4 means an input ends inside a frame (or its container is cut\n"
           "short): the complete frames before that point were decoded and written. With\n"
           "several inputs the exit code is that of the first input (in argument order)\n"
           "that failed.\n";
}

}  // namespace g723dec
