// Frame splitting in both framings (also across container segments), the
// loss plan and the command-line options.
#include <gtest/gtest.h>

#include "byte_source.h"
#include "frame_reader.h"
#include "loss_plan.h"
#include "options.h"
#include "test_support.h"

using namespace g723test;
using g723dec::ByteSource;
using g723dec::Frame;
using g723dec::FrameReader;
using g723dec::Framing;
using g723dec::InputFile;
using g723dec::ReadOutcome;

namespace {

struct Split {
    std::vector<Frame> frames;
    ReadOutcome end;
    int truncatedBytes = 0;
};

Split split(const ScratchDir& dir, const Bytes& file, Framing framing, std::vector<g723dec::Segment> segments = {}) {
    writeFile(dir.path("frames"), file);
    InputFile input;
    EXPECT_TRUE(input.open(dir.file("frames")).ok());
    if (segments.empty()) {
        segments = {{0, file.size()}};
    }
    ByteSource source(input, segments);
    FrameReader reader(source, framing);
    Split result;
    Frame frame;
    while ((result.end = reader.next(frame)) == ReadOutcome::frame) {
        result.frames.push_back(frame);
    }
    result.frames.push_back(frame);  // the incomplete frame, or where the data ended
    result.truncatedBytes = reader.truncatedBytes();
    return result;
}

}  // namespace

TEST(G723decFraming, BothFramingsGiveTheSameFrames) {
    ScratchDir dir;
    FrameList frames = mixedFrames(21, 200);
    Split bytes = split(dir, bytesFraming(frames), Framing::bytes);
    Split words = split(dir, wordsFraming(frames), Framing::words);
    EXPECT_EQ(ReadOutcome::end, bytes.end);
    EXPECT_EQ(ReadOutcome::end, words.end);
    ASSERT_EQ(frames.size() + 1, bytes.frames.size());
    ASSERT_EQ(frames.size() + 1, words.frames.size());
    uint64_t offset = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const Frame& frame = bytes.frames[i];
        int kind = frames[i][0] & 3;
        EXPECT_EQ(kind, frame.kind);
        EXPECT_EQ(offset, frame.offset);
        EXPECT_EQ(kind == 3 ? 1 : static_cast<int>(frames[i].size()), frame.size);
        Bytes expected = frames[i];
        expected.resize(24, 0);
        if (kind == 3) {
            expected[1] = 0;  // not part of a 1-byte frame
        }
        EXPECT_EQ(expected, Bytes(frame.bytes, frame.bytes + 24)) << "frame " << i;
        EXPECT_EQ(kind == 3 ? 2 : frame.size, words.frames[i].size);
        offset += static_cast<uint64_t>(frame.size);
    }
}

TEST(G723decFraming, IncompleteLastFrame) {
    ScratchDir dir;
    FrameList frames = speechFrames(4, 3);
    Bytes file = bytesFraming(frames);
    file.resize(file.size() - 5);
    Split cut = split(dir, file, Framing::bytes);
    EXPECT_EQ(ReadOutcome::truncated, cut.end);
    ASSERT_EQ(3u, cut.frames.size());
    EXPECT_EQ(48u, cut.frames.back().offset);
    EXPECT_EQ(24, cut.frames.back().size);
    EXPECT_EQ(19, cut.truncatedBytes);

    // One byte is a whole untransmitted frame in the byte framing, half of one in the word framing.
    Bytes lone = {0x03};
    EXPECT_EQ(ReadOutcome::end, split(dir, lone, Framing::bytes).end);
    Split half = split(dir, lone, Framing::words);
    EXPECT_EQ(ReadOutcome::truncated, half.end);
    EXPECT_EQ(1, half.truncatedBytes);
}

TEST(G723decFraming, FramesAcrossSegmentsReportTheirFileOffset) {
    ScratchDir dir;
    FrameList frames = speechFrames(8, 3);
    Bytes data = bytesFraming(frames);
    // Segments of 30, 30 and 12 bytes, separated by 8-byte gaps of chunk headers.
    Bytes file =
        concat({Bytes(8, 0xEE), Bytes(data.begin(), data.begin() + 30), Bytes(8, 0xEE),
                Bytes(data.begin() + 30, data.begin() + 60), Bytes(8, 0xEE), Bytes(data.begin() + 60, data.end())});
    Split result = split(dir, file, Framing::bytes, {{8, 30}, {46, 30}, {84, 12}});
    ASSERT_EQ(4u, result.frames.size());
    EXPECT_EQ(8u, result.frames[0].offset);
    EXPECT_EQ(32u, result.frames[1].offset);  // starts in the first segment
    EXPECT_EQ(64u, result.frames[2].offset);  // 48 bytes in: 18 into the second segment
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(frames[i], Bytes(result.frames[i].bytes, result.frames[i].bytes + 24));
    }
}

TEST(G723decLossPlan, ListsRangesAndRate) {
    g723dec::LossPlan plan;
    std::string error;
    ASSERT_TRUE(plan.addList("7,0-2,5", error)) << error;
    ASSERT_TRUE(plan.addList("1-10", error)) << error;  // overlaps the earlier ranges
    for (uint64_t frame = 0; frame <= 10; ++frame) {
        EXPECT_TRUE(plan.isLost(frame)) << frame;
    }
    EXPECT_FALSE(plan.isLost(11));
    EXPECT_EQ(10u, plan.highestListed());

    for (const char* bad : {"", "3,", "a", "5-3", "-4", "1--2", "2 3"}) {
        g723dec::LossPlan other;
        EXPECT_FALSE(other.addList(bad, error)) << bad;
    }

    g723dec::LossPlan random;
    random.setRate(0.25, 42);
    g723dec::LossPlan sameSeed;
    sameSeed.setRate(0.25, 42);
    g723dec::LossPlan otherSeed;
    otherSeed.setRate(0.25, 43);
    int lost = 0;
    int differing = 0;
    for (uint64_t frame = 0; frame < 4000; ++frame) {
        lost += random.isLost(frame) ? 1 : 0;
        EXPECT_EQ(random.isLost(frame), sameSeed.isLost(frame));
        differing += random.isLost(frame) != otherSeed.isLost(frame) ? 1 : 0;
    }
    EXPECT_NEAR(1000, lost, 120);
    EXPECT_GT(differing, 500);
}

TEST(G723decOptions, SingleFileAndDirectoryForms) {
    using g723dec::parseOptions;
    g723dec::Options options;
    ASSERT_TRUE(parseOptions({"--framing", "words", "in.g723", "--stats", "out.wav", "--lose=3,4"}, options).ok());
    EXPECT_EQ(Framing::words, options.framing);
    EXPECT_EQ(std::vector<std::string>{"in.g723"}, options.inputs);
    EXPECT_EQ("out.wav", options.output);
    EXPECT_TRUE(options.stats);
    EXPECT_TRUE(options.loss.isLost(4));

    g723dec::Options raw;
    ASSERT_TRUE(parseOptions({"--raw", "-"}, raw).ok());  // --raw alone writes to standard output
    EXPECT_EQ("-", raw.inputs[0]);
    EXPECT_EQ("-", raw.output);

    g723dec::Options dir;
    ASSERT_TRUE(parseOptions({"-o", "out", "a.g723", "b.wav", "--", "-c.avi"}, dir).ok());
    EXPECT_EQ("out", dir.outputDir);
    EXPECT_EQ((std::vector<std::string>{"a.g723", "b.wav", "-c.avi"}), dir.inputs);

    g723dec::Options rate;
    ASSERT_TRUE(parseOptions({"--loss-rate", "1", "in", "out"}, rate).ok());
    EXPECT_TRUE(rate.loss.isLost(12345));
}

TEST(G723decOptions, MistakesAreUsageErrors) {
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"in.g723"},
        {"a", "b", "c"},
        {"--framing", "nibbles", "a", "b"},
        {"--framing"},
        {"--lose", "x", "a", "b"},
        {"--loss-rate", "1.5", "a", "b"},
        {"--loss-rate", "0.1", "--seed", "-1", "a", "b"},
        {"--seed", "3", "a", "b"},
        {"--bogus", "a", "b"},
        {"-o", "dir"},
        {"-o", "dir", "a", "-"},
    };
    for (const auto& args : mistakes) {
        g723dec::Options options;
        g723dec::Status status = g723dec::parseOptions(args, options);
        EXPECT_EQ(g723dec::exitUsage, status.exitCode) << (args.empty() ? "(none)" : args[0]);
        EXPECT_NE(std::string::npos, status.message.find("--help"));
    }
}
