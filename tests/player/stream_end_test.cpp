// The player on the stream's own rules: when playback may start (the placed
// block and 10000 bytes after it), when a stream of unannounced length is a
// complete clip (at its normal end), and the rebuilt clip file it keeps.
#include <gtest/gtest.h>

#include <algorithm>

#include "palette_clip.h"
#include "player.h"

namespace playertest {

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kBlockLength = 3000;

// The clip as a stream whose placed block is the clip's last kBlockLength bytes (the index).
Bytes streamOf(const Bytes& clip) {
    const uint32_t offset = uint32_t(clip.size()) - kBlockLength;
    Bytes stream(8);
    for (int i = 0; i < 4; ++i) {
        stream[std::size_t(i)] = uint8_t(offset >> (8 * i));
        stream[std::size_t(4 + i)] = uint8_t(kBlockLength >> (8 * i));
    }
    stream.insert(stream.end(), clip.end() - kBlockLength, clip.end());
    stream.insert(stream.end(), clip.begin(), clip.end() - kBlockLength);
    return stream;
}

// Feeds the stream's first `length` bytes in pieces of `piece` bytes.
void feed(player::Player& player, const Bytes& stream, std::size_t length, std::size_t piece) {
    for (std::size_t at = 0; at < length; at += piece) {
        ASSERT_TRUE(player.feed(stream.data() + at, std::min(piece, length - at))) << player.error();
    }
}

class PlayerStreamEnd : public ::testing::Test {
protected:
    const Bytes clip = makePaletteClip({128, 96, 12, 7});
    const Bytes stream = streamOf(clip);
};

TEST_F(PlayerStreamEnd, MayStartOnceTheBlockAndTenThousandBytesArrived) {
    ASSERT_GT(stream.size(), kBlockLength + 10000u);
    player::Player player(stream.size());
    for (std::size_t at = 0; at < stream.size(); ++at) {
        ASSERT_TRUE(player.feed(stream.data() + at, 1));
        ASSERT_EQ(player.mayStart(), at + 1 >= kBlockLength + 10000) << "after " << at + 1 << " bytes";
    }
}

TEST_F(PlayerStreamEnd, WithoutALengthCompleteAtItsNormalEndAndKeepsTheClip) {
    player::Player player(0);
    feed(player, stream, stream.size(), 777);
    EXPECT_TRUE(player.allArrived());
    EXPECT_FALSE(player.isComplete()) << "the stream may go on";
    player.endStream();
    EXPECT_TRUE(player.isComplete());
    EXPECT_EQ(player.clipFile(), clip);
}

TEST_F(PlayerStreamEnd, BrokenOffIsNotComplete) {
    player::Player unannounced(0);
    feed(unannounced, stream, stream.size() - 1, 777);
    unannounced.endStream();
    EXPECT_FALSE(unannounced.isComplete());
    player::Player announced(stream.size());
    feed(announced, stream, stream.size() - 1, 777);
    announced.endStream();
    EXPECT_FALSE(announced.isComplete());
    EXPECT_EQ(announced.error(), "");
}

TEST_F(PlayerStreamEnd, AWholeClipWithoutIndexIsRefusedAtItsEnd) {
    Bytes noIndex = clip;
    const char* idx1 = "idx1";
    std::copy_n("JUNK", 4, std::search(noIndex.begin(), noIndex.end(), idx1, idx1 + 4));
    const Bytes noIndexStream = streamOf(noIndex);
    player::Player player(0);
    feed(player, noIndexStream, noIndexStream.size(), 777);
    EXPECT_EQ(player.error(), "");
    player.endStream();
    EXPECT_NE(player.error().find("no index"), std::string::npos) << player.error();
}

}  // namespace

}  // namespace playertest
