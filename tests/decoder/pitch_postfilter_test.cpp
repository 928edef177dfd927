// Pitch postfilter: lag search in both directions, the forward limit at the
// frame end, tie rules, the voicing threshold and the gain rule.
#include "pitch_postfilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "decoder_state.h"
#include "frame_writer.h"
#include "plain_stages.h"

namespace {

constexpr int32_t bufferLength = excitationHistory + frameLength;

// An excitation buffer whose every sample repeats with the given period.
std::vector<float> periodic(int32_t period, uint32_t seed) {
    frames::Random rng(seed);
    std::vector<float> cycle(period);
    for (float& v : cycle) v = static_cast<float>(static_cast<int32_t>(rng.below(2001)) - 1000);
    std::vector<float> b(bufferLength);
    for (int32_t n = 0; n < bufferLength; ++n) b[n] = cycle[n % period];
    return b;
}

PitchPostParams find(const std::vector<float>& b, int32_t lag, int32_t k, int32_t on = 1) {
    return findPitchPostParams(b.data() + excitationHistory + 60 * k, lag, k, on);
}

TEST(PitchPostfilter, SwitchedOffOrSilentPassesUnchanged) {
    std::vector<float> b = periodic(50, 1);
    PitchPostParams p = find(b, 50, 0, 0);
    EXPECT_EQ(p.offset, 0);
    EXPECT_EQ(p.lagGain, 0.0f);
    EXPECT_EQ(p.scale, 1.0f);

    std::vector<float> silent(bufferLength, 0.0f);
    p = find(silent, 50, 1);
    EXPECT_EQ(p.offset, 0);
    EXPECT_EQ(p.scale, 1.0f);
    std::vector<float> out(60, 1.0f);
    applyPitchPostfilter(out.data(), silent.data() + excitationHistory + 60, p);
    EXPECT_EQ(out, std::vector<float>(60, 0.0f));
}

TEST(PitchPostfilter, FindsThePeriodAndKeepsTheEnergy) {
    std::vector<float> b = periodic(47, 2);
    for (int32_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        PitchPostParams p = find(b, 49, k);
        EXPECT_EQ(std::abs(p.offset), 47);
        if (k == 3) {
            EXPECT_EQ(p.offset, -47);  // no forward search in the last sub-frame
        }
        const float* x = b.data() + excitationHistory + 60 * k;
        std::vector<float> out(60);
        applyPitchPostfilter(out.data(), x, p);
        double e0 = 0.0, e1 = 0.0;
        for (int32_t n = 0; n < 60; ++n) {
            e0 += static_cast<double>(x[n]) * x[n];
            e1 += static_cast<double>(out[n]) * out[n];
        }
        EXPECT_NEAR(e1 / e0, 1.0, 1e-5);
        EXPECT_GT(p.lagGain, 0.0f);
        EXPECT_LT(p.scale, 1.0f);
    }
}

TEST(PitchPostfilter, ForwardSegmentMustEndInsideTheFrame) {
    // Period 61 matches equally backward and forward; a tie goes forward,
    // but in sub-frame 2 forward lags above 60 do not qualify.
    std::vector<float> b = periodic(61, 3);
    EXPECT_EQ(find(b, 60, 2).offset, -61);
    EXPECT_EQ(find(b, 60, 1).offset, 61);

    b = periodic(60, 4);
    EXPECT_EQ(find(b, 57, 2).offset, 60);

    // Sub-frame 0 with lag 141 reaches 144 samples back and forward.
    b = periodic(144, 5);
    EXPECT_EQ(find(b, 141, 0).offset, 144);
    EXPECT_EQ(find(b, 141, 3).offset, -144);
}

TEST(PitchPostfilter, EqualCorrelationsTakeTheSmallestLag) {
    std::vector<float> b(bufferLength, 100.0f);  // every lag correlates equally
    PitchPostParams p = find(b, 40, 0);
    EXPECT_EQ(p.offset, 37);
    EXPECT_EQ(find(b, 40, 3).offset, -37);
    // C = E: the full gain factor; the scale keeps the energy.
    const float g = 0.21375f;
    const float s = std::sqrt(600000.0f / (600000.0f + g * (g * 600000.0f + 2.0f * 600000.0f)));
    EXPECT_FLOAT_EQ(p.scale, s);
    EXPECT_FLOAT_EQ(p.lagGain, g * s);
}

TEST(PitchPostfilter, LongLagsAreLimitedTo142) {
    std::vector<float> b = periodic(145, 6);
    EXPECT_EQ(std::abs(find(b, 200, 0).offset), 145);
    b = periodic(146, 7);
    EXPECT_NE(std::abs(find(b, 200, 0).offset), 146);
}

TEST(PitchPostGains, VoicingThreshold) {
    PitchPostParams p = pitchPostGains(-30, 4.0f, 2.0f, 4.0f);  // C^2 exactly 0.25 E E0
    EXPECT_EQ(p.offset, -30);
    EXPECT_EQ(p.lagGain, 0.0f);
    EXPECT_EQ(p.scale, 1.0f);
    p = pitchPostGains(-30, 4.0f, 2.001f, 4.0f);
    EXPECT_GT(p.lagGain, 0.0f);
}

TEST(PitchPostGains, GainShrinksWithSegmentEnergy) {
    PitchPostParams full = pitchPostGains(20, 100.0f, 80.0f, 80.0f);  // E = C: full gain
    EXPECT_FLOAT_EQ(full.lagGain / full.scale, 0.21375f);
    PitchPostParams part = pitchPostGains(20, 100.0f, 80.0f, 160.0f);  // E = 2C: half gain
    EXPECT_FLOAT_EQ(part.lagGain / part.scale, 0.21375f * 0.5f);
    const float g = 0.21375f * 80.0f / 160.0f;
    EXPECT_FLOAT_EQ(part.scale, std::sqrt(100.0f / (100.0f + g * (g * 160.0f + 160.0f))));
}

}  // namespace
