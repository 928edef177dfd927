// Excitation: periodic extension and the 5-tap adaptive vector, the
// enumerative multipulse code, the lower-rate tracks, pulse repetition and
// the choice of the tap table.
#include "excitation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <vector>

#include "decoder_state.h"
#include "frame_writer.h"
#include "tables/excitation_tables.h"

namespace {

constexpr int32_t pos = 200;  // sub-frame start inside the test buffers

// A history on the grid: whole numbers, loud enough that the largest taps
// saturate.
std::vector<float> randomBuffer(uint32_t seed, size_t size) {
    frames::Random rng(seed);
    std::vector<float> v(size);
    for (float& x : v) x = static_cast<float>(static_cast<int32_t>(rng.below(40001)) - 20000);
    return v;
}

// The adaptive vector from an unbounded periodic continuation of the past,
// in integers: the taps are the standard's at 2^14; the exact sum is rounded
// (halves up) at that scale and saturated to 16 bits.
std::vector<float> referenceAdaptive(const std::vector<float>& buffer, int32_t lag, const float* taps) {
    std::vector<float> ext(buffer.begin(), buffer.begin() + pos);
    for (int32_t n = pos; n < pos + 70; ++n) ext.push_back(ext[n - lag]);
    std::vector<float> out(60);
    for (int32_t i = 0; i < 60; ++i) {
        int64_t sum = 0;
        for (int32_t j = 0; j < 5; ++j) {
            sum += std::lround(taps[j] * 16384.0) * static_cast<int64_t>(ext[pos + i - lag - 2 + j]);
        }
        const int64_t rounded = (sum + 8192) >> 14;
        out[i] = static_cast<float>(std::min<int64_t>(32767, std::max<int64_t>(-32768, rounded)));
    }
    return out;
}

// Pulse positions (sample indices) of the fixed vector alone.
std::vector<int32_t> pulsePositions(const float* v) {
    std::vector<int32_t> p;
    for (int32_t n = 0; n < 60; ++n) {
        if (v[n] != 0.0f) p.push_back(n);
    }
    return p;
}

std::vector<float> fixedVector(const FrameParams& params, int32_t k, int32_t lowRate) {
    std::vector<float> v(60, 0.0f);
    addFixedVector(v.data(), 0, params, k, lowRate);
    return v;
}

FrameParams speechParams() {
    FrameParams p;
    std::memset(&p, 0, sizeof p);
    p.frameType = 1;
    p.pitchLag[0] = 100;
    p.pitchLag[1] = 100;
    for (SubframeParams& s : p.sub) s.lagDelta = 1;
    return p;
}

TEST(ExtendPeriodic, CopiesUpToSample61) {
    std::vector<float> b = randomBuffer(1, 400);
    std::vector<float> before = b;
    extendPeriodic(b.data(), pos, 61);
    EXPECT_EQ(b[pos], b[pos - 61]);
    EXPECT_EQ(b[pos + 1], before[pos + 1]);

    b = before;
    extendPeriodic(b.data(), pos, 62);
    EXPECT_EQ(b, before);

    extendPeriodic(b.data(), pos, 17);
    for (int32_t i = 0; i <= 44; ++i) EXPECT_EQ(b[pos + i], b[pos + i - 17]) << i;
    EXPECT_EQ(b[pos + 45], before[pos + 45]);
}

TEST(BuildAdaptiveVector, MatchesAPeriodicContinuationAtEveryLag) {
    const float* taps = acbGainTable170[169];
    for (int32_t lag = 17; lag <= 143; ++lag) {
        SCOPED_TRACE(lag);
        std::vector<float> b = randomBuffer(lag, 400);
        std::vector<float> expected = referenceAdaptive(b, lag, taps);
        std::vector<float> history(b.begin(), b.begin() + pos);
        buildAdaptiveVector(b.data(), pos, lag, taps);
        EXPECT_EQ(std::vector<float>(b.begin() + pos, b.begin() + pos + 60), expected);
        EXPECT_EQ(std::vector<float>(b.begin(), b.begin() + pos), history);
    }
}

TEST(BuildAdaptiveVector, RoundsHalvesUpAndSaturates) {
    const float* taps = acbGainTable170[1];  // b1 = 212 / 2^14
    std::vector<float> b(400, 0.0f);
    b[pos + 0 - 100 - 1] = 2048.0f;  // b1 * 2048 = 26.5 for sample 0
    b[pos + 10 - 100 - 1] = -2048.0f;
    buildAdaptiveVector(b.data(), pos, 100, taps);
    EXPECT_EQ(b[pos], 27.0f);
    EXPECT_EQ(b[pos + 10], -26.0f);

    for (float level : {32767.0f, -32768.0f}) {
        std::vector<float> loud(400, level);
        buildAdaptiveVector(loud.data(), pos, 40, acbGainTable170[169]);  // taps summing to 2.2
        for (int32_t i = 0; i < 60; ++i) EXPECT_EQ(loud[pos + i], level) << i;
    }
}

TEST(BuildAdaptiveVector, ZeroTapsGiveSilence) {
    for (const float* taps : {acbGainTable85[0], acbGainTable170[0]}) {
        std::vector<float> b = randomBuffer(3, 400);
        buildAdaptiveVector(b.data(), pos, 40, taps);
        for (int32_t i = 0; i < 60; ++i) EXPECT_EQ(b[pos + i], 0.0f);
    }
}

TEST(Multipulse, SmallestAndLargestCodes) {
    FrameParams p = speechParams();
    p.sub[0].fixedGainIndex = 3;  // amplitude 8
    p.sub[0].grid = 1;
    p.sub[0].pulsePos = 0;
    p.sub[0].pulseSigns = 0x21;  // first and last pulse negative
    std::vector<float> v = fixedVector(p, 0, 0);
    EXPECT_EQ(pulsePositions(v.data()), (std::vector<int32_t>{1, 3, 5, 7, 9, 11}));
    EXPECT_EQ(v[1], -8.0f);
    EXPECT_EQ(v[3], 8.0f);
    EXPECT_EQ(v[11], -8.0f);

    p.sub[0].pulsePos = 593775 - 1;
    p.sub[0].grid = 0;
    EXPECT_EQ(pulsePositions(fixedVector(p, 0, 0).data()), (std::vector<int32_t>{48, 50, 52, 54, 56, 58}));

    p.sub[1] = p.sub[0];
    p.sub[1].pulsePos = 142506 - 1;
    EXPECT_EQ(pulsePositions(fixedVector(p, 1, 0).data()), (std::vector<int32_t>{50, 52, 54, 56, 58}));
}

TEST(Multipulse, CodesBeyondTheCombinationCountPlaceNothing) {
    FrameParams p = speechParams();
    p.sub[0].pulsePos = 593775;
    p.sub[1].pulsePos = 142506;
    p.sub[2].pulsePos = (10 << 16) + 0xFFFF;
    EXPECT_TRUE(pulsePositions(fixedVector(p, 0, 0).data()).empty());
    EXPECT_TRUE(pulsePositions(fixedVector(p, 1, 0).data()).empty());
    EXPECT_TRUE(pulsePositions(fixedVector(p, 2, 0).data()).empty());
}

TEST(Multipulse, EveryCodeGivesADistinctSetOfPulses) {
    for (int32_t k = 0; k < 2; ++k) {
        const int32_t pulses = k == 0 ? 6 : 5;
        const int32_t count = k == 0 ? 593775 : 142506;
        FrameParams p = speechParams();
        std::set<uint32_t> seen;
        for (int32_t code = 0; code < count; ++code) {
            p.sub[k].pulsePos = code;
            std::vector<float> v = fixedVector(p, k, 0);
            uint32_t mask = 0;
            int32_t placed = 0;
            for (int32_t n = 0; n < 60; n += 2) {
                if (v[n] != 0.0f) {
                    mask |= 1u << (n / 2);
                    ++placed;
                }
            }
            ASSERT_EQ(placed, pulses) << code;
            ASSERT_TRUE(seen.insert(mask).second) << code;
        }
    }
}

TEST(Multipulse, PulseTrainRepeatsAtTheOpenLoopLag) {
    FrameParams p = speechParams();
    p.pitchLag[0] = 18;
    p.sub[1].lagDelta = 3;  // the repetition ignores the lag offset
    p.sub[1].pulseTrain = 1;
    p.sub[1].fixedGainIndex = 0;     // amplitude 2
    p.sub[1].pulsePos = 142506 - 1;  // pulses at 50..58: beyond one period, nothing repeats
    EXPECT_EQ(pulsePositions(fixedVector(p, 1, 0).data()), (std::vector<int32_t>{50, 52, 54, 56, 58}));

    p.sub[1].pulsePos = 0;  // pulses at 0, 2, 4, 6, 8, all positive
    std::vector<float> v = fixedVector(p, 1, 0);
    for (int32_t n = 0; n < 60; ++n) {
        const bool onPulse = n % 18 <= 8 && n % 2 == 0;
        EXPECT_EQ(v[n], onPulse ? 2.0f : 0.0f) << n;
    }
}

TEST(RepeatPulses, RepetitionsRepeatAgain) {
    std::vector<float> v(60, 0.0f);
    v[5] = 1.0f;
    repeatPulses(v.data(), 20, 0.5f);
    EXPECT_EQ(v[25], 0.5f);
    EXPECT_EQ(v[45], 0.25f);
    std::vector<float> w(60, 0.0f);
    w[5] = 1.0f;
    repeatPulses(w.data(), 60, 0.5f);
    EXPECT_EQ(pulsePositions(w.data()), (std::vector<int32_t>{5}));
}

TEST(LowerRatePulses, TracksAndSigns) {
    FrameParams p = speechParams();
    p.sub[0].acbGainIndex = 2;     // lag correction 60: no sharpening
    p.sub[0].fixedGainIndex = 23;  // amplitude 13246
    p.sub[0].grid = 1;
    p.sub[0].pulsePos = 1 | (2 << 3) | (3 << 6) | (6 << 9);
    p.sub[0].pulseSigns = 0x5;  // tracks 0 and 2 positive
    std::vector<float> v = fixedVector(p, 0, 1);
    EXPECT_EQ(pulsePositions(v.data()), (std::vector<int32_t>{1 + 8, 3 + 16, 5 + 24, 7 + 48}));
    EXPECT_EQ(v[9], 13246.0f);
    EXPECT_EQ(v[19], -13246.0f);
    EXPECT_EQ(v[29], 13246.0f);
    EXPECT_EQ(v[55], -13246.0f);

    p.sub[0].pulsePos = 7 << 9;  // track 3 at 1 + 6 + 56 = 63: dropped
    EXPECT_EQ(pulsePositions(fixedVector(p, 0, 1).data()), (std::vector<int32_t>{1, 3, 5}));
}

TEST(LowerRatePulses, PitchSharpening) {
    FrameParams p = speechParams();
    p.sub[0].fixedGainIndex = 0;  // amplitude 2
    p.sub[0].pulseSigns = 0xF;
    p.sub[0].pulsePos = 0;  // pulses at 0, 2, 4, 6

    p.sub[0].acbGainIndex = 12;  // lag correction +2, gain 0.354187
    p.pitchLag[0] = 50;          // T = 52
    std::vector<float> v = fixedVector(p, 0, 1);
    EXPECT_EQ(v[52], sharpenGainTable[12] * 2.0f);
    EXPECT_EQ(v[58], sharpenGainTable[12] * 2.0f);

    p.pitchLag[0] = 56;  // T = 58: no sharpening
    EXPECT_EQ(pulsePositions(fixedVector(p, 0, 1).data()), (std::vector<int32_t>{0, 2, 4, 6}));

    p.sub[1] = p.sub[0];
    p.sub[1].acbGainIndex = 13;  // lag correction -2
    p.sub[1].lagDelta = 3;       // T = 56 - 2 + 2 = 56
    std::vector<float> w = fixedVector(p, 1, 1);
    EXPECT_EQ(w[56], sharpenGainTable[13] * 2.0f);

    p.sub[0].acbGainIndex = 25;  // lag correction -1, gain 0: unchanged
    p.pitchLag[0] = 30;
    EXPECT_EQ(pulsePositions(fixedVector(p, 0, 1).data()), (std::vector<int32_t>{0, 2, 4, 6}));
}

// The adaptive part alone (no pulses) of decodeExcitation, per sub-frame.
std::vector<float> adaptiveOnly(const std::vector<float>& excitation, int32_t k, int32_t lag, const float* taps) {
    std::vector<float> b = excitation;
    buildAdaptiveVector(b.data(), excitationHistory + 60 * k, lag, taps);
    return std::vector<float>(b.begin() + excitationHistory + 60 * k, b.begin() + excitationHistory + 60 * k + 60);
}

TEST(DecodeExcitation, TapTableFollowsRateAndOpenLoopLag) {
    std::vector<float> history = randomBuffer(9, excitationHistory + frameLength);
    FrameParams p = speechParams();
    p.pitchLag[0] = 57;
    p.pitchLag[1] = 58;
    for (SubframeParams& s : p.sub) {
        s.acbGainIndex = 40;
        s.pulsePos = 593775;  // no pulses
    }
    std::vector<float> high = history;
    decodeExcitation(high.data(), p, 0);
    EXPECT_EQ(std::vector<float>(high.begin() + 265, high.begin() + 325),
              adaptiveOnly(history, 0, 57, acbGainTable85[40]));
    EXPECT_EQ(std::vector<float>(high.begin() + 385, high.begin() + 445),
              adaptiveOnly(high, 2, 58, acbGainTable170[40]));

    for (SubframeParams& s : p.sub) {
        s.pulsePos = 0xFFF;
        s.fixedGainIndex = 0;
        s.grid = 1;  // tracks at 57, 59, 61, 63: only the first two inside the sub-frame
    }
    std::vector<float> low = history;
    decodeExcitation(low.data(), p, 1);
    std::vector<float> expected = adaptiveOnly(history, 0, 57, acbGainTable170[40]);
    expected[57] += -2.0f;
    expected[59] += -2.0f;
    EXPECT_EQ(std::vector<float>(low.begin() + 265, low.begin() + 325), expected);
}

TEST(DecodeExcitation, LaterSubframesSeeEarlierOnes) {
    std::vector<float> history(excitationHistory + frameLength, 0.0f);
    FrameParams p = speechParams();
    p.pitchLag[0] = 60;
    p.sub[0].acbGainIndex = 0;
    p.sub[0].fixedGainIndex = 0;  // one pulse of 2 at sample 0 is enough
    p.sub[0].pulsePos = 0;
    p.sub[0].pulseSigns = 0;
    p.sub[1].lagDelta = 1;  // lag 60
    p.sub[1].acbGainIndex = 1;
    p.sub[1].pulsePos = 142506;
    for (int32_t k = 2; k < 4; ++k) p.sub[k].pulsePos = 593775;
    decodeExcitation(history.data(), p, 0);
    const float* taps = acbGainTable170[1];
    // Sub-frame 1 at lag 60 filters sub-frame 0's pulses (2 at 0, 2, ..., 10),
    // rounded to a whole number.
    EXPECT_EQ(history[265 + 60 + 2], std::nearbyint(2.0f * (taps[0] + taps[2] + taps[4])));
}

}  // namespace
