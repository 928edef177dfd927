// avspack --info on consistent streams (with and without an overlap of block
// and clip data) and on streams the plug-in refuses.
#include <gtest/gtest.h>

#include "avi_builder.h"
#include "kit/exit_codes.h"
#include "test_support.h"

using avstest::AviRecipe;
using avstest::Bytes;
using avstest::ToolRun;

namespace {

class AvspackInfo : public avstest::ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        m_avi = avstest::buildAvi(AviRecipe());
        avstest::writeFile(path("in.avi"), m_avi);
    }
    // Packs in.avi with the options into name and returns the stream.
    Bytes pack(const std::string& name, std::vector<std::string> options = {}) {
        options.insert(options.end(), {path("in.avi"), path(name)});
        const ToolRun run = avstest::runTool(options);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return avstest::readFile(path(name));
    }
    static void expectLines(const ToolRun& run, const std::vector<std::string>& lines) {
        for (const std::string& line : lines) EXPECT_NE(run.out.find(line + "\n"), std::string::npos) << run.out;
    }
    Bytes m_avi;  // the clip in in.avi
};

}  // namespace

TEST_F(AvspackInfo, ConsistentDefaultPack) {
    const std::string index = std::to_string(avstest::indexOffsetOf(AviRecipe()));
    const std::string size = std::to_string(m_avi.size());
    const std::string blockLength = std::to_string(m_avi.size() - avstest::indexOffsetOf(AviRecipe()));
    pack("out.avs");
    const ToolRun run = avstest::runTool({"--info", path("out.avs")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    expectLines(run,
                {"header:        blockOffset " + index + ", blockLength " + blockLength,
                 "placed block:  " + blockLength + " bytes at stream offset 8, for clip offsets " + index + ".." +
                     std::to_string(m_avi.size() - 1),
                 "clip data:     " + index + " bytes at stream offset " + std::to_string(8 + std::stoul(blockLength)) +
                     ", for clip offsets 0.." + std::to_string(std::stoul(index) - 1),
                 "rebuilt clip:  " + size + " bytes", "consistent:    yes"});
    EXPECT_EQ(run.out.find("overlap"), std::string::npos);
}

TEST_F(AvspackInfo, OverlapOfBlockAndClipData) {
    Bytes stream = pack("mid.avs", {"--block", "100:50"});
    const ToolRun same = avstest::runTool({"--info", path("mid.avs")});
    EXPECT_EQ(same.exitCode, 0);
    expectLines(same, {"placed block:  50 bytes at stream offset 8, for clip offsets 100..149",
                       "overlap:       clip offsets 100..149 come in both parts; the clip data's bytes are kept "
                       "(identical to the placed block's)",
                       "consistent:    yes"});

    // Placed-block bytes that disagree are reported, and the rebuilt clip keeps the clip data's.
    stream[8] ^= 0xFF;
    stream[9] ^= 0xFF;
    avstest::writeFile(path("differ.avs"), stream);
    const ToolRun differ = avstest::runTool({"--info", path("differ.avs")});
    EXPECT_EQ(differ.exitCode, 0);
    EXPECT_NE(differ.out.find("(2 of them differ from the placed block's)"), std::string::npos) << differ.out;
    ASSERT_EQ(avstest::runTool({"--unpack", path("differ.avs"), path("back.avi")}).exitCode, 0);
    EXPECT_TRUE(avstest::readFile(path("back.avi")) == m_avi);
}

TEST_F(AvspackInfo, NoBlock) {
    pack("none.avs", {"--block", "none"});
    const ToolRun run = avstest::runTool({"--info", path("none.avs")});
    EXPECT_EQ(run.exitCode, 0);
    expectLines(run,
                {"header:        blockOffset 0, blockLength 0", "placed block:  none",
                 "playback:      starts once 10000 stream bytes have arrived (never during the download: the stream is "
                 "shorter)",
                 "consistent:    yes"});
}

TEST_F(AvspackInfo, StreamsThePlugInRefuses) {
    Bytes stream = pack("out.avs");
    stream.resize(stream.size() - 1);
    avstest::writeFile(path("cut.avs"), stream);
    const ToolRun cut = avstest::runTool({"--info", path("cut.avs")});
    EXPECT_EQ(cut.exitCode, kit::kExitUnusable);
    expectLines(cut, {"consistent:    no, the plug-in refuses this stream"});
    EXPECT_NE(cut.out.find("problem:       the placed block belongs at clip offset"), std::string::npos) << cut.out;
    EXPECT_NE(cut.out.find("so 1 byte would be padding"), std::string::npos) << cut.out;
    EXPECT_EQ(cut.out.find("rebuilt clip"), std::string::npos);

    Bytes huge = stream;
    for (int i = 4; i < 8; ++i) huge[i] = 0xFF;
    avstest::writeFile(path("huge.avs"), huge);
    const ToolRun tooLong = avstest::runTool({"--info", path("huge.avs")});
    EXPECT_EQ(tooLong.exitCode, kit::kExitUnusable);
    expectLines(tooLong, {"header:        blockOffset " + std::to_string(avstest::indexOffsetOf(AviRecipe())) +
                              ", blockLength 4294967295",
                          "consistent:    no, the plug-in refuses this stream",
                          "problem:       the placed block announces 4294967295 bytes but only " +
                              std::to_string(huge.size() - 8) + " follow the header"});
}

TEST_F(AvspackInfo, FileShorterThanTheHeader) {
    avstest::writeFile(path("tiny.avs"), Bytes(3, 1));
    const ToolRun run = avstest::runTool({"--info", path("tiny.avs")});
    EXPECT_EQ(run.exitCode, kit::kExitUnusable);
    EXPECT_NE(run.err.find("truncated: 3 bytes"), std::string::npos) << run.err;
}
