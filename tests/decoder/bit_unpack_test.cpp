// Bit unpacking: field layout of every frame kind, derived values and the
// counting of invalid lag and gain codes.
#include "bit_unpack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "frame_writer.h"

namespace {

FrameParams unpack(std::vector<uint8_t> frame, int32_t lowRate) {
    frame.resize(24, 0);
    FrameParams params;
    unpackFrame(&params, frame.data(), lowRate, 0);
    return params;
}

TEST(ReadBits, FirstBitIsLeastSignificantAcrossBytes) {
    const uint8_t bytes[3] = {0xB4, 0x5A, 0xFF};  // 1011 0100, 0101 1010
    BitCursor cursor{bytes, 2};
    EXPECT_EQ(readBits(cursor, 4), 0xD);               // bits 2-5 of 0xB4
    EXPECT_EQ(readBits(cursor, 6), 0x2 | (0xA << 2));  // bits 6-7 of 0xB4, then 0-3 of 0x5A
    EXPECT_EQ(cursor.bitPos, 12);
    EXPECT_EQ(readBits(cursor, 12), 0xFF5);
}

TEST(UnpackFrame, UntransmittedFrameCarriesOnlyItsType) {
    FrameParams p = unpack({0xFF, 0xFF}, 0);
    EXPECT_EQ(p.frameType, 0);
    EXPECT_EQ(p.badFrame, 0);
    EXPECT_EQ(p.lspIndex[0], 0);
    EXPECT_EQ(p.lspIndex[2], 0);
}

TEST(UnpackFrame, SidFrameFields) {
    const uint32_t lsp[3] = {17, 200, 255};
    FrameParams p = unpack(frames::sidFrame(lsp, 63), 0);
    EXPECT_EQ(p.frameType, 2);
    EXPECT_EQ(p.badFrame, 0);
    EXPECT_EQ(p.lspIndex[0], 17);
    EXPECT_EQ(p.lspIndex[1], 200);
    EXPECT_EQ(p.lspIndex[2], 255);
    EXPECT_EQ(p.sidGainCode, 63);
}

TEST(UnpackFrame, SidFrameIsNeverBad) {
    FrameParams p = unpack({0xFE, 0xFF, 0xFF, 0xFF}, 0);
    EXPECT_EQ(p.frameType, 2);
    EXPECT_EQ(p.badFrame, 0);
    EXPECT_EQ(p.sidGainCode, 63);
}

TEST(UnpackFrame, HigherRateFieldsRoundTrip) {
    frames::SpeechFields f;
    f.lsp[0] = 1;
    f.lsp[1] = 128;
    f.lsp[2] = 254;
    f.lagCode[0] = 60;
    f.lagCode[1] = 123;  // lags 78 and 141: full 12-bit gain codes
    f.lagDelta[0] = 2;
    f.lagDelta[1] = 3;
    f.gainCode[0] = 0;
    f.gainCode[1] = 4079;
    f.gainCode[2] = 1234;
    f.gainCode[3] = 24 * 100 + 7;
    f.grid[0] = 1;
    f.grid[3] = 1;
    f.combined = 2 * 810 + 3 * 90 + 4 * 9 + 5;  // h0 = 2, h1 = 3, h2 = 4, h3 = 5
    f.posLow[0] = 0xFFFF;
    f.posLow[1] = 0x2AAA;
    f.posLow[2] = 1;
    f.posLow[3] = 0x3FFF;
    f.signs[0] = 0x2A;
    f.signs[1] = 0x1F;
    f.signs[2] = 1;
    f.signs[3] = 0x10;
    FrameParams p = unpack(frames::speechFrame(f, false), 0);

    EXPECT_EQ(p.frameType, 1);
    EXPECT_EQ(p.badFrame, 0);
    EXPECT_EQ(p.lspIndex[0], 1);
    EXPECT_EQ(p.lspIndex[1], 128);
    EXPECT_EQ(p.lspIndex[2], 254);
    EXPECT_EQ(p.pitchLag[0], 78);
    EXPECT_EQ(p.pitchLag[1], 141);
    const int32_t lagDelta[4] = {1, 2, 1, 3};
    const int32_t acb[4] = {0, 169, 51, 100};
    const int32_t fixed[4] = {0, 23, 10, 7};
    const int32_t grid[4] = {1, 0, 0, 1};
    const int32_t pos[4] = {(2 << 16) + 0xFFFF, (3 << 14) + 0x2AAA, (4 << 16) + 1, (5 << 14) + 0x3FFF};
    const int32_t signs[4] = {0x2A, 0x1F, 1, 0x10};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(p.sub[i].lagDelta, lagDelta[i]);
        EXPECT_EQ(p.sub[i].acbGainIndex, acb[i]);
        EXPECT_EQ(p.sub[i].fixedGainIndex, fixed[i]);
        EXPECT_EQ(p.sub[i].pulseTrain, 0);
        EXPECT_EQ(p.sub[i].grid, grid[i]);
        EXPECT_EQ(p.sub[i].pulsePos, pos[i]);
        EXPECT_EQ(p.sub[i].pulseSigns, signs[i]);
    }
}

TEST(UnpackFrame, LowerRateFieldsRoundTrip) {
    frames::SpeechFields f;
    f.lagCode[0] = 10;
    f.lagCode[1] = 0;  // lags 28 and 18: still the 170-row bound
    f.gainCode[0] = 4079;
    f.gainCode[1] = 2047;
    f.gainCode[2] = 24;
    f.gainCode[3] = 2100;
    f.grid[1] = 1;
    f.grid[2] = 1;
    f.pulsePos[0] = 0xFFF;
    f.pulsePos[1] = 0x123;
    f.pulsePos[2] = 0;
    f.pulsePos[3] = 0x800;
    f.signs[0] = 0xF;
    f.signs[1] = 0x5;
    f.signs[2] = 0;
    f.signs[3] = 0x8;
    FrameParams p = unpack(frames::speechFrame(f, true), 1);

    EXPECT_EQ(p.badFrame, 0);
    EXPECT_EQ(p.pitchLag[0], 28);
    EXPECT_EQ(p.pitchLag[1], 18);
    const int32_t acb[4] = {169, 85, 1, 87};
    const int32_t fixed[4] = {23, 7, 0, 12};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(p.sub[i].acbGainIndex, acb[i]);
        EXPECT_EQ(p.sub[i].fixedGainIndex, fixed[i]);
        EXPECT_EQ(p.sub[i].pulseTrain, 0);
        EXPECT_EQ(p.sub[i].grid, static_cast<int32_t>(f.grid[i]));
        EXPECT_EQ(p.sub[i].pulsePos, static_cast<int32_t>(f.pulsePos[i]));
        EXPECT_EQ(p.sub[i].pulseSigns, static_cast<int32_t>(f.signs[i]));
    }
}

TEST(UnpackFrame, LagCodes) {
    frames::SpeechFields f;
    f.lagCode[0] = 123;
    f.lagCode[1] = 124;
    FrameParams p = unpack(frames::speechFrame(f, false), 0);
    EXPECT_EQ(p.pitchLag[0], 141);
    EXPECT_EQ(p.pitchLag[1], 124);
    EXPECT_EQ(p.badFrame, 1);

    f.lagCode[0] = 127;
    f.lagCode[1] = 0;
    p = unpack(frames::speechFrame(f, false), 0);
    EXPECT_EQ(p.pitchLag[0], 127);
    EXPECT_EQ(p.pitchLag[1], 18);
    EXPECT_EQ(p.badFrame, 1);
}

TEST(UnpackFrame, ShortLagSplitsTheGainCodeAtTheHigherRate) {
    frames::SpeechFields f;
    f.lagCode[0] = 57 - 18;  // lag 57: 85-row table for sub-frames 0 and 1
    f.lagCode[1] = 58 - 18;  // lag 58: 170-row table for sub-frames 2 and 3
    const uint32_t code = 0x800 | (84 * 24 + 5);
    for (uint32_t& g : f.gainCode) g = code;
    FrameParams p = unpack(frames::speechFrame(f, false), 0);
    EXPECT_EQ(p.badFrame, 0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(p.sub[i].pulseTrain, 1);
        EXPECT_EQ(p.sub[i].acbGainIndex, 84);
        EXPECT_EQ(p.sub[i].fixedGainIndex, 5);
    }
    for (int i = 2; i < 4; ++i) {
        EXPECT_EQ(p.sub[i].pulseTrain, 0);
        EXPECT_EQ(p.sub[i].acbGainIndex, static_cast<int32_t>(code / 24));
        EXPECT_EQ(p.sub[i].fixedGainIndex, static_cast<int32_t>(code % 24));
    }

    p = unpack(frames::speechFrame(f, true), 1);  // the lower rate never splits
    EXPECT_EQ(p.sub[0].pulseTrain, 0);
    EXPECT_EQ(p.sub[0].acbGainIndex, static_cast<int32_t>(code / 24));
}

TEST(UnpackFrame, GainRowAtTheTableBoundIsInvalid) {
    frames::SpeechFields f;
    f.lagCode[0] = 30;             // lag 48: 85-row bound
    f.lagCode[1] = 100;            // lag 118: 170-row bound
    f.gainCode[0] = 2040;          // row 85
    f.gainCode[1] = 0x800 | 2047;  // row 85 with the pulse-train bit
    f.gainCode[2] = 4080;          // row 170
    f.gainCode[3] = 4095;          // row 170
    EXPECT_EQ(unpack(frames::speechFrame(f, false), 0).badFrame, 4);

    f.gainCode[0] = 2039;  // row 84
    f.gainCode[1] = 0;
    f.gainCode[2] = 4079;  // row 169
    f.gainCode[3] = 0;
    EXPECT_EQ(unpack(frames::speechFrame(f, false), 0).badFrame, 0);

    // At the lower rate 2040 is row 85 of the 170-row table: valid.
    f.gainCode[0] = 2040;
    f.gainCode[2] = 4080;
    EXPECT_EQ(unpack(frames::speechFrame(f, true), 1).badFrame, 1);
}

TEST(UnpackFrame, InvalidLagCodeSelectsTheLongTable) {
    frames::SpeechFields f;
    f.lagCode[0] = 124;    // raw lag 124 counts as >= 58
    f.gainCode[0] = 2040;  // row 85: valid in the 170-row table
    FrameParams p = unpack(frames::speechFrame(f, false), 0);
    EXPECT_EQ(p.badFrame, 1);
    EXPECT_EQ(p.sub[0].acbGainIndex, 85);
    EXPECT_EQ(p.sub[0].pulseTrain, 0);
}

TEST(UnpackFrame, EveryInvalidCodeIsCounted) {
    frames::SpeechFields f;
    f.lagCode[0] = 125;
    f.lagCode[1] = 126;
    for (uint32_t& g : f.gainCode) g = 4090;
    EXPECT_EQ(unpack(frames::speechFrame(f, false), 0).badFrame, 6);
}

TEST(UnpackFrame, LargestCombinedIndex) {
    frames::SpeechFields f;
    f.combined = 8191;
    FrameParams p = unpack(frames::speechFrame(f, false), 0);
    EXPECT_EQ(p.badFrame, 0);
    EXPECT_EQ(p.sub[0].pulsePos, 10 << 16);
    EXPECT_EQ(p.sub[1].pulsePos, 1 << 14);
    EXPECT_EQ(p.sub[2].pulsePos, 0);
    EXPECT_EQ(p.sub[3].pulsePos, 1 << 14);
}

TEST(UnpackFrame, ReservedBitIsIgnored) {
    frames::Random rng(5);
    std::vector<uint8_t> frame = frames::randomSpeechFrame(rng, false);
    std::vector<uint8_t> flipped = frame;
    flipped[12] ^= 1;  // bit 96
    FrameParams a = unpack(frame, 0);
    FrameParams b = unpack(flipped, 0);
    EXPECT_EQ(0, std::memcmp(&a, &b, sizeof a));
}

TEST(UnpackFrame, ForcedBadFrameReadsNothing) {
    frames::Random rng(6);
    std::vector<uint8_t> frame = frames::randomSpeechFrame(rng, false);
    FrameParams p;
    unpackFrame(&p, frame.data(), 0, 1);
    EXPECT_EQ(p.badFrame, 1);
    EXPECT_EQ(p.lspIndex[0], 0);
    EXPECT_EQ(p.pitchLag[0], 0);
}

}  // namespace
