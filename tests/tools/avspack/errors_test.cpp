// Every failure of avspack: bad input, no index, truncated files, unusable
// output, a wrong command line. Failures exit non-zero with a message and
// leave no output file, not even a temporary one.
#include <filesystem>

#include <gtest/gtest.h>

#include "avi_builder.h"
#include "kit/exit_codes.h"
#include "test_support.h"

using avstest::AviRecipe;
using avstest::Bytes;
using avstest::ToolRun;

namespace {

class AvspackErrors : public avstest::ScratchTest {
protected:
    // Packs input and expects a failure whose message contains text, with nothing but the input left.
    void expectPackFailure(const Bytes& input, const std::string& text, std::vector<std::string> options = {}) {
        avstest::writeFile(path("in.avi"), input);
        options.insert(options.end(), {path("in.avi"), path("out.avs")});
        const ToolRun run = avstest::runTool(options);
        EXPECT_EQ(run.exitCode, kit::kExitUnusable);
        EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("in.avi"), std::string::npos) << run.err;
        EXPECT_EQ(entries(), std::vector<std::string>{"in.avi"});
    }
};

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace

TEST_F(AvspackErrors, InputThatIsNotARiffAvi) {
    expectPackFailure(text("just some text, long enough to hold a header"), "not a RIFF AVI file");
    expectPackFailure(Bytes(), "not a RIFF AVI file (it is empty)");
    Bytes wave = avstest::buildAvi(AviRecipe());
    std::copy_n("WAVE", 4, wave.begin() + 8);
    expectPackFailure(wave, "its RIFF form is 'WAVE'");
}

TEST_F(AvspackErrors, TruncatedInput) {
    const Bytes avi = avstest::buildAvi(AviRecipe());
    const std::size_t index = avstest::indexOffsetOf(AviRecipe());
    expectPackFailure(Bytes(avi.begin(), avi.begin() + 10), "truncated: 10 bytes");
    expectPackFailure(Bytes(avi.begin(), avi.begin() + 2000),
                      "its RIFF header announces " + std::to_string(avi.size()));
    // A RIFF size patched to match a file cut inside the 'idx1' chunk.
    Bytes cut(avi.begin(), avi.begin() + std::ptrdiff_t(index) + 20);
    const uint32_t riffSize = uint32_t(cut.size() - 8);
    for (int i = 0; i < 4; ++i) cut[4 + i] = uint8_t(riffSize >> (8 * i));
    expectPackFailure(cut, "chunk 'idx1' at offset " + std::to_string(index));
    expectPackFailure(cut, "truncated", {"--block", "none"});
}

TEST_F(AvspackErrors, MissingIndexNamesTheWayOut) {
    AviRecipe recipe;
    recipe.withIndex = false;
    const Bytes avi = avstest::buildAvi(recipe);
    expectPackFailure(avi, "no 'idx1' index chunk");
    expectPackFailure(avi, "--block none");

    const ToolRun pack = avstest::runTool({"--block", "none", path("in.avi"), path("out.avs")});
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_TRUE(avstest::readFile(path("out.avs")) == avstest::expectedStream(avi, 0, 0, avi.size()));
}

TEST_F(AvspackErrors, BlockOutsideTheFile) {
    const Bytes avi = avstest::buildAvi(AviRecipe());
    const std::string size = std::to_string(avi.size());
    expectPackFailure(avi, "runs past the end of the file (" + size + " bytes)", {"--block", size + ":1"});
    expectPackFailure(avi, "runs past the end", {"--block", "4294967295:4294967295"});
}

TEST_F(AvspackErrors, MissingInput) {
    const ToolRun pack = avstest::runTool({path("absent.avi"), path("out.avs")});
    EXPECT_EQ(pack.exitCode, kit::kExitUnreadable);
    EXPECT_NE(pack.err.find("cannot open " + path("absent.avi")), std::string::npos) << pack.err;
    const ToolRun unpack = avstest::runTool({"--unpack", path("absent.avs"), path("out.avi")});
    EXPECT_EQ(unpack.exitCode, kit::kExitUnreadable);
    EXPECT_NE(unpack.err.find("cannot open"), std::string::npos) << unpack.err;
    EXPECT_TRUE(entries().empty());
}

TEST_F(AvspackErrors, OutputThatCannotBeWritten) {
    avstest::writeFile(path("in.avi"), avstest::buildAvi(AviRecipe()));
    const ToolRun noDirectory = avstest::runTool({path("in.avi"), path("missing/out.avs")});
    EXPECT_EQ(noDirectory.exitCode, kit::kExitOutput);
    EXPECT_NE(noDirectory.err.find("cannot create " + path("missing/out.avs")), std::string::npos) << noDirectory.err;

    // The whole stream is written, then cannot take the place of a directory.
    std::filesystem::create_directory(path("taken.avs"));
    const ToolRun directory = avstest::runTool({path("in.avi"), path("taken.avs")});
    EXPECT_EQ(directory.exitCode, kit::kExitOutput);
    EXPECT_NE(directory.err.find("cannot write " + path("taken.avs")), std::string::npos) << directory.err;
    EXPECT_TRUE(std::filesystem::is_directory(path("taken.avs")));
    EXPECT_EQ(entries(), (std::vector<std::string>{"in.avi", "taken.avs"}));
}

TEST_F(AvspackErrors, FailedCommandLeavesAnExistingOutputAsItWas) {
    const Bytes avi = avstest::buildAvi(AviRecipe());
    avstest::writeFile(path("in.avi"), avi);
    ASSERT_EQ(avstest::runTool({path("in.avi"), path("out.avs")}).exitCode, 0);
    Bytes hostile = avstest::readFile(path("out.avs"));
    hostile[7] = 0x7F;  // blockLength far beyond the stream
    avstest::writeFile(path("hostile.avs"), hostile);
    avstest::writeFile(path("old.avi"), text("previous contents"));

    const ToolRun unpack = avstest::runTool({"--unpack", path("hostile.avs"), path("old.avi")});
    EXPECT_EQ(unpack.exitCode, kit::kExitUnusable);
    EXPECT_NE(unpack.err.find("refuses this stream: the placed block announces"), std::string::npos) << unpack.err;
    EXPECT_TRUE(avstest::readFile(path("old.avi")) == text("previous contents"));
    EXPECT_EQ(entries(), (std::vector<std::string>{"hostile.avs", "in.avi", "old.avi", "out.avs"}));
}

TEST_F(AvspackErrors, UnpackOfTruncatedStreams) {
    avstest::writeFile(path("short.avs"), Bytes(7, 0));
    const ToolRun tiny = avstest::runTool({"--unpack", path("short.avs"), path("out.avi")});
    EXPECT_EQ(tiny.exitCode, kit::kExitUnusable);
    EXPECT_NE(tiny.err.find("truncated: 7 bytes, shorter than the 8-byte stream header"), std::string::npos)
        << tiny.err;

    // A default pack cut short loses clip data, so its tail block would sit past a gap.
    const Bytes avi = avstest::buildAvi(AviRecipe());
    avstest::writeFile(path("in.avi"), avi);
    ASSERT_EQ(avstest::runTool({path("in.avi"), path("full.avs")}).exitCode, 0);
    Bytes stream = avstest::readFile(path("full.avs"));
    stream.resize(stream.size() - 100);
    avstest::writeFile(path("cut.avs"), stream);
    const ToolRun cut = avstest::runTool({"--unpack", path("cut.avs"), path("out.avi")});
    EXPECT_EQ(cut.exitCode, kit::kExitUnusable);
    EXPECT_NE(cut.err.find("so 100 bytes would be padding"), std::string::npos) << cut.err;
    EXPECT_EQ(entries(), (std::vector<std::string>{"cut.avs", "full.avs", "in.avi", "short.avs"}));
}

TEST(AvspackCommandLine, WrongUsageExitsWithOne) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"in.avi"},
        {"a", "b", "c"},
        {"--frobnicate", "a", "b"},
        {"--block"},
        {"--block", "12", "a", "b"},
        {"--block", "1:", "a", "b"},
        {"--block", ":5", "a", "b"},
        {"--block", "-1:5", "a", "b"},
        {"--block", "4294967296:0", "a", "b"},
        {"--block", "012:5", "a", "b"},
        {"--info"},
        {"--info", "a", "b"},
        {"--unpack", "a"},
        {"--info", "--unpack", "a"},
        {"--info", "--block", "none", "a"},
        {"--any-clip", "a", "b"},
        {"-", "b"},
        {"--unpack", "a", "-"},
    };
    for (const auto& args : wrong) {
        const ToolRun run = avstest::runTool(args);
        EXPECT_EQ(run.exitCode, kit::kExitUsage) << ::testing::PrintToString(args);
        EXPECT_NE(run.err.find("Try 'avspack --help'"), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(AvspackCommandLine, HelpDocumentsEveryOptionAndExitCode) {
    const ToolRun run = avstest::runTool({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* item : {"--block none", "--block OFFSET:LENGTH", "--info", "--unpack", "--any-clip", "idx1",
                             "--version", kit::exitCodeTable()})
        EXPECT_NE(run.out.find(item), std::string::npos) << item;
}
