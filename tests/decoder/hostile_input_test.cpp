// Hostile and runaway input: the decoder stays finite whatever the frames
// hold, recovers from valid but runaway gain sequences, and converts
// non-finite or out-of-range values to samples soundly.
#include "decoder_state.h"
#include "frame_writer.h"
#include "pcm_output.h"
#include "pinned_streams.h"
#include "pitch_postfilter.h"
#include "plain_stages.h"
#include "test_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

using Frame = std::vector<uint8_t>;
using Samples = std::vector<int16_t>;

using Decoder = TestDecoder;

// Empty when every float the decoder keeps is finite and the excitation
// lies inside the 16-bit range; otherwise the name of the first bad field.
std::string unsoundField(const DecoderState& s) {
    auto finite = [](const float* v, int n) {
        for (int i = 0; i < n; ++i)
            if (!std::isfinite(v[i])) return false;
        return true;
    };
    if (!std::isfinite(s.postTilt)) return "postTilt";
    if (!std::isfinite(s.concealGain)) return "concealGain";
    if (!std::isfinite(s.noiseGain)) return "noiseGain";
    if (!finite(s.prevLsp, 10)) return "prevLsp";
    if (!finite(s.synthBuf, 250)) return "synthBuf";
    if (!finite(s.postBuf, 250)) return "postBuf";
    for (float x : s.excitation)
        if (!(x >= -32768.0f && x <= 32767.0f)) return "excitation";
    return "";
}

// Ordinary speech-like frames: moderate gains, varying lags and pulses.
std::vector<Frame> saneFrames(int count) {
    std::vector<Frame> out;
    for (int i = 0; i < count; ++i) {
        frames::SpeechFields f;
        f.lsp[0] = 10 + i % 7;
        f.lsp[1] = 20 + i % 5;
        f.lsp[2] = 30 + i % 3;
        f.lagCode[0] = 30 + i % 11;
        f.lagCode[1] = 31 + i % 9;
        for (int k = 0; k < 4; ++k) {
            f.gainCode[k] = (20 + (i + k) % 30) * 24 + 8 + k;
            f.pulsePos[k] = (0x9A5u * (i + 1) + k * 0x111u) & 0xFFF;
            f.signs[k] = (i + k) & 0xF;
        }
        out.push_back(frames::speechFrame(f, true));
    }
    return out;
}

double rms(const Samples& s) {
    double e = 0.0;
    for (int16_t v : s) e += static_cast<double>(v) * v;
    return std::sqrt(e / s.size());
}

int maxDifference(const Samples& a, const Samples& b) {
    int d = 0;
    for (size_t n = 0; n < a.size(); ++n) d = std::max(d, std::abs(a[n] - b[n]));
    return d;
}

}  // namespace

TEST(RunawayGains, ExcitationStaysBoundedAndSpeechRecovers) {
    for (const Frame& runaway : {frames::runawayFrame(true), frames::runawayFrame(false)}) {
        Decoder d;
        for (int i = 0; i < 60; ++i) {
            const Samples out = d.decode(runaway);
            ASSERT_EQ(unsoundField(d.state), "") << "frame " << i;
            if (i > 20) {
                EXPECT_GT(rms(out), 1000.0) << "frame " << i;
            }
        }
        // Once the stream is sane again the decoder follows a fresh decoder of
        // the sane frames alone, apart from the fading memory of the runaway.
        const std::vector<Frame> sane = saneFrames(40);
        Decoder fresh;
        int lastDifference = 0;
        for (size_t i = 0; i < sane.size(); ++i) {
            lastDifference = maxDifference(d.decode(sane[i]), fresh.decode(sane[i]));
            ASSERT_EQ(unsoundField(d.state), "");
        }
        EXPECT_LE(lastDifference, 2);
    }
}

TEST(RunawayGains, LimitNeverEngagesOnRecordedSpeech) {
    // The excitation of real speech stays well inside the 16-bit range, so
    // limiting it leaves such streams sample for sample unchanged.
    const pinnedStreams::Stream sample = pinnedStreams::sampleFrames();
    ASSERT_FALSE(sample.empty());
    Decoder d;
    float peak = 0.0f;
    for (const Frame& frame : sample) {
        d.decode(frame);
        for (int n = 25; n < 265; ++n) peak = std::max(peak, std::fabs(d.state.excitation[n]));
    }
    EXPECT_GT(peak, 1000.0f);
    EXPECT_LT(peak, 32767.0f);
}

TEST(RunawayGains, ComfortNoiseAfterARunawayIsNotLost) {
    Decoder d;
    for (int i = 0; i < 60; ++i) d.decode(frames::runawayFrame(true));
    const uint32_t lsp[3] = {5, 6, 7};
    Samples out = d.decode(frames::sidFrame(lsp, 10));
    for (int i = 0; i < 40; ++i) {
        out = d.decode(frames::untransmittedFrame());
        ASSERT_EQ(unsoundField(d.state), "") << i;
    }
    EXPECT_GT(rms(out), 0.0);
    EXPECT_LT(rms(out), 5000.0);
}

TEST(HostileFrames, RandomBytesOfEveryKindStaySound) {
    for (uint32_t seed : {1u, 77u, 4242u}) {
        Decoder d;
        frames::Random rng(seed);
        for (int i = 0; i < 3000; ++i) {
            const uint32_t choice = rng.below(16);
            Frame frame;
            if (choice < 12)
                frame = frames::randomBytesFrame(rng, static_cast<int>(choice % 4));
            else if (choice < 15)
                frame = frames::randomSpeechFrame(rng, choice == 14);
            d.decode(frame);
            ASSERT_EQ(unsoundField(d.state), "") << "seed " << seed << " frame " << i;
        }
    }
}

TEST(HostileFrames, ExtremeBitPatternsStaySound) {
    for (int kind = 0; kind < 4; ++kind) {
        for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0xAA}, uint8_t{0x55}}) {
            Decoder d;
            Frame frame(24, fill);
            frame[0] = static_cast<uint8_t>((fill & ~3u) | static_cast<uint32_t>(kind));
            for (int i = 0; i < 50; ++i) {
                d.decode(frame);
                ASSERT_EQ(unsoundField(d.state), "") << "kind " << kind << " fill " << int(fill);
            }
        }
    }
}

TEST(HostileFrames, NonFiniteAndHugeValuesConvertSoundly) {
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(toPcmSample(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(toPcmSample(-std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(toPcmSample(inf), 32767);
    EXPECT_EQ(toPcmSample(-inf), -32768);
    EXPECT_EQ(toPcmSample(std::numeric_limits<float>::max()), 32767);
    EXPECT_EQ(toPcmSample(-std::numeric_limits<float>::max()), -32768);
    EXPECT_EQ(toPcmSample(-0.0f), 0);
    EXPECT_EQ(toPcmSample(std::numeric_limits<float>::denorm_min()), 0);

    // The whole-frame conversion gives the same samples.
    const float specials[8] = {
        std::numeric_limits<float>::quiet_NaN(), inf,   -inf,     std::numeric_limits<float>::max(),
        -std::numeric_limits<float>::max(),      -0.0f, 32766.5f, -32767.5f};
    float frame[240];
    for (int n = 0; n < 240; ++n) frame[n] = specials[n % 8];
    int16_t samples[240];
    toPcm(samples, frame);
    for (int n = 0; n < 240; ++n) EXPECT_EQ(samples[n], toPcmSample(frame[n])) << n;
}

TEST(HostileFrames, PitchPostfilterOfAnUnderflowingSubframeStaysFinite) {
    // A decayed excitation without pulses: the sub-frame's energy rounds to
    // 0 while its correlation with a louder segment does not.
    const PitchPostParams p = pitchPostGains(20, 0.0f, 6.88228e-22f, 17328.0f);
    EXPECT_TRUE(std::isfinite(p.scale));
    EXPECT_TRUE(std::isfinite(p.lagGain));
    EXPECT_EQ(p.lagGain, 0.0f);
    EXPECT_EQ(p.scale, 1.0f);
}
