// Parsing of the avspack arguments: options may stand anywhere, "--" ends them.
#include "command_line.h"

#include <cerrno>
#include <cstdlib>

namespace avspack {

namespace {

// A 32-bit unsigned number, decimal or with a 0x prefix.
bool parseWord(const std::string& text, uint32_t& value) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long number = std::strtoull(text.c_str(), &end, 0);
    if (errno || *end || number > 0xFFFFFFFFull || (text.size() > 1 && text[0] == '0' && text[1] != 'x'))
        return false;
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
    if (line.files.size() != wanted) {
        error = line.mode == CommandLine::Mode::Info     ? "--info wants one file: FILE.avs"
                : line.mode == CommandLine::Mode::Unpack ? "--unpack wants two files: IN.avs OUT.avi"
                                                         : "packing wants two files: IN.avi OUT.avs";
        return false;
    }
    return true;
}

}  // namespace

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error) {
    line = CommandLine();
    bool blockGiven = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            line.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            line.mode = CommandLine::Mode::Help;
            return true;
        } else if (arg == "--info" || arg == "--unpack") {
            if (!setMode(line, arg == "--info" ? CommandLine::Mode::Info : CommandLine::Mode::Unpack, error))
                return false;
        } else if (arg == "--block" || arg.compare(0, 8, "--block=") == 0) {
            if (arg == "--block" && i + 1 == args.size()) {
                error = "--block wants a value: none or OFFSET:LENGTH";
                return false;
            }
            if (!parseBlock(arg == "--block" ? args[++i] : arg.substr(8), line.block, error)) return false;
            blockGiven = true;
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    return checkOperands(line, blockGiven, error);
}

}  // namespace avspack
