// Command-line splitting: the rules avspack, g723dec and avsview share.
#include <gtest/gtest.h>

#include "kit/arguments.h"

namespace {

using Kind = kit::ArgumentError::Kind;

const std::vector<kit::OptionRule> kRules = {{"--flag", false}, {"-f", false}, {"--value", true}, {"-v", true}};

// The arguments as text: "NAME=VALUE" for options, "<OPERAND>" for operands.
std::vector<std::string> describe(const std::vector<kit::Argument>& arguments) {
    std::vector<std::string> text;
    for (const kit::Argument& argument : arguments)
        text.push_back(argument.isOperand ? "<" + argument.value + ">" : argument.name + "=" + argument.value);
    return text;
}

TEST(KitArguments, OptionsAnywhereValuesBothWaysDashDashEndsThem) {
    std::vector<kit::Argument> arguments;
    kit::ArgumentError error;
    ASSERT_TRUE(
        kit::splitArguments({"a", "--flag", "-", "--value", "-x", "--value=b=c", "-v", "d", "", "--", "--flag", "-f"},
                            kRules, arguments, error));
    EXPECT_EQ((std::vector<std::string>{"<a>", "--flag=", "<->", "--value=-x", "--value=b=c", "-v=d", "<>", "<--flag>",
                                        "<-f>"}),
              describe(arguments));
}

TEST(KitArguments, MistakesNameTheArgumentAndKeepWhatCameBefore) {
    struct Case {
        std::vector<std::string> args;
        Kind kind;
        std::string argument;
        std::string name;
        std::size_t before;  // arguments split before the mistake
    };
    const Case cases[] = {
        {{"a", "--bogus=1", "--flag"}, Kind::UnknownOption, "--bogus=1", "--bogus", 1},
        {{"-x"}, Kind::UnknownOption, "-x", "-x", 0},
        {{"--flag", "--flag=1"}, Kind::UnexpectedValue, "--flag=1", "--flag", 1},
        {{"-v=1"}, Kind::UnexpectedValue, "-v=1", "-v", 0},  // '=' only for long options
        {{"-f", "a", "--value"}, Kind::MissingValue, "--value", "--value", 2},
    };
    for (const Case& c : cases) {
        std::vector<kit::Argument> arguments;
        kit::ArgumentError error;
        EXPECT_FALSE(kit::splitArguments(c.args, kRules, arguments, error)) << c.argument;
        EXPECT_EQ(c.kind, error.kind) << c.argument;
        EXPECT_EQ(c.argument, error.argument);
        EXPECT_EQ(c.name, error.name);
        EXPECT_EQ(c.before, arguments.size()) << c.argument;
    }
}

}  // namespace
