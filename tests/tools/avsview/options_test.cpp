// avsview's command line: values, defaults, and every refusal.
#include <gtest/gtest.h>

#include "options.h"

using avsview::parseOptions;
using avsview::SaveAnswer;
using avsview::ViewOptions;

namespace {

ViewOptions parsed(const std::vector<std::string>& args) {
    ViewOptions options;
    std::string error;
    EXPECT_TRUE(parseOptions(args, options, error)) << error;
    return options;
}

std::string refusal(const std::vector<std::string>& args) {
    ViewOptions options;
    std::string error;
    EXPECT_FALSE(parseOptions(args, options, error));
    return error;
}

}  // namespace

TEST(AvsviewOptions, DefaultsForOneSource) {
    const ViewOptions options = parsed({"clip.avs"});
    EXPECT_EQ(options.sources, std::vector<std::string>{"clip.avs"});
    EXPECT_EQ(options.rate, 0u);
    EXPECT_EQ(options.chunk, 8192u);
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 240);
    EXPECT_EQ(options.holdMs, -1);
    EXPECT_EQ(options.save, SaveAnswer::User);
    EXPECT_TRUE(options.autostart.empty());
    EXPECT_FALSE(options.full || options.noLength || options.cache || options.play);
}

TEST(AvsviewOptions, EveryOptionWithSeparateAndJoinedValues) {
    const ViewOptions options =
        parsed({"--rate",  "7000",           "--chunk=1400", "--autostart", "FALSE",  "--size",     "160x120",
                "--url",   "http://x/y.avs", "--no-length",  "--cache",     "--play", "--hold=2.5", "--save-as",
                "out.avi", "--snapshot",     "shot.PNG",     "--plugin",    "p.dll",  "a.avs"});
    EXPECT_EQ(options.rate, 7000u);
    EXPECT_EQ(options.chunk, 1400u);
    EXPECT_EQ(options.autostart, "FALSE");
    EXPECT_EQ(options.width, 160);
    EXPECT_EQ(options.height, 120);
    EXPECT_EQ(options.url, "http://x/y.avs");
    EXPECT_TRUE(options.noLength);
    EXPECT_TRUE(options.cache);
    EXPECT_TRUE(options.play);
    EXPECT_EQ(options.holdMs, 2500);
    EXPECT_EQ(options.save, SaveAnswer::SaveAs);
    EXPECT_EQ(options.savePath, "out.avi");
    EXPECT_EQ(options.snapshotPath, "shot.PNG");
    EXPECT_EQ(options.pluginPath, "p.dll");
    EXPECT_EQ(options.sources, std::vector<std::string>{"a.avs"});
}

TEST(AvsviewOptions, SourcesAroundOptionsAndAfterDoubleDash) {
    const ViewOptions options = parsed({"a.avs", "--cancel-save", "http://h/b.avs", "--", "--c.avs", "-"});
    EXPECT_EQ(options.sources, (std::vector<std::string>{"a.avs", "http://h/b.avs", "--c.avs", "-"}));
    EXPECT_EQ(options.save, SaveAnswer::Cancel);
    EXPECT_EQ(parsed({"--full", "--hold", "0", "a.avs"}).holdMs, 0);
}

TEST(AvsviewOptions, HelpNeedsNoSource) {
    EXPECT_TRUE(parsed({"--help"}).help);
    EXPECT_TRUE(parsed({"-h", "--rate", "1"}).help);
}

TEST(AvsviewOptions, RefusedValuesAndCombinations) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no SOURCE"},
        {{"--rate", "0", "a"}, "--rate"},
        {{"--rate", "12k", "a"}, "--rate"},
        {{"--chunk", "0", "a"}, "--chunk"},
        {{"--chunk", "16777217", "a"}, "--chunk"},
        {{"--autostart", "yes", "a"}, "true or false"},
        {{"--size", "320", "a"}, "WIDTHxHEIGHT"},
        {{"--size", "0x10", "a"}, "WIDTHxHEIGHT"},
        {{"--size", "5000x10", "a"}, "WIDTHxHEIGHT"},
        {{"--hold", "-1", "a"}, "--hold"},
        {{"--hold", "1.2345", "a"}, "--hold"},
        {{"--hold", "1.", "a"}, "--hold"},
        {{"--hold", "86401", "a"}, "--hold"},
        {{"--snapshot", "shot.jpg", "a"}, ".bmp or .png"},
        {{"--save-as", "x.avi", "--cancel-save", "a"}, "exclude each other"},
        {{"--full", "a", "b"}, "one SOURCE"},
        {{"--full", "--autostart", "true", "a"}, "full page"},
        {{"--url", "http://x/", "a", "b"}, "one SOURCE"},
        {{"--bogus", "a"}, "unknown option --bogus"},
        {{"--play=1", "a"}, "--play takes no value"},
        {{"a", "--rate"}, "--rate needs a value"},
        {{"", "a"}, "empty SOURCE"},
    };
    for (const auto& item : cases)
        EXPECT_NE(refusal(item.first).find(item.second), std::string::npos) << "expected: " << item.second;
}

TEST(AvsviewOptions, HttpSourcesByScheme) {
    EXPECT_TRUE(avsview::isHttpSource("http://127.0.0.1:8000/clip.avs"));
    EXPECT_TRUE(avsview::isHttpSource("HTTP://host/clip.avs"));
    EXPECT_FALSE(avsview::isHttpSource("https://host/clip.avs"));
    EXPECT_FALSE(avsview::isHttpSource("http.avs"));
    EXPECT_FALSE(avsview::isHttpSource("C:\\clips\\clip.avs"));
}
