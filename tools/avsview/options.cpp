// Parsing of the avsview command line (split by kit::splitArguments): options
// with their values, the sources, and the combinations that make no page.
#include "options.h"

#include <cctype>

#include "kit/arguments.h"

namespace avsview {

namespace {

const std::vector<kit::OptionRule> kRules = {
    {"--rate", true},         {"--chunk", true},   {"--autostart", true}, {"--size", true},       {"--url", true},
    {"--hold", true},         {"--save-as", true}, {"--snapshot", true},  {"--plugin", true},     {"--help", false},
    {"--version", false},     {"-h", false},       {"--full", false},     {"--no-length", false}, {"--play", false},
    {"--cancel-save", false}, {"--cache", false},
};

bool takesValue(const std::string& name) {
    for (const kit::OptionRule& rule : kRules) {
        if (name == rule.name) return rule.takesValue;
    }
    return false;
}

bool startsWithNoCase(const std::string& text, const char* prefix) {
    for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

bool equalsNoCase(const std::string& text, const char* word) {
    return text.size() == std::char_traits<char>::length(word) && startsWithNoCase(text, word);
}

// A decimal number of at most nine digits between low and high.
bool parseCount(const std::string& text, uint32_t low, uint32_t high, uint32_t& value) {
    if (text.empty() || text.size() > 9) return false;
    uint32_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + static_cast<uint32_t>(c - '0');
    }
    if (result < low || result > high) return false;
    value = result;
    return true;
}

// Seconds with up to three decimals ("2", "0.5"), at most a day, as milliseconds.
bool parseSeconds(const std::string& text, int& ms) {
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    if (whole.empty() || (point != std::string::npos && fraction.empty()) || fraction.size() > 3) return false;
    uint32_t seconds = 0, thousandths = 0;
    if (!parseCount(whole, 0, 86400, seconds)) return false;
    fraction.append(3 - fraction.size(), '0');
    if (!parseCount(fraction, 0, 999, thousandths)) return false;
    if (seconds == 86400 && thousandths != 0) return false;
    ms = static_cast<int>(seconds * 1000 + thousandths);
    return true;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find_first_of("xX");
    uint32_t w = 0, h = 0;
    if (x == std::string::npos || !parseCount(text.substr(0, x), 1, 4096, w) ||
        !parseCount(text.substr(x + 1), 1, 4096, h))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool hasExtension(const std::string& path, const char* extension) {
    const std::size_t length = std::char_traits<char>::length(extension);
    return path.size() > length && equalsNoCase(path.substr(path.size() - length), extension);
}

// Applies one option that takes a value.
bool applyValue(const std::string& name, const std::string& value, ViewOptions& options, std::string& error) {
    if (name == "--rate") {
        if (!parseCount(value, 1, 1000000000, options.rate))
            return error = "--rate needs a number of bytes per second from 1 to 1000000000", false;
    } else if (name == "--chunk") {
        if (!parseCount(value, 1, 16 * 1024 * 1024, options.chunk))
            return error = "--chunk needs a number of bytes from 1 to 16777216", false;
    } else if (name == "--autostart") {
        if (!equalsNoCase(value, "true") && !equalsNoCase(value, "false"))
            return error = "--autostart takes true or false", false;
        options.autostart = value;
    } else if (name == "--size") {
        if (!parseSize(value, options.width, options.height))
            return error = "--size needs WIDTHxHEIGHT, each from 1 to 4096 pixels", false;
    } else if (name == "--url") {
        if (value.empty()) return error = "--url needs a URL", false;
        options.url = value;
    } else if (name == "--hold") {
        if (!parseSeconds(value, options.holdMs))
            return error = "--hold needs seconds from 0 to 86400 (up to three decimals)", false;
    } else if (name == "--save-as") {
        if (value.empty()) return error = "--save-as needs a file name", false;
        options.save = SaveAnswer::SaveAs;
        options.savePath = value;
    } else if (name == "--snapshot") {
        if (!hasExtension(value, ".bmp") && !hasExtension(value, ".png"))
            return error = "--snapshot needs a file name ending in .bmp or .png", false;
        options.snapshotPath = value;
    } else if (name == "--plugin") {
        if (value.empty()) return error = "--plugin needs the path of streamplug.dll", false;
        options.pluginPath = value;
    }
    return true;
}

// Applies one option without a value.
void applyFlag(const std::string& name, ViewOptions& options, bool& cancelSave) {
    if (name == "--help" || name == "-h")
        options.help = true;
    else if (name == "--version")
        options.version = true;
    else if (name == "--full")
        options.full = true;
    else if (name == "--no-length")
        options.noLength = true;
    else if (name == "--cache")
        options.cache = true;
    else if (name == "--play")
        options.play = true;
    else if (name == "--cancel-save")
        cancelSave = true;
}

// Applies one source or option in order.
bool apply(const kit::Argument& argument, ViewOptions& options, bool& cancelSave, std::string& error) {
    if (argument.isOperand) {
        if (argument.value.empty()) return error = "an empty SOURCE", false;
        options.sources.push_back(argument.value);
    } else if (takesValue(argument.name)) {
        return applyValue(argument.name, argument.value, options, error);
    } else {
        applyFlag(argument.name, options, cancelSave);
    }
    return true;
}

std::string describe(const kit::ArgumentError& error) {
    switch (error.kind) {
    case kit::ArgumentError::Kind::MissingValue:
        return error.name + " needs a value";
    case kit::ArgumentError::Kind::UnexpectedValue:
        return error.name + " takes no value";
    case kit::ArgumentError::Kind::UnknownOption:
        break;
    }
    return "unknown option " + error.name;
}

bool checkCombinations(ViewOptions& options, bool cancelSave, std::string& error) {
    if (cancelSave && options.save == SaveAnswer::SaveAs)
        return error = "--save-as and --cancel-save exclude each other", false;
    if (cancelSave) options.save = SaveAnswer::Cancel;
    if (options.sources.empty()) return error = "no SOURCE given (an .avs file or an http:// URL)", false;
    if (options.full && options.sources.size() > 1)
        return error = "--full shows one source as the whole page; give one SOURCE", false;
    if (options.full && !options.autostart.empty())
        return error = "--autostart is an attribute of an embedded element; a full page (--full) has none", false;
    if (!options.url.empty() && options.sources.size() > 1)
        return error = "--url names the URL of one source; give one SOURCE", false;
    return true;
}

}  // namespace

bool isHttpSource(const std::string& source) { return startsWithNoCase(source, "http://"); }

bool parseOptions(const std::vector<std::string>& args, ViewOptions& options, std::string& error) {
    options = ViewOptions();
    std::vector<kit::Argument> arguments;
    kit::ArgumentError argumentError;
    const bool split = kit::splitArguments(args, kRules, arguments, argumentError);
    bool cancelSave = false;
    for (const kit::Argument& argument : arguments) {
        if (!apply(argument, options, cancelSave, error)) return false;
    }
    if (!split) return error = describe(argumentError), false;
    if (options.help || options.version) return true;
    return checkCombinations(options, cancelSave, error);
}

}  // namespace avsview
