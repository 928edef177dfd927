// Splitting a command line into options and operands. Options may stand
// anywhere and "--" ends them; "-" and every word not starting with '-' is an
// operand. An option that takes a value takes the next argument, or for a
// long option the text after '=' ("--name=value").
#pragma once

#include <string>
#include <vector>

namespace kit {

struct OptionRule {
    const char* name;  // "--name" or "-n"
    bool takesValue;   // false for a flag
};

struct Argument {
    bool isOperand = false;  // an operand (value) rather than an option (name, value)
    std::string name;        // the option as named in the rule
    std::string value;       // the option's value, or the operand
};

struct ArgumentError {
    enum class Kind {
        UnknownOption,    // no option of that name
        MissingValue,     // the last argument is an option that takes a value
        UnexpectedValue,  // '=' after a flag, or after a short option
    };
    Kind kind = Kind::UnknownOption;
    std::string argument;  // the argument as given
    std::string name;      // its part before '='
};

// Splits args (the arguments after the program name). On failure, arguments
// holds those before the faulty one, so that a tool can act on them in order.
bool splitArguments(const std::vector<std::string>& args, const std::vector<OptionRule>& rules,
                    std::vector<Argument>& arguments, ArgumentError& error);

}  // namespace kit
