// The player on damaged and hostile clips: each is refused with a clear
// reason, or its damaged frames are concealed and reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "bytes.h"
#include "palette_clip.h"
#include "player.h"

namespace playertest {

namespace {

using Bytes = std::vector<uint8_t>;

std::size_t find(const Bytes& clip, const char* id) {
    return std::size_t(std::search(clip.begin(), clip.end(), id, id + 4) - clip.begin());
}

// The size field of the index's entry for the clip's second frame.
uint8_t* secondFrameSize(Bytes& clip) {
    const std::size_t idx1 = find(clip, "idx1") + 8;
    int frames = 0;
    for (std::size_t entry = idx1; entry + 16 <= clip.size(); entry += 16) {
        if (std::equal(clip.begin() + std::ptrdiff_t(entry), clip.begin() + std::ptrdiff_t(entry) + 4, "00dc") &&
            ++frames == 2)
            return clip.data() + entry + 12;
    }
    return nullptr;
}

struct HostileCase {
    const char* name;
    std::function<void(Bytes&)> damage;
    uint64_t clipLimit;   // the player's memory bound
    const char* error;    // what the refusal says, or null when the clip plays
    const char* warning;  // what playing the second frame reports, or null
};

const std::vector<HostileCase>& hostileCases() {
    static const std::vector<HostileCase> cases = {
        {"NotAnAvi", [](Bytes& clip) { std::copy_n("WAVE", 4, clip.begin() + 8); }, player::kMaxClipBytes,
         "not an AVI file", nullptr},
        {"AbsurdPictureSize", [](Bytes& clip) { kit::putLe32(clip.data() + find(clip, "strf") + 12, 100000); },
         player::kMaxClipBytes, "picture size 100000x16", nullptr},
        {"UnknownCodec",
         [](Bytes& clip) { std::copy_n("XVID", 4, clip.begin() + std::ptrdiff_t(find(clip, "strf") + 24)); },
         player::kMaxClipBytes, "'XVID' is not decoded", nullptr},
        {"NoIndex", [](Bytes& clip) { std::copy_n("JUNK", 4, clip.begin() + std::ptrdiff_t(find(clip, "idx1"))); },
         player::kMaxClipBytes, "no index", nullptr},
        {"LargerThanTheMemoryBound", [](Bytes&) {}, 1000, "beyond the", nullptr},
        {"FrameCutShort", [](Bytes& clip) { kit::putLe32(secondFrameSize(clip), 3); }, player::kMaxClipBytes, nullptr,
         "frame 1 is damaged (the MS Video 1 frame ends inside a block)"},
        {"FrameBeyondTheClip", [](Bytes& clip) { kit::putLe32(secondFrameSize(clip), 0x7FFFFFF0); },
         player::kMaxClipBytes, nullptr, nullptr},
    };
    return cases;
}

class PlayerHostile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(PlayerHostile, RefusedWithAReasonOrConcealed) {
    const HostileCase& hostile = GetParam();
    Bytes clip = makePaletteClip({16, 16, 6, 3});
    hostile.damage(clip);
    Bytes stream(8, 0);  // no placed block
    stream.insert(stream.end(), clip.begin(), clip.end());

    player::Player player(stream.size(), hostile.clipLimit);
    const bool taken = player.feed(stream.data(), stream.size());
    if (hostile.error != nullptr) {
        EXPECT_FALSE(taken);
        EXPECT_NE(player.error().find(hostile.error), std::string::npos) << player.error();
        EXPECT_EQ(player.frame(0), nullptr);
        return;
    }
    ASSERT_TRUE(taken) << player.error();
    ASSERT_EQ(player.playableFrames(), 6u);
    const player::Picture* first = player.frame(0);
    ASSERT_NE(first, nullptr);
    const Bytes firstPicture = first->rgba;
    const player::Picture* second = player.frame(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(player.lastWarning(), hostile.warning ? hostile.warning : "");
    if (hostile.warning == nullptr) {
        EXPECT_EQ(second->rgba, firstPicture) << "a frame without data repeats the one before";
    }
    for (std::size_t n = 2; n < 6; ++n) EXPECT_NE(player.frame(n), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Table, PlayerHostile, ::testing::ValuesIn(hostileCases()),
                         [](const ::testing::TestParamInfo<HostileCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace

}  // namespace playertest
