// The scan over a command line's words.
#include "arguments.h"

#include <algorithm>

namespace kit {

namespace {

const OptionRule* findRule(const std::vector<OptionRule>& rules, const std::string& name) {
    auto it = std::find_if(rules.begin(), rules.end(), [&](const OptionRule& rule) { return name == rule.name; });
    return it == rules.end() ? nullptr : &*it;
}

bool isOperand(const std::string& arg) { return arg.size() < 2 || arg[0] != '-'; }

bool fail(ArgumentError::Kind kind, const std::string& arg, const std::string& name, ArgumentError& error) {
    error.kind = kind;
    error.argument = arg;
    error.name = name;
    return false;
}

}  // namespace

bool splitArguments(const std::vector<std::string>& args, const std::vector<OptionRule>& rules,
                    std::vector<Argument>& arguments, ArgumentError& error) {
    arguments.clear();
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        Argument argument;
        if (optionsEnded || isOperand(arg)) {
            argument.isOperand = true;
            argument.value = arg;
            arguments.push_back(argument);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        argument.name = arg.substr(0, equals);
        const OptionRule* rule = findRule(rules, argument.name);
        if (!rule) return fail(ArgumentError::Kind::UnknownOption, arg, argument.name, error);
        const bool assigned = equals != std::string::npos;
        if (assigned && (!rule->takesValue || arg[1] != '-'))
            return fail(ArgumentError::Kind::UnexpectedValue, arg, argument.name, error);
        if (assigned) {
            argument.value = arg.substr(equals + 1);
        } else if (rule->takesValue) {
            if (i + 1 == args.size()) return fail(ArgumentError::Kind::MissingValue, arg, argument.name, error);
            argument.value = args[++i];
        }
        arguments.push_back(argument);
    }
    return true;
}

}  // namespace kit
