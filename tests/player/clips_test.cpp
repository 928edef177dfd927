// The player on the table of clips: each clip packed as the stream avspack
// makes (the index first as the placed block, then the clip data) and fed in
// random chunks. After every chunk the playable frames are exactly those whose
// data has arrived; at the end every frame equals ffmpeg's decoding (also
// asked for out of order) and the sound equals the reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "bytes.h"
#include "clip_table.h"
#include "player.h"
#include "riff.h"
#include "scratch_files.h"
#include "stream_header.h"

namespace playertest {

namespace {

class BytesSource : public kit::RandomAccessBytes {
public:
    explicit BytesSource(const Bytes& bytes) : m_bytes(bytes) {}
    std::size_t readAt(uint64_t offset, void* data, std::size_t length) override {
        if (offset >= m_bytes.size()) return 0;
        length = std::min<std::size_t>(length, m_bytes.size() - offset);
        std::memcpy(data, m_bytes.data() + offset, length);
        return length;
    }
    bool failed() const override { return false; }

private:
    const Bytes& m_bytes;
};

// The stream: header, the clip from its 'idx1' chunk on, the clip before it.
Bytes packStream(const Bytes& avi, uint64_t& indexOffset) {
    const char idx1[] = "idx1";
    indexOffset = uint64_t(std::find_end(avi.begin(), avi.end(), idx1, idx1 + 4) - avi.begin());
    uint8_t header[avs::kStreamHeaderSize];
    avs::encodeStreamHeader({uint32_t(indexOffset), uint32_t(avi.size() - indexOffset)}, header);
    Bytes stream(header, header + sizeof header);
    stream.insert(stream.end(), avi.begin() + std::ptrdiff_t(indexOffset), avi.end());
    stream.insert(stream.end(), avi.begin(), avi.begin() + std::ptrdiff_t(indexOffset));
    return stream;
}

// Where the data of each video frame ends, from a walk of the 'movi' list.
std::vector<uint64_t> frameEnds(const Bytes& avi) {
    BytesSource source(avi);
    std::vector<uint64_t> ends;
    kit::ChunkWalker form(source, 12, avi.size());
    for (kit::Chunk chunk; form.next(chunk);) {
        if (!chunk.isList("movi")) continue;
        kit::ChunkWalker movi(source, chunk.childrenOffset(), chunk.dataEnd);
        for (kit::Chunk frame; movi.next(frame);) {
            if (frame.is("00dc") || frame.is("00db")) ends.push_back(frame.dataEnd);
        }
    }
    return ends;
}

class PlayerClips : public ::testing::TestWithParam<ClipCase> {};

TEST_P(PlayerClips, FramesAndSoundMatchTheReferencesWhileStreamed) {
    if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    const ClipCase& clip = GetParam();
    toolstest::ScratchDir dir("player");
    MadeClip made;
    std::string error;
    ASSERT_TRUE(makeClip(clip, dir.file(""), made, error)) << error;
    ASSERT_GT(made.frameCount, 0u);

    uint64_t indexOffset = 0;
    const Bytes stream = packStream(made.avi, indexOffset);
    const std::vector<uint64_t> ends = frameEnds(made.avi);
    ASSERT_EQ(ends.size(), made.frameCount);
    const uint64_t headerListEnd = 20 + kit::readLe32(made.avi.data() + 16);
    const uint64_t blockEnd = avs::kStreamHeaderSize + made.avi.size() - indexOffset;

    player::Player player(stream.size());
    std::vector<int16_t> sound;
    std::mt19937 random(clip.width * 1000 + clip.height);
    for (std::size_t fed = 0; fed < stream.size();) {
        const std::size_t length = std::min<std::size_t>(stream.size() - fed, 1 + random() % 3000);
        ASSERT_TRUE(player.feed(stream.data() + fed, length)) << player.error();
        fed += length;
        const uint64_t clipData = fed > blockEnd ? fed - blockEnd : 0;
        const std::size_t expected =
            clipData >= headerListEnd ? std::size_t(std::upper_bound(ends.begin(), ends.end(), clipData) - ends.begin())
                                      : 0;
        ASSERT_EQ(player.playableFrames(), expected) << "after " << fed << " of " << stream.size() << " bytes";
        player.takeSound(UINT64_MAX, sound);
    }
    EXPECT_TRUE(player.isComplete());
    ASSERT_EQ(player.frameCount(), made.frameCount);

    const std::size_t frameBytes = std::size_t(clip.width) * clip.height * 4;
    std::vector<std::size_t> order(made.frameCount);
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::vector<std::size_t> shuffled = order;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    order.insert(order.end(), shuffled.begin(),
                 shuffled.begin() + std::ptrdiff_t(std::min<std::size_t>(8, shuffled.size())));
    for (std::size_t n : order) {
        const player::Picture* picture = player.frame(n);
        ASSERT_NE(picture, nullptr) << player.error();
        ASSERT_EQ(picture->rgba.size(), frameBytes);
        ASSERT_TRUE(std::equal(picture->rgba.begin(), picture->rgba.end(),
                               made.frames.begin() + std::ptrdiff_t(n * frameBytes)))
            << "frame " << n << " differs from ffmpeg's";
        EXPECT_EQ(player.lastWarning(), "");
    }
    EXPECT_EQ(player.hasSound(), clip.sound != Sound::None) << player.soundNote();
    EXPECT_EQ(sound.size(), made.sound.size());
    EXPECT_TRUE(sound == made.sound) << "the sound differs from the reference";
}

INSTANTIATE_TEST_SUITE_P(Table, PlayerClips, ::testing::ValuesIn(clipCases()),
                         [](const ::testing::TestParamInfo<ClipCase>& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace playertest
