// Packing writes exactly header, block and clip data; unpacking gives back
// the original byte for byte, for several clips and every kind of block, and
// rebuilds every whole-file stream of the table of cases as the plug-in does.
#include <filesystem>

#include <gtest/gtest.h>

#include "avi_builder.h"
#include "kit/exit_codes.h"
#include "stream_cases.h"
#include "test_support.h"

using avstest::AviRecipe;
using avstest::Bytes;
using avstest::ToolRun;

namespace {

struct Clip {
    std::string name;  // for the test's name
    Bytes bytes;       // the AVI file
    uint64_t indexOffset;
};

void PrintTo(const Clip& clip, std::ostream* out) { *out << clip.name; }

Clip built(const std::string& name, const AviRecipe& recipe) {
    return Clip{name, avstest::buildAvi(recipe), avstest::indexOffsetOf(recipe)};
}

std::vector<Clip> clips() {
    AviRecipe plain, odd, junk, extended, large;
    odd.frames = 7, odd.frameBytes = 301, odd.frameGrowth = 13, odd.junkBeforeIndex = 333;
    junk.junkAfterIndex = 2001;
    extended.bytesAfterRiff = 4000;
    large.frames = 40, large.frameBytes = 40000, large.frameGrowth = 1;
    std::vector<Clip> all = {built("plain", plain), built("oddChunks", odd), built("junkAfterIndex", junk),
                             built("secondRiffForm", extended), built("large", large)};
    const Bytes real = avstest::readFile(AVSPACK_TEST_DATA "/testsrc-audio.avi");
    all.push_back(Clip{"ffmpegClip", real, 50000});
    return all;
}

class AvspackRoundTrip : public avstest::ScratchTest, public ::testing::WithParamInterface<Clip> {
protected:
    // Packs the clip with the given block arguments, checks the stream, unpacks and compares.
    void packAndUnpack(const std::vector<std::string>& blockArgs, uint32_t offset, uint32_t length, uint64_t clipData) {
        const Bytes& original = GetParam().bytes;
        avstest::writeFile(path("in.avi"), original);
        std::vector<std::string> args = blockArgs;
        args.insert(args.end(), {path("in.avi"), path("out.avs")});
        const ToolRun pack = avstest::runTool(args);
        ASSERT_EQ(pack.exitCode, 0) << pack.err;
        EXPECT_TRUE(avstest::readFile(path("out.avs")) == avstest::expectedStream(original, offset, length, clipData));

        const ToolRun unpack = avstest::runTool({"--unpack", path("out.avs"), path("back.avi")});
        ASSERT_EQ(unpack.exitCode, 0) << unpack.err;
        EXPECT_TRUE(avstest::readFile(path("back.avi")) == original);
        EXPECT_EQ(entries(), (std::vector<std::string>{"back.avi", "in.avi", "out.avs"}));
    }
};

}  // namespace

TEST_P(AvspackRoundTrip, DefaultBlockIsTheTailFromIdx1) {
    const Clip& clip = GetParam();
    const uint64_t size = clip.bytes.size();
    ASSERT_EQ(std::string(clip.bytes.begin() + std::ptrdiff_t(clip.indexOffset),
                          clip.bytes.begin() + std::ptrdiff_t(clip.indexOffset) + 4),
              "idx1");
    packAndUnpack({}, uint32_t(clip.indexOffset), uint32_t(size - clip.indexOffset), clip.indexOffset);
}

TEST_P(AvspackRoundTrip, NoBlock) { packAndUnpack({"--block", "none"}, 0, 0, GetParam().bytes.size()); }

TEST_P(AvspackRoundTrip, BlockInsideTheFileIsFollowedByTheWholeFile) {
    const uint32_t size = uint32_t(GetParam().bytes.size());
    packAndUnpack({"--block", std::to_string(size / 3) + ":" + std::to_string(size / 4)}, size / 3, size / 4, size);
}

TEST_P(AvspackRoundTrip, BlockEndingTheFileIsNotRepeated) {
    const uint32_t size = uint32_t(GetParam().bytes.size());
    packAndUnpack({"--block=" + std::to_string(size / 2) + ":" + std::to_string(size - size / 2)}, size / 2,
                  size - size / 2, size / 2);
}

TEST_P(AvspackRoundTrip, WholeFileAsTheBlock) {
    const uint32_t size = uint32_t(GetParam().bytes.size());
    packAndUnpack({"--block", "0x0:" + std::to_string(size)}, 0, size, 0);
}

INSTANTIATE_TEST_SUITE_P(Clips, AvspackRoundTrip, ::testing::ValuesIn(clips()),
                         [](const ::testing::TestParamInfo<Clip>& info) { return info.param.name; });

// A stream file is a stream whose length is announced: unpacking (of any clip, the table's
// clips are no AVIs) gives the clip of a complete one, and nothing (exit 3, a message naming
// the file) for one that is refused or no clip.
class AvspackUnpack : public avstest::ScratchTest {};

TEST_F(AvspackUnpack, EveryWholeFileCaseOfTheTable) {
    int run = 0;
    for (const streamcases::StreamCase& c : streamcases::streamCases()) {
        if (!c.isWholeFile()) continue;
        const std::string in = path("in" + std::to_string(run) + ".avs"),
                          out = path("out" + std::to_string(run) + ".avi");
        ++run;
        avstest::writeFile(in, c.stream);
        const ToolRun unpack = avstest::runTool({"--unpack", "--any-clip", in, out});
        if (c.complete) {
            ASSERT_EQ(unpack.exitCode, 0) << c.name << ": " << unpack.err;
            EXPECT_TRUE(avstest::readFile(out) == c.clip) << c.name;
            continue;
        }
        EXPECT_EQ(unpack.exitCode, kit::kExitUnusable) << c.name;
        EXPECT_NE(unpack.err.find(in), std::string::npos) << c.name << ": " << unpack.err;
        if (!c.taken) {
            EXPECT_NE(unpack.err.find("refuses this stream"), std::string::npos) << c.name << ": " << unpack.err;
        }
        EXPECT_FALSE(std::filesystem::exists(out)) << c.name;
    }
    EXPECT_GE(run, 20);
}
