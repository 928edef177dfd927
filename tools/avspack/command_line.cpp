// Parsing of the avspack arguments (split by kit::splitArguments).
#include "command_line.h"

#include <cerrno>
#include <cstdlib>

#include "kit/arguments.h"

namespace avspack {

namespace {

// A 32-bit unsigned number, decimal or with a 0x prefix.
bool parseWord(const std::string& text, uint32_t& value) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long number = std::strtoull(text.c_str(), &end, 0);
    if (errno || *end || number > 0xFFFFFFFFull || (text.size() > 1 && text[0] == '0' && text[1] != 'x')) return false;
    value = uint32_t(number);
    return true;
}

bool parseBlock(const std::string& text, BlockChoice& block, std::string& error) {
    if (text == "none") {
        block.kind = BlockChoice::Kind::None;
        return true;
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || !parseWord(text.substr(0, colon), block.offset) ||
        !parseWord(text.substr(colon + 1), block.length)) {
        error = "--block wants 'none' or OFFSET:LENGTH (numbers below 4294967296), not '" + text + "'";
        return false;
    }
    block.kind = BlockChoice::Kind::Range;
    return true;
}

bool setMode(CommandLine& line, CommandLine::Mode mode, std::string& error) {
    if (line.mode != CommandLine::Mode::Pack && line.mode != mode) {
        error = "--info and --unpack cannot be combined";
        return false;
    }
    line.mode = mode;
    return true;
}

bool checkOperands(const CommandLine& line, bool blockGiven, std::string& error) {
    const std::size_t wanted = line.mode == CommandLine::Mode::Info ? 1 : 2;
    if (blockGiven && line.mode != CommandLine::Mode::Pack) {
        error = "--block applies only when packing";
        return false;
    }
    if (line.anyClip && line.mode != CommandLine::Mode::Unpack) {
        error = "--any-clip applies only with --unpack";
        return false;
    }
    for (const std::string& file : line.files) {
        if (file == "-") {
            error = "'-' (standard input or output) cannot be used: avspack reads and writes files it can seek "
                    "in; give a file name (./- for a file named '-')";
            return false;
        }
    }
    if (line.files.size() != wanted) {
        error = line.mode == CommandLine::Mode::Info     ? "--info wants one file: FILE.avs"
                : line.mode == CommandLine::Mode::Unpack ? "--unpack wants two files: IN.avs OUT.avi"
                                                         : "packing wants two files: IN.avi OUT.avs";
        return false;
    }
    return true;
}

// Applies one option in order; help ends the parse.
bool applyOption(const kit::Argument& option, CommandLine& line, bool& blockGiven, std::string& error) {
    if (option.name == "--help" || option.name == "-h") {
        line.mode = CommandLine::Mode::Help;
    } else if (option.name == "--version") {
        line.mode = CommandLine::Mode::Version;
    } else if (option.name == "--any-clip") {
        line.anyClip = true;
    } else if (option.name == "--info" || option.name == "--unpack") {
        return setMode(line, option.name == "--info" ? CommandLine::Mode::Info : CommandLine::Mode::Unpack, error);
    } else if (option.name == "--block") {
        blockGiven = true;
        return parseBlock(option.value, line.block, error);
    }
    return true;
}

std::string describe(const kit::ArgumentError& error) {
    if (error.kind == kit::ArgumentError::Kind::MissingValue) return "--block wants a value: none or OFFSET:LENGTH";
    return "unknown option '" + error.argument + "'";
}

}  // namespace

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error) {
    static const std::vector<kit::OptionRule> rules = {{"--help", false}, {"-h", false},       {"--version", false},
                                                       {"--info", false}, {"--unpack", false}, {"--any-clip", false},
                                                       {"--block", true}};
    line = CommandLine();
    std::vector<kit::Argument> arguments;
    kit::ArgumentError argumentError;
    const bool split = kit::splitArguments(args, rules, arguments, argumentError);
    bool blockGiven = false;
    for (const kit::Argument& argument : arguments) {
        if (argument.isOperand) {
            line.files.push_back(argument.value);
        } else if (!applyOption(argument, line, blockGiven, error)) {
            return false;
        } else if (line.mode == CommandLine::Mode::Help || line.mode == CommandLine::Mode::Version) {
            return true;
        }
    }
    if (!split) {
        error = describe(argumentError);
        return false;
    }
    return checkOperands(line, blockGiven, error);
}

}  // namespace avspack
