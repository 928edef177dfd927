// The stream format unit: the layout rules (accepted and refused headers)
// and chunk-by-chunk reassembly.
#include <algorithm>
#include <numeric>
#include <random>

#include <gtest/gtest.h>

#include "stream_reassembler.h"
#include "test_support.h"

using avs::FeedResult;
using avs::LayoutProblem;
using avs::StreamHeader;
using avstest::Bytes;

namespace {

// A clip in memory that records how often it was touched and can fail a write.
class MemoryClip : public avs::ClipWriter {
public:
    bool seekTo(uint64_t offset) override {
        ++calls;
        position = offset;
        return true;
    }
    bool write(const uint8_t* data, std::size_t length) override {
        if (++calls == failOnCall) return false;
        if (position + length > bytes.size()) bytes.resize(position + length);
        std::copy(data, data + length, bytes.begin() + std::ptrdiff_t(position));
        position += length;
        return true;
    }
    Bytes bytes;          // the clip so far
    uint64_t position = 0;
    int calls = 0;        // seekTo and write calls so far
    int failOnCall = -1;  // the call (counted from 1) that fails, if a write
};

Bytes pattern(std::size_t length, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(length);
    for (uint8_t& byte : bytes) byte = uint8_t(random());
    return bytes;
}

Bytes headerOnly(uint32_t offset, uint32_t length, std::size_t payload) {
    Bytes stream(8 + payload, 0);
    avs::encodeStreamHeader(StreamHeader{offset, length}, stream.data());
    return stream;
}

}  // namespace

TEST(AvsStreamLayout, AcceptsStreamsThatFillEveryClipByte) {
    struct Case {
        uint32_t offset, length;
        uint64_t payload, clipLength, overlap;
    };
    const Case cases[] = {
        {900, 100, 1000, 1000, 0},    // tail block, clip data up to it
        {100, 50, 1050, 1000, 50},    // block inside the clip, whole clip follows
        {990, 20, 1020, 1010, 10},    // block reaching past the clip data
        {0, 0, 1000, 1000, 0},        // no block
        {1000, 0, 1000, 1000, 0},     // empty block right at the end of the clip data
        {0xFFFFFFFFu, 0, 1000, 1000, 0},  // empty block far away: it writes nothing
        {0, 1000, 1000, 1000, 0},     // the whole clip as the block
        {0, 0, 0, 0, 0},              // header only
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
        LayoutProblem problem;
        const char* text;
    };
    const Case cases[] = {
        {0, 1001, LayoutProblem::BlockBeyondStream, "announces 1001 bytes but only 1000 follow"},
        {0xFFFFFFFFu, 0xFFFFFFFFu, LayoutProblem::BlockBeyondStream, "announces 4294967295 bytes"},
        {901, 100, LayoutProblem::BlockBeyondClip, "so 1 byte would be padding"},
        {0xFFFFFFFFu, 1, LayoutProblem::BlockBeyondClip, "4294966296 bytes would be padding"},
        {1000, 1, LayoutProblem::BlockBeyondClip, "clip offset 1000"},
    };
    for (const Case& c : cases) {
        const avs::StreamLayout layout = avs::layStream(StreamHeader{c.offset, c.length}, 1008);
        ASSERT_EQ(layout.problems.size(), 1u) << c.offset << ":" << c.length;
        EXPECT_EQ(layout.problems[0], c.problem);
        EXPECT_NE(avs::describeProblem(c.problem, layout).find(c.text), std::string::npos)
            << avs::describeProblem(c.problem, layout);
    }
}

TEST(AvsStreamReassembler, FirstChunkPlacesTheBlockFarAwayAndTheRestAtZero) {
    const Bytes block = pattern(5000, 1), clipData = pattern(1000000, 2);
    Bytes stream = headerOnly(1000000, 5000, 0);
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
    Bytes stream = headerOnly(20, 10, 30);
    std::iota(stream.begin() + 8, stream.end(), uint8_t(1));
    MemoryClip clip;
    avs::StreamReassembler reassembler(clip, stream.size());
    ASSERT_EQ(reassembler.feed(stream.data(), 18), FeedResult::Taken);
    EXPECT_EQ(clip.position, 0u);
    ASSERT_EQ(reassembler.feed(stream.data() + 18, 20), FeedResult::Taken);
    const Bytes expected = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30,
                            1,  2,  3,  4,  5,  6,  7,  8,  9,  10};
    EXPECT_EQ(clip.bytes, expected);
}

TEST(AvsStreamReassembler, HeaderInPiecesIsCollectedBeforeAnythingIsWritten) {
    Bytes stream = headerOnly(4, 2, 6);
    MemoryClip clip;
    avs::StreamReassembler reassembler(clip, stream.size());
    ASSERT_EQ(reassembler.feed(stream.data(), 3), FeedResult::Taken);
    EXPECT_FALSE(reassembler.headerComplete());
    EXPECT_EQ(clip.calls, 0);
    ASSERT_EQ(reassembler.feed(stream.data() + 3, 5), FeedResult::Taken);
    EXPECT_TRUE(reassembler.headerComplete());
    EXPECT_EQ(reassembler.layout().header.blockOffset, 4u);
}

// Streams built from one clip with different blocks, cut into chunks in several ways.
TEST(AvsStreamReassembler, RebuildsTheClipForEveryBlockAndChunking) {
    const Bytes original = pattern(70000, 3);
    const uint32_t size = uint32_t(original.size());
    struct Block {
        uint32_t offset, length;
        uint64_t clipData;
    };
    const Block blocks[] = {{60000, 10000, 60000}, {1000, 5000, size}, {0, 0, size}, {0, size, 0}, {size - 1, 1, size - 1}};
    std::mt19937 random(4);
    for (const Block& block : blocks) {
        const Bytes stream = avstest::expectedStream(original, block.offset, block.length, block.clipData);
        for (std::size_t maxChunk : {std::size_t(1), std::size_t(7), std::size_t(4096), std::size_t(1) << 20}) {
            MemoryClip clip;
            avs::StreamReassembler reassembler(clip, stream.size());
            for (std::size_t at = 0; at < stream.size();) {
                const std::size_t part = std::min(stream.size() - at, 1 + random() % maxChunk);
                ASSERT_EQ(reassembler.feed(stream.data() + at, part), FeedResult::Taken);
                at += part;
            }
            EXPECT_EQ(reassembler.bytesReceived(), stream.size());
            EXPECT_TRUE(clip.bytes == original) << block.offset << ":" << block.length << " chunks up to " << maxChunk;
        }
    }
}

TEST(AvsStreamReassembler, RefusedHeaderEndsTheStreamWithNothingWritten) {
    for (const StreamHeader header : {StreamHeader{0, 101}, StreamHeader{100, 1}, StreamHeader{0xFFFFFFFFu, 1}}) {
        Bytes stream = headerOnly(header.blockOffset, header.blockLength, 100);
        MemoryClip clip;
        avs::StreamReassembler reassembler(clip, stream.size());
        EXPECT_EQ(reassembler.feed(stream.data(), stream.size()), FeedResult::Refused);
        EXPECT_EQ(reassembler.feed(stream.data(), 1), FeedResult::Refused);
        EXPECT_EQ(clip.calls, 0);
    }
}

TEST(AvsStreamReassembler, FailedWriteAbandonsTheStream) {
    Bytes stream = headerOnly(50, 50, 100);
    MemoryClip clip;
    clip.failOnCall = 4;  // seek to 50, block, seek to 0, first clip-data write
    avs::StreamReassembler reassembler(clip, stream.size());
    EXPECT_EQ(reassembler.feed(stream.data(), 58), FeedResult::Taken);
    EXPECT_EQ(reassembler.feed(stream.data() + 58, 10), FeedResult::WriteFailed);
    EXPECT_EQ(reassembler.feed(stream.data() + 68, 10), FeedResult::WriteFailed);
    EXPECT_EQ(clip.calls, 4);
}
