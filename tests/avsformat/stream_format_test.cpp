// The stream format library: the layout of a whole stream, the start threshold, and what
// chunk-by-chunk reassembly does beyond the outcomes in the table of cases (positions, the
// number of writes, a failing writer).
#include <algorithm>
#include <numeric>

#include <gtest/gtest.h>

#include "memory_clip.h"
#include "stream_cases.h"
#include "stream_completeness.h"
#include "stream_layout.h"
#include "stream_placement.h"
#include "stream_reassembler.h"

using avs::FeedResult;
using avs::HeaderProblem;
using avs::StreamHeader;
using streamcases::Bytes;

TEST(AvsStreamLayout, AcceptsStreamsThatFillEveryClipByte) {
    struct Case {
        uint32_t offset, length;
        uint64_t payload, clipLength, overlap;
    };
    const Case cases[] = {
        {900, 100, 1000, 1000, 0},        // tail block, clip data up to it
        {100, 50, 1050, 1000, 50},        // block inside the clip, whole clip follows
        {990, 20, 1020, 1010, 10},        // block reaching past the clip data
        {0, 0, 1000, 1000, 0},            // no block
        {1000, 0, 1000, 1000, 0},         // empty block right at the end of the clip data
        {0xFFFFFFFFu, 0, 1000, 1000, 0},  // empty block far away: it writes nothing
        {0, 1000, 1000, 1000, 0},         // the whole clip as the block
        {0, 0, 0, 0, 0},                  // header only
    };
    for (const Case& c : cases) {
        const avs::StreamLayout layout = avs::layStream(StreamHeader{c.offset, c.length}, 8 + c.payload);
        EXPECT_TRUE(avs::isAccepted(layout)) << c.offset << ":" << c.length;
        EXPECT_EQ(layout.clipDataLength, c.payload - c.length);
        EXPECT_EQ(layout.clipLength, c.clipLength) << c.offset << ":" << c.length;
        EXPECT_EQ(layout.overlapLength, c.overlap) << c.offset << ":" << c.length;
    }
}

TEST(AvsStreamLayout, RefusesBlocksTheStreamCannotCarryOrThatNeedPadding) {
    struct Case {
        uint32_t offset, length;
        HeaderProblem problem;
        const char* text;
    };
    const Case cases[] = {
        {0, 1001, HeaderProblem::BlockBeyondStream, "announces 1001 bytes but only 1000 follow"},
        {0xFFFFFFFFu, 0xFFFFFFFFu, HeaderProblem::BlockBeyondStream, "announces 4294967295 bytes"},
        {901, 100, HeaderProblem::BlockBeyondClip, "so 1 byte would be padding"},
        {0xFFFFFFFFu, 1, HeaderProblem::BlockBeyondClip, "4294966296 bytes would be padding"},
        {1000, 1, HeaderProblem::BlockBeyondClip, "clip offset 1000"},
    };
    for (const Case& c : cases) {
        const avs::StreamLayout layout = avs::layStream(StreamHeader{c.offset, c.length}, 1008);
        ASSERT_EQ(layout.problems.size(), 1u) << c.offset << ":" << c.length;
        EXPECT_EQ(layout.problems[0], c.problem);
        EXPECT_NE(avs::describeProblem(c.problem, layout).find(c.text), std::string::npos)
            << avs::describeProblem(c.problem, layout);
    }
}

TEST(AvsStreamLayout, RefusesAStreamShorterThanItsHeader) {
    for (uint64_t length = 0; length < 8; ++length) {
        const avs::StreamLayout layout = avs::layStream(StreamHeader{0, 0}, length);
        ASSERT_EQ(layout.problems, std::vector<HeaderProblem>{HeaderProblem::StreamTooShort}) << length;
        EXPECT_EQ(layout.clipLength, 0u) << length;
        EXPECT_NE(avs::describeProblem(layout.problems[0], layout).find("fewer than its 8-byte header"),
                  std::string::npos);
    }
}

// Without an announced length only the reach of the file limits the block; the message names it.
TEST(AvsStreamLayout, BlockBeyondTheReachOfTheFileIsRefusedWhateverTheLength) {
    EXPECT_EQ(avs::headerProblem(StreamHeader{0x7FFFFFFFu, 16}, 0), HeaderProblem::None);
    EXPECT_EQ(avs::headerProblem(StreamHeader{0x80000000u, 16}, 0), HeaderProblem::BlockOutOfReach);
    EXPECT_EQ(avs::headerProblem(StreamHeader{0x80000000u, 0}, 0), HeaderProblem::None);
    const avs::StreamLayout layout = avs::layStream(StreamHeader{0x90000000u, 16}, 0xFFFFFFFFu);
    ASSERT_EQ(layout.problems, std::vector<HeaderProblem>{HeaderProblem::BlockOutOfReach});
    EXPECT_NE(
        avs::describeProblem(layout.problems[0], layout).find("beyond the 2147483648 bytes a clip file can reach"),
        std::string::npos);
}

// Playback starts kStartAfterBlock bytes after the placed block, and never before a block held
// aside can have reached its place.
TEST(AvsStreamPlacement, StartThresholdWaitsForTheBlockInItsPlace) {
    const uint32_t gap = 40000;
    EXPECT_EQ(avs::startBytes(StreamHeader{1000000, 5000}, avs::kMaxGapAhead), 15000u);
    EXPECT_EQ(avs::startBytes(StreamHeader{0xFFFFFFFFu, 0}, gap), 10000u);
    EXPECT_EQ(avs::startBytes(StreamHeader{250000, 50000}, gap), 8u + 50000 + 250000 - gap);
    EXPECT_EQ(avs::startBytes(StreamHeader{45000, 5000}, gap), 15000u) << "the block is placed early enough";
    EXPECT_EQ(avs::startBytes(StreamHeader{0, 0xFFFFFFF0u}, gap), 0xFFFFFFFFu);
    EXPECT_EQ(avs::blockPlacementPoint(StreamHeader{250000, 50000}, gap), 250000u - gap);
    EXPECT_FALSE(avs::mayPlaceBlock(StreamHeader{250000, 50000}, 250000 - gap - 1, gap));
    EXPECT_TRUE(avs::mayPlaceBlock(StreamHeader{250000, 50000}, 250000 - gap, gap));
}

TEST(AvsStreamReassembler, FirstChunkPlacesTheBlockFarAwayAndTheRestAtZero) {
    const Bytes block = streamcases::randomBytes(5000, 1), clipData = streamcases::randomBytes(1000000, 2);
    Bytes stream = streamcases::headerAndFill(1000000, 5000, 0, 0);
    stream.insert(stream.end(), block.begin(), block.end());
    stream.insert(stream.end(), clipData.begin(), clipData.end());

    MemoryClip clip;
    avs::StreamReassembler reassembler(clip, stream.size());
    ASSERT_EQ(reassembler.feed(stream.data(), 8 + 5000 + 3000), FeedResult::Taken);
    EXPECT_EQ(reassembler.bytesReceived(), 8008u);
    ASSERT_EQ(clip.bytes.size(), 1005000u);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), clip.bytes.begin() + 1000000));
    EXPECT_TRUE(std::equal(clipData.begin(), clipData.begin() + 3000, clip.bytes.begin()));
    EXPECT_EQ(clip.position, 3000u);
}

TEST(AvsStreamReassembler, ChunkEndingWithTheBlockSendsTheNextToOffsetZero) {
    Bytes stream = streamcases::headerAndFill(20, 10, 30, 0);
    std::iota(stream.begin() + 8, stream.end(), uint8_t(1));
    MemoryClip clip;
    avs::StreamReassembler reassembler(clip, stream.size());
    ASSERT_EQ(reassembler.feed(stream.data(), 18), FeedResult::Taken);
    EXPECT_EQ(clip.position, 0u);
    ASSERT_EQ(reassembler.feed(stream.data() + 18, 20), FeedResult::Taken);
    const Bytes expected = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25,
                            26, 27, 28, 29, 30, 1,  2,  3,  4,  5,  6,  7,  8,  9,  10};
    EXPECT_EQ(clip.bytes, expected);
}

TEST(AvsStreamReassembler, HeaderInPiecesIsCollectedBeforeAnythingIsWritten) {
    Bytes stream = streamcases::headerAndFill(4, 2, 6, 0);
    MemoryClip clip;
    avs::StreamReassembler reassembler(clip, stream.size());
    ASSERT_EQ(reassembler.feed(stream.data(), 3), FeedResult::Taken);
    EXPECT_FALSE(reassembler.headerComplete());
    EXPECT_EQ(clip.calls, 0);
    ASSERT_EQ(reassembler.feed(stream.data() + 3, 5), FeedResult::Taken);
    EXPECT_TRUE(reassembler.headerComplete());
    EXPECT_EQ(reassembler.header().blockOffset, 4u);
}

TEST(AvsStreamReassembler, FailedWriteAbandonsTheStream) {
    Bytes stream = streamcases::headerAndFill(50, 50, 100, 0);
    MemoryClip clip;
    clip.failOnCall = 4;  // seek to 50, block, seek to 0, first clip-data write
    avs::StreamReassembler reassembler(clip, stream.size());
    EXPECT_EQ(reassembler.feed(stream.data(), 58), FeedResult::Taken);
    EXPECT_EQ(reassembler.feed(stream.data() + 58, 10), FeedResult::WriteFailed);
    EXPECT_EQ(reassembler.feed(stream.data() + 68, 10), FeedResult::WriteFailed);
    EXPECT_EQ(clip.calls, 4);
}

// A stream whose length was never announced is complete when it ended normally, its header fits
// the bytes that arrived and the clip holds, without a gap, all its RIFF header claims.
TEST(AvsStreamCompleteness, UnannouncedStreamIsJudgedByItsRiffSize) {
    const uint8_t riff[8] = {'R', 'I', 'F', 'F', 0xF8, 0x03, 0, 0};
    EXPECT_EQ(avs::riffFileLength(riff), 1024u);
    const uint8_t notRiff[8] = {'R', 'I', 'F', 'X', 0xF8, 0x03, 0, 0};
    EXPECT_EQ(avs::riffFileLength(notRiff), 0u);
    EXPECT_EQ(avs::gaplessClipLength(StreamHeader{900, 124}, true, 900), 1024u) << "the tail block joins on";
    EXPECT_EQ(avs::gaplessClipLength(StreamHeader{900, 124}, true, 899), 899u) << "a gap before the block";
    EXPECT_EQ(avs::gaplessClipLength(StreamHeader{900, 124}, false, 900), 900u) << "the block held aside";

    struct Case {
        const char* what;
        StreamHeader header;
        uint64_t received, announced;
        bool normal;
        uint64_t gapless, riff;
        bool complete;
    };
    const Case cases[] = {
        {"whole clip, ended normally", {900, 124}, 1032, 0, true, 1024, 1024, true},
        {"network error", {900, 124}, 1032, 0, false, 1024, 1024, false},
        {"one byte short of the RIFF size", {900, 124}, 1031, 0, true, 1023, 1024, false},
        {"no RIFF header", {900, 124}, 1032, 0, true, 1024, 0, false},
        {"header refused by the bytes that arrived", {1000, 10}, 68, 0, true, 50, 42, false},
        {"header refused by the length learned at the end", {1000, 10}, 68, 68, true, 50, 0, false},
        {"announced and received", {900, 124}, 1032, 1032, false, 1024, 0, true},
        {"announced, one byte missing", {900, 124}, 1031, 1032, true, 1023, 1024, false},
    };
    for (const Case& c : cases) {
        avs::StreamEnd end;
        end.header = c.header;
        end.blockInPlace = true;
        end.bytesReceived = c.received;
        end.announcedLength = c.announced;
        end.endedNormally = c.normal;
        end.gaplessLength = c.gapless;
        end.riffLength = c.riff;
        EXPECT_EQ(avs::isCompleteStream(end), c.complete) << c.what;
    }
}
