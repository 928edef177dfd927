// Comfort noise: the random draws, the pulse amplitude, level smoothing and
// the excitation energy of each block.
#include "comfort_noise.h"
#include "concealment.h"
#include "decoder_state.h"
#include "lsp.h"
#include "tables/lsp_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int current = 265;

double blockEnergy(const float* x) {
    double e = 0.0;
    for (int n = 0; n < 120; ++n) e += static_cast<double>(x[n]) * x[n];
    return e;
}

// The block's RMS level; its samples must be whole numbers (the grid of the
// history), which moves the level by at most half a unit from the target.
double blockLevel(const float* x) {
    for (int n = 0; n < 120; ++n) EXPECT_EQ(x[n], std::nearbyint(x[n])) << n;
    return std::sqrt(blockEnergy(x) / 120.0);
}

std::vector<int> nonZeroPositions(const float* x, int count) {
    std::vector<int> positions;
    for (int n = 0; n < count; ++n)
        if (x[n] != 0.0f) positions.push_back(n);
    return positions;
}

}  // namespace

TEST(RandomBelow, ScalesTheFifteenLowBitsOfTheNextValue) {
    int16_t seed = 12345;
    int16_t reference = 12345;
    for (int i = 0; i < 1000; ++i) {
        const int n = 1 + i % 50;
        const int expected = static_cast<int>((static_cast<int64_t>(n) * (nextRandom(&reference) & 0x7FFF)) / 32768);
        const int r = randomBelow(n, &seed);
        EXPECT_EQ(r, expected);
        EXPECT_GE(r, 0);
        EXPECT_LT(r, n);
    }
    EXPECT_EQ(seed, reference);
    seed = 0;
    EXPECT_EQ(randomBelow(8192, &seed), (8192 * 259) >> 15);
}

TEST(NoisePulseAmplitude, TakesTheRootOfSmallerMagnitude) {
    EXPECT_EQ(noisePulseAmplitude(1.0f, -3.0f), 1.0f);    // roots -3 and 1
    EXPECT_EQ(noisePulseAmplitude(-1.0f, -3.0f), -1.0f);  // roots 3 and -1
    EXPECT_EQ(noisePulseAmplitude(0.0f, -4.0f), -2.0f);   // tie: x1 = -(a + delta)
}

TEST(NoisePulseAmplitude, WithoutRealRootTakesMinusA) {
    EXPECT_EQ(noisePulseAmplitude(3.0f, 9.0f), -3.0f);
    EXPECT_EQ(noisePulseAmplitude(-2.5f, 100.0f), 2.5f);
    EXPECT_EQ(noisePulseAmplitude(0.0f, 0.0f), 0.0f);
}

TEST(NoisePulseAmplitude, IsLimitedTo5000) {
    EXPECT_EQ(noisePulseAmplitude(-7000.0f, 1e9f), 5000.0f);
    EXPECT_EQ(noisePulseAmplitude(7000.0f, 1e9f), -5000.0f);
    EXPECT_EQ(noisePulseAmplitude(0.0f, -49e6f), -5000.0f);  // roots -7000 and 7000
}

TEST(SmoothNoiseGain, JumpsAfterSpeechThenMovesAnEighthPerFrame) {
    EXPECT_EQ(smoothNoiseGain(77.0f, 16, 1), 32.0f);
    float g = smoothNoiseGain(0.0f, 16, 0);
    EXPECT_EQ(g, 4.0f);
    g = smoothNoiseGain(g, 16, 2);
    EXPECT_EQ(g, 7.5f);
    g = smoothNoiseGain(g, 16, 0);
    EXPECT_EQ(g, 10.5625f);
    EXPECT_EQ(smoothNoiseGain(0.0f, 63, 1), 344.0f);
    EXPECT_EQ(smoothNoiseGain(0.0f, 15, 1), 30.0f);
    EXPECT_EQ(smoothNoiseGain(0.0f, 31, 1), 92.0f);
    EXPECT_EQ(smoothNoiseGain(0.0f, 32, 1), 96.0f);
}

TEST(MakeNoiseExcitation, SilentHistoryGetsElevenPulsesAndEachBlockTheLevel) {
    std::vector<float> exc(505, 0.0f);
    FrameParams params{};
    int16_t seed = 12345;
    makeNoiseExcitation(exc.data() + current, &params, &seed, 40.0f);
    for (int b = 0; b < 2; ++b) EXPECT_NEAR(blockLevel(exc.data() + current + 120 * b), 40.0, 0.5) << b;
    // The first block's adaptive part reads only the silent history, so it
    // holds just the pulses: six on one grid of the first sub-frame, five on
    // one grid of the second, all of one magnitude.
    const float* block = exc.data() + current;
    const std::vector<int> even = nonZeroPositions(block, 60);
    const std::vector<int> odd = nonZeroPositions(block + 60, 60);
    ASSERT_EQ(even.size(), 6u);
    ASSERT_EQ(odd.size(), 5u);
    for (int p : even) EXPECT_EQ(p % 2, even[0] % 2);
    for (int p : odd) EXPECT_EQ(p % 2, odd[0] % 2);
    const float amplitude = std::fabs(block[even[0]]);
    EXPECT_NEAR(amplitude, 40.0 * std::sqrt(120.0 / 11.0), 0.5);
    for (int p : even) EXPECT_EQ(std::fabs(block[p]), amplitude);
    for (int p : odd) EXPECT_EQ(std::fabs(block[60 + p]), amplitude);
    for (int n = 0; n < current; ++n) EXPECT_EQ(exc[n], 0.0f);
}

TEST(MakeNoiseExcitation, DrawsThirtyTimesAndFillsTheRecord) {
    std::vector<float> exc(505, 0.0f);
    FrameParams params{};
    int16_t seed = 12345;
    makeNoiseExcitation(exc.data() + current, &params, &seed, 10.0f);
    int16_t reference = 12345;
    for (int i = 0; i < 30; ++i) nextRandom(&reference);
    EXPECT_EQ(seed, reference);
    int16_t replay = 12345;
    EXPECT_EQ(params.pitchLag[0], 123 + randomBelow(21, &replay));
    EXPECT_EQ(params.pitchLag[1], 123 + randomBelow(21, &replay));
    const int deltas[4] = {1, 0, 1, 3};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(params.sub[i].lagDelta, deltas[i]);
        EXPECT_EQ(params.sub[i].acbGainIndex, 1 + randomBelow(50, &replay));
    }
}

TEST(MakeNoiseExcitation, LevelZeroOnSilenceIsSilent) {
    std::vector<float> exc(505, 0.0f);
    FrameParams params{};
    int16_t seed = 12345;
    makeNoiseExcitation(exc.data() + current, &params, &seed, 0.0f);
    for (float x : exc) EXPECT_EQ(x, 0.0f);
}

TEST(MakeNoiseExcitation, ReachesTheLevelOnTopOfALoudHistoryOrGetsAsCloseAsPossible) {
    std::vector<float> exc(505, 0.0f);
    int16_t noise = 5;
    for (int n = 0; n < current; ++n) exc[n] = std::nearbyint(nextRandom(&noise) * (300.0f / 32768.0f));
    FrameParams params{};
    int16_t seed = 12345;
    makeNoiseExcitation(exc.data() + current, &params, &seed, 200.0f);
    for (int b = 0; b < 2; ++b) EXPECT_NEAR(blockLevel(exc.data() + current + 120 * b), 200.0, 0.5) << b;

    // A target far below the adaptive part's energy: the pulses can only
    // remove the part of it that lies along them.
    std::vector<float> quiet = std::vector<float>(505, 0.0f);
    std::copy(exc.begin(), exc.begin() + current, quiet.begin());
    FrameParams again{};
    seed = 12345;
    makeNoiseExcitation(quiet.data() + current, &again, &seed, 0.0f);
    for (int b = 0; b < 2; ++b) EXPECT_GT(blockEnergy(quiet.data() + current + 120 * b), 0.0) << b;
}

TEST(ComfortNoiseFrame, SidFrameSetsLevelAndEnvelope) {
    DecoderState state;
    state.reset(1);
    FrameParams params{};
    params.frameType = 2;
    params.sidGainCode = 20;
    params.lspIndex[0] = 13;
    params.lspIndex[1] = 19;
    params.lspIndex[2] = 1;
    float lspVect[10];
    state.comfortNoiseFrame(state.excitation + current, &params, lspVect, state.prevLsp);
    EXPECT_EQ(state.sidGainIndex, 20);
    EXPECT_EQ(state.noiseGain, 48.0f);  // prevFrameType 1 after reset
    float expected[10];
    decodeLsp(expected, lspDcVector, params.lspIndex, 0);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(lspVect[k], expected[k]);
    EXPECT_NE(state.noiseSeed, 12345);
}

TEST(ComfortNoiseFrame, UntransmittedFrameKeepsCodeAndEnvelope) {
    DecoderState state;
    state.reset(1);
    state.prevFrameType = 2;
    state.sidGainIndex = 32;
    state.noiseGain = 64.0f;
    for (int k = 0; k < 10; ++k) state.prevLsp[k] = 20.0f + 21.0f * k;
    FrameParams params{};
    params.frameType = 0;
    params.sidGainCode = 5;
    float lspVect[10];
    state.comfortNoiseFrame(state.excitation + current, &params, lspVect, state.prevLsp);
    EXPECT_EQ(state.sidGainIndex, 32);
    EXPECT_EQ(state.noiseGain, 0.125f * 96.0f + 0.875f * 64.0f);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(lspVect[k], state.prevLsp[k]);
}
