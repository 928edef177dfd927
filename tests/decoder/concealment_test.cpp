// Bad-frame concealment: history analysis, regeneration and the generator.
#include "concealment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int historyStart = 145;  // first analysed history sample
constexpr int current = 265;       // first sample of the current frame

std::vector<float> emptyExcitation() { return std::vector<float>(505, 0.0f); }

// History of impulses every `period` samples, ending at the last history sample.
std::vector<float> impulseHistory(int period, float height = 1000.0f) {
    std::vector<float> exc = emptyExcitation();
    for (int n = current - 1; n >= 0; n -= period) exc[n] = height;
    return exc;
}

}  // namespace

TEST(NextRandom, FollowsTheLinearCongruence) {
    int16_t seed = 0;
    EXPECT_EQ(nextRandom(&seed), 259);
    EXPECT_EQ(seed, 259);
    EXPECT_EQ(nextRandom(&seed), 4126);
    seed = -32768;
    EXPECT_EQ(nextRandom(&seed), static_cast<int16_t>((-32768 * 521 + 259) & 0xFFFF));
}

TEST(NextRandom, RunsThroughAllSixteenBitValues) {
    std::vector<bool> seen(65536, false);
    int16_t seed = 12345;
    for (int i = 0; i < 65536; ++i) {
        const int16_t r = nextRandom(&seed);
        EXPECT_FALSE(seen[static_cast<uint16_t>(r)]);
        seen[static_cast<uint16_t>(r)] = true;
    }
    EXPECT_EQ(seed, 12345);
}

TEST(AnalyseHistory, SilentHistoryIsUnvoiced) {
    const std::vector<float> exc = emptyExcitation();
    EXPECT_EQ(analyseHistory(exc.data(), 60), 0);
    EXPECT_EQ(historyLevel(exc.data()), 0.0f);
}

TEST(AnalyseHistory, FindsThePeriodNearTheGivenLag) {
    const std::vector<float> exc = impulseHistory(50);
    EXPECT_EQ(analyseHistory(exc.data(), 47), 50);
    EXPECT_EQ(analyseHistory(exc.data(), 53), 50);
    EXPECT_EQ(analyseHistory(exc.data(), 54), 0);
}

TEST(AnalyseHistory, EqualCorrelationsChooseTheSmallestLag) {
    std::vector<float> exc = emptyExcitation();
    for (int n = 0; n < current; ++n) exc[n] = 2.0f;
    EXPECT_EQ(analyseHistory(exc.data(), 60), 57);
}

TEST(AnalyseHistory, LagsAreLimitedTo142) {
    const std::vector<float> exc = impulseHistory(145);
    EXPECT_EQ(analyseHistory(exc.data(), 141), 0);    // examines 138..144
    EXPECT_EQ(analyseHistory(exc.data(), 150), 145);  // limited: 139..145
    const std::vector<float> exc144 = impulseHistory(144);
    EXPECT_EQ(analyseHistory(exc144.data(), 141), 144);
}

TEST(AnalyseHistory, RawInvalidLagCodeIsUsedAsItIs) {
    // The unpacker leaves an invalid lag code 124..127 unadjusted in the
    // record; 127 then examines 124..130.
    EXPECT_EQ(analyseHistory(impulseHistory(130).data(), 127), 130);
    EXPECT_EQ(analyseHistory(impulseHistory(145).data(), 127), 0);
}

TEST(AnalyseHistory, OnlyPositiveCorrelationCounts) {
    std::vector<float> flipping = emptyExcitation();
    float height = 1000.0f;
    for (int n = current - 1; n >= 0; n -= 50, height = -height) flipping[n] = height;
    EXPECT_EQ(analyseHistory(flipping.data(), 50), 0);
    std::vector<float> alternating = emptyExcitation();
    for (int n = 0; n < current; ++n) alternating[n] = (n % 2 == 0) ? 100.0f : -100.0f;
    EXPECT_EQ(analyseHistory(alternating.data(), 41), 38);  // odd lags correlate negatively
    std::vector<float> noise = emptyExcitation();
    int16_t seed = 7;
    for (int n = 0; n < current; ++n) noise[n] = nextRandom(&seed);
    EXPECT_EQ(analyseHistory(noise.data(), 80), 0);
}

TEST(AnalyseHistory, PeriodicityMustDominateTheEnergy) {
    // Period-40 impulses buried in a strong aperiodic part: the correlation
    // is positive but too weak against the energies.
    std::vector<float> exc = impulseHistory(40, 100.0f);
    int16_t seed = 99;
    for (int n = 0; n < current; ++n) exc[n] += nextRandom(&seed) * 0.05f;
    EXPECT_EQ(analyseHistory(exc.data(), 40), 0);
    const std::vector<float> clean = impulseHistory(40, 100.0f);
    EXPECT_EQ(analyseHistory(clean.data(), 40), 40);
}

TEST(HistoryLevel, IsTheRmsOfTheLast120Samples) {
    std::vector<float> exc = emptyExcitation();
    for (int n = 0; n < historyStart; ++n) exc[n] = 1000.0f;  // outside the window
    for (int n = historyStart; n < current; ++n) exc[n] = (n % 2) ? 3.0f : -3.0f;
    EXPECT_NEAR(historyLevel(exc.data()), 3.0f, 1e-5f);
}

TEST(RegenerateExcitation, ThirdBadFrameIsSilent) {
    std::vector<float> exc = impulseHistory(30);
    for (int n = current; n < 505; ++n) exc[n] = 5.0f;
    std::vector<float> frameExc(240, 1.0f);
    int16_t seed = 3;
    regenerateExcitation(exc.data(), frameExc.data(), 30, 0.875f, 3, &seed);
    for (int n = 0; n < 240; ++n) {
        EXPECT_EQ(frameExc[n], 0.0f);
        EXPECT_EQ(exc[current + n], 0.0f);
    }
    EXPECT_EQ(seed, 3);
    EXPECT_EQ(exc[current - 1], 1000.0f);
}

TEST(RegenerateExcitation, VoicedRepeatsTheLastPeriodAtTheGain) {
    std::vector<float> exc = emptyExcitation();
    for (int n = 0; n < current; ++n) exc[n] = static_cast<float>(n % 37) - 18.0f;
    const std::vector<float> before = exc;
    std::vector<float> frameExc(240);
    int16_t seed = 3;
    regenerateExcitation(exc.data(), frameExc.data(), 37, 0.875f, 1, &seed);
    for (int n = 0; n < 240; ++n) {
        const float expected = std::nearbyint(before[current - 37 + n % 37] * 0.875f);  // on the grid
        EXPECT_EQ(exc[current + n], expected) << n;
        EXPECT_EQ(frameExc[n], expected) << n;
    }
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + current, exc.begin()));
    EXPECT_EQ(seed, 3);
}

TEST(RegenerateExcitation, UnvoicedNoiseReachesOnlyTheSynthesis) {
    std::vector<float> exc = impulseHistory(30);
    for (int n = current; n < 505; ++n) exc[n] = 5.0f;
    std::vector<float> frameExc(240);
    int16_t seed = 0;
    regenerateExcitation(exc.data(), frameExc.data(), 0, 64.0f, 2, &seed);
    int16_t reference = 0;
    const float g = 64.0f / 32768.0f;
    for (int n = 0; n < 240; ++n) {
        EXPECT_EQ(frameExc[n], nextRandom(&reference) * g) << n;
        EXPECT_EQ(exc[current + n], 0.0f);
    }
    EXPECT_EQ(seed, reference);
    EXPECT_EQ(frameExc[0], 259.0f * g);
}
