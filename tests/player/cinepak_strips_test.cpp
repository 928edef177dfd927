// Cinepak's frame flag for codebooks between strips (checked against ffmpeg on
// a clip whose second strip was stripped of its codebooks): with bit 0 clear a
// strip starts from the codebooks of the strip above it, with bit 0 set from
// its own of the frame before.
#include <gtest/gtest.h>

#include "cinepak.h"

namespace playertest {

namespace {

// An 8x8 frame of two 8x4 strips of V1 blocks all naming entry 0; only the
// first strip carries a V1 codebook (entry 0: luminance 100, no colour).
std::vector<uint8_t> twoStripFrame(uint8_t flags) {
    const std::vector<uint8_t> firstStrip = {0x10, 0x00, 0, 28, 0,   0,   0,   0,   0, 4, 0, 8,  // strip header
                                             0x22, 0x00, 0, 10, 100, 100, 100, 100, 0, 0,        // V1 codebook
                                             0x32, 0x00, 0, 6,  0,   0};                         // V1 blocks
    const std::vector<uint8_t> secondStrip = {0x10, 0x00, 0, 18, 0, 0, 0, 0, 0, 4, 0, 8, 0x32, 0x00, 0, 6, 0, 0};
    std::vector<uint8_t> frame = {flags, 0, 0, 56, 0, 8, 0, 8, 0, 2};
    frame.insert(frame.end(), firstStrip.begin(), firstStrip.end());
    frame.insert(frame.end(), secondStrip.begin(), secondStrip.end());
    return frame;
}

TEST(CinepakStrips, FlagBitZeroDecidesWhetherAStripInheritsCodebooks) {
    for (const uint8_t flags : {0, 1}) {
        player::CinepakDecoder decoder(8, 8);
        player::Picture picture;
        std::string error;
        const std::vector<uint8_t> frame = twoStripFrame(flags);
        ASSERT_TRUE(decoder.decode(frame.data(), frame.size(), picture, error)) << error;
        EXPECT_EQ(picture.rgba[0], 100) << "first strip, flags " << int(flags);
        EXPECT_EQ(picture.rgba[(7 * 8 + 7) * 4], flags == 0 ? 100 : 0) << "second strip, flags " << int(flags);
    }
}

}  // namespace

}  // namespace playertest
