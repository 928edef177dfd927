// Synthesis filter, formant postfilter and conversion to 16-bit samples.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "decoder_state.h"
#include "formant_postfilter.h"
#include "pcm_output.h"
#include "plain_stages.h"
#include "synthesis.h"

namespace {

struct LpcSets {
    float a[4][lpcOrder] = {};
};

LpcSets sampleLpc() {
    LpcSets s;
    const float base[lpcOrder] = {1.2f, -0.6f, 0.3f, -0.2f, 0.1f, -0.05f, 0.03f, -0.02f, 0.01f, 0.005f};
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < lpcOrder; ++i) s.a[k][i] = base[i] * (1.0f - 0.1f * k);
    return s;
}

TEST(ToPcm, RoundsHalvesAwayFromZeroAndSaturates) {
    EXPECT_EQ(toPcmSample(0.5f), 1);
    EXPECT_EQ(toPcmSample(-0.5f), -1);
    EXPECT_EQ(toPcmSample(0.49f), 0);
    EXPECT_EQ(toPcmSample(-0.49f), 0);
    EXPECT_EQ(toPcmSample(2.5f), 3);
    EXPECT_EQ(toPcmSample(32766.5f), 32767);
    EXPECT_EQ(toPcmSample(32766.4f), 32766);
    EXPECT_EQ(toPcmSample(40000.0f), 32767);
    EXPECT_EQ(toPcmSample(-32767.5f), -32768);
    EXPECT_EQ(toPcmSample(-32767.4f), -32767);
    EXPECT_EQ(toPcmSample(-40000.0f), -32768);
    EXPECT_EQ(toPcmSample(std::numeric_limits<float>::infinity()), 32767);
    EXPECT_EQ(toPcmSample(-std::numeric_limits<float>::infinity()), -32768);
}

TEST(ToPcm, NotANumberGivesSilence) { EXPECT_EQ(toPcmSample(std::numeric_limits<float>::quiet_NaN()), 0); }

TEST(PostWeights, PowersOfTheWeightBase) {
    const float expected[6] = {0.135f, 0.018225f, 0.002460375f, 0.00033215064f, 4.4840333e-05f, 6.0534453e-06f};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(postWeights[i], expected[i]) << i;
}

TEST(Synthesize, ImpulseResponseContinuesAcrossFrames) {
    LpcSets lpc = sampleLpc();
    std::vector<float> buf(lpcOrder + frameLength, 0.0f);
    std::vector<float> exc(frameLength, 0.0f);
    exc[0] = 1000.0f;
    synthesize(buf.data(), exc.data(), lpc.a);

    std::vector<double> y(frameLength + lpcOrder, 0.0);
    for (int n = 0; n < frameLength; ++n) {
        double sum = n == 0 ? 1000.0 : 0.0;
        for (int i = 0; i < lpcOrder; ++i) {
            if (n - 1 - i >= 0) sum += lpc.a[n / 60][i] * y[n - 1 - i];
        }
        y[n] = static_cast<float>(sum);
        EXPECT_NEAR(buf[lpcOrder + n], y[n], 1e-3 * (1.0 + std::abs(y[n]))) << n;
    }
    EXPECT_EQ(buf[lpcOrder], 1000.0f);
    EXPECT_EQ(buf[lpcOrder + 1], lpc.a[0][0] * 1000.0f);

    // The next frame rings on from the kept memory alone.
    for (int i = 0; i < lpcOrder; ++i) buf[i] = buf[frameLength + i];
    std::fill(exc.begin(), exc.end(), 0.0f);
    synthesize(buf.data(), exc.data(), lpc.a);
    double expected = 0.0;
    for (int i = 0; i < lpcOrder; ++i) expected += static_cast<double>(lpc.a[0][i]) * buf[lpcOrder - 1 - i];
    EXPECT_EQ(buf[lpcOrder], static_cast<float>(expected));
    EXPECT_NE(buf[lpcOrder], 0.0f);
}

TEST(FormantPostfilter, SilenceStaysSilentAndLeavesTheTilt) {
    LpcSets lpc = sampleLpc();
    std::vector<float> synth(lpcOrder + frameLength, 0.0f), post(lpcOrder + frameLength, 0.0f);
    float tilt = 0.0f;
    formantPostfilter(post.data() + lpcOrder, synth.data() + lpcOrder, lpc.a, tilt, 1);
    EXPECT_EQ(tilt, 0.0f);
    EXPECT_EQ(post, std::vector<float>(lpcOrder + frameLength, 0.0f));
}

TEST(FormantPostfilter, ConstantSpeechGivesTheTiltOfAConstant) {
    LpcSets lpc;  // all-zero coefficients: no pole feedback
    std::vector<float> synth(lpcOrder + frameLength, 10.0f), post(lpcOrder + frameLength, 0.0f);
    float tilt = 0.0f;
    formantPostfilter(post.data() + lpcOrder, synth.data() + lpcOrder, lpc.a, tilt, 1);
    // r = 59/60 each sub-frame, smoothed four times from 0.
    float expected = 0.0f;
    for (int k = 0; k < 4; ++k) expected = expected + 0.75f * (59.0f / 60.0f - expected);
    EXPECT_FLOAT_EQ(tilt, expected);
    const float mu = 0.21875f * expected;
    EXPECT_FLOAT_EQ(post[lpcOrder + 239], static_cast<float>(1.03125 * (10.0 - static_cast<double>(mu) * 10.0)));
}

TEST(FormantPostfilter, PolesUseTheWeightedFirstSixCoefficients) {
    LpcSets lpc = sampleLpc();
    std::vector<float> synth(lpcOrder + frameLength, 0.0f), post(lpcOrder + frameLength, 0.0f);
    synth[lpcOrder] = 1000.0f;  // an impulse in sub-frame 0
    float tilt = 0.0f;
    formantPostfilter(post.data() + lpcOrder, synth.data() + lpcOrder, lpc.a, tilt, 1);
    // Sub-frame 0 saw a single impulse: its correlation is 0, so no tilt term.
    EXPECT_EQ(post[lpcOrder], 1031.25f);
    const float w0 = postWeights[0] * lpc.a[0][0];
    EXPECT_FLOAT_EQ(post[lpcOrder + 1], w0 * 1031.25f);
    // Coefficients 7-10 play no part.
    LpcSets cut = lpc;
    for (int k = 0; k < 4; ++k)
        for (int i = 6; i < lpcOrder; ++i) cut.a[k][i] = 0.0f;
    std::vector<float> post2(lpcOrder + frameLength, 0.0f);
    float tilt2 = 0.0f;
    formantPostfilter(post2.data() + lpcOrder, synth.data() + lpcOrder, cut.a, tilt2, 1);
    EXPECT_EQ(post, post2);
}

TEST(FormantPostfilter, SwitchedOffCopiesTheSpeech) {
    LpcSets lpc = sampleLpc();
    std::vector<float> synth(lpcOrder + frameLength), post(lpcOrder + frameLength, 0.0f);
    for (int n = 0; n < lpcOrder + frameLength; ++n) synth[n] = static_cast<float>(n % 17) - 8.0f;
    float tilt = 0.5f;
    formantPostfilter(post.data() + lpcOrder, synth.data() + lpcOrder, lpc.a, tilt, 0);
    EXPECT_EQ(tilt, 0.5f);
    EXPECT_EQ(std::vector<float>(post.begin() + lpcOrder, post.end()),
              std::vector<float>(synth.begin() + lpcOrder, synth.end()));
}

}  // namespace
