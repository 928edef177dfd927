// Realistic frame sequences through the whole decoder: talk spurts and
// silence periods, bad frames inside speech and inside silence, lost frames,
// and what they promise about levels, seeds, fading and determinism.
#include "concealment.h"
#include "decoder_state.h"
#include "frame_writer.h"
#include "tables/sid_gain_table.h"
#include "test_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using Frame = std::vector<uint8_t>;
using Samples = std::vector<int16_t>;

constexpr int current = 265;      // first excitation sample of the current frame
constexpr int lastFrameExc = 25;  // where the last frame's excitation sits after the shift

// A voiced lower-rate frame: pitch lag 60, a strong tap row and a few pulses,
// so that identical frames in a row give a periodic excitation.
frames::SpeechFields voicedFields() {
    frames::SpeechFields f;
    f.lagCode[0] = f.lagCode[1] = 42;  // lag 60
    f.lagDelta[0] = f.lagDelta[1] = 1;
    for (int i = 0; i < 4; ++i) {
        f.gainCode[i] = 60 * 24 + 12;
        f.pulsePos[i] = 0x249;
        f.signs[i] = 0x5;
    }
    return f;
}

Frame voicedFrame() { return frames::speechFrame(voicedFields(), true); }

// A speech frame with the smallest gains: a quiet history.
Frame quietFrame() {
    frames::SpeechFields f;
    f.lagCode[0] = f.lagCode[1] = 82;
    return frames::speechFrame(f, true);
}

// A speech frame with an invalid gain code (row 170) and valid lags.
Frame badFrame() {
    frames::SpeechFields f = voicedFields();
    f.gainCode[1] = 170 * 24;
    return frames::speechFrame(f, true);
}

Frame sid(uint32_t gainCode) {
    const uint32_t lsp[3] = {13, 19, 1};
    return frames::sidFrame(lsp, gainCode);
}

Frame untransmitted() { return frames::untransmittedFrame(); }

struct Decoder : TestDecoder {
    std::vector<float> lastExcitation() const {
        return std::vector<float>(state.excitation + lastFrameExc, state.excitation + current);
    }
};

double rms(const float* x, int count) {
    double e = 0.0;
    for (int n = 0; n < count; ++n) e += static_cast<double>(x[n]) * x[n];
    return std::sqrt(e / count);
}

double energy(const Samples& s) {
    double e = 0.0;
    for (int16_t v : s) e += static_cast<double>(v) * v;
    return e;
}

bool allZero(const std::vector<float>& v) {
    for (float x : v)
        if (x != 0.0f) return false;
    return true;
}

}  // namespace

TEST(SilencePeriods, LevelJumpsAfterSpeechThenMovesAnEighthPerFrame) {
    Decoder d;
    for (int i = 0; i < 4; ++i) d.decode(quietFrame());
    d.decode(sid(16));
    EXPECT_EQ(d.state.noiseGain, 32.0f);
    EXPECT_EQ(d.state.prevFrameType, 2);
    d.decode(untransmitted());
    EXPECT_EQ(d.state.noiseGain, 32.0f);
    EXPECT_EQ(d.state.prevFrameType, 0);
    d.decode(sid(32));
    EXPECT_EQ(d.state.noiseGain, 40.0f);
    d.decode(untransmitted());
    EXPECT_EQ(d.state.noiseGain, 47.0f);
    EXPECT_EQ(d.state.sidGainIndex, 32);
    float expected = 47.0f;
    for (int i = 0; i < 30; ++i) {
        d.decode(untransmitted());
        expected = 0.125f * 96.0f + 0.875f * expected;
        EXPECT_EQ(d.state.noiseGain, expected);
    }
    EXPECT_NEAR(d.state.noiseGain, 96.0f, 1.0f);
}

TEST(SilencePeriods, ExcitationFollowsTheLevelBlockByBlock) {
    Decoder d;
    for (int i = 0; i < 4; ++i) d.decode(quietFrame());
    const Frame sequence[] = {sid(20),         untransmitted(), untransmitted(), sid(40),        untransmitted(),
                              untransmitted(), untransmitted(), sid(8),          untransmitted()};
    for (const Frame& f : sequence) {
        d.decode(f);
        const double level = d.state.noiseGain;
        EXPECT_NEAR(rms(d.state.excitation + lastFrameExc, 120), level, 0.01 * level);
        EXPECT_NEAR(rms(d.state.excitation + lastFrameExc + 120, 120), level, 0.01 * level);
    }
}

TEST(SilencePeriods, UntransmittedFramesKeepTheLastSidEnvelope) {
    Decoder d;
    for (int i = 0; i < 3; ++i) d.decode(voicedFrame());
    d.decode(sid(10));
    const std::vector<float> envelope(d.state.prevLsp, d.state.prevLsp + 10);
    for (int i = 0; i < 5; ++i) {
        d.decode(untransmitted());
        EXPECT_EQ(std::vector<float>(d.state.prevLsp, d.state.prevLsp + 10), envelope);
    }
}

TEST(SilencePeriods, EverySilencePeriodRestartsTheNoiseSequence) {
    Decoder d;
    const Frame period[] = {sid(16), untransmitted(), untransmitted(), sid(24), untransmitted()};
    std::vector<int16_t> firstSeeds, secondSeeds;
    for (int i = 0; i < 3; ++i) d.decode(voicedFrame());
    EXPECT_EQ(d.state.noiseSeed, 12345);
    for (const Frame& f : period) {
        d.decode(f);
        firstSeeds.push_back(d.state.noiseSeed);
    }
    // 30 draws per comfort-noise frame.
    int16_t seed = 12345;
    for (int i = 0; i < 30; ++i) nextRandom(&seed);
    EXPECT_EQ(firstSeeds[0], seed);

    d.decode(quietFrame());
    EXPECT_EQ(d.state.noiseSeed, 12345);
    d.decode(badFrame());  // concealed speech restarts the sequence too
    EXPECT_EQ(d.state.noiseSeed, 12345);
    for (const Frame& f : period) {
        d.decode(f);
        secondSeeds.push_back(d.state.noiseSeed);
    }
    EXPECT_EQ(firstSeeds, secondSeeds);
}

TEST(SilencePeriods, UntransmittedFrameRightAfterResetIsSilent) {
    Decoder d;
    EXPECT_EQ(d.decode(untransmitted()), Samples(240, 0));
    EXPECT_EQ(d.decode(untransmitted()), Samples(240, 0));
}

TEST(BadFrames, FirstBadFrameAfterResetIsSilentButAdvancesTheSeed) {
    Decoder d;
    EXPECT_EQ(d.decode(badFrame()), Samples(240, 0));
    EXPECT_EQ(d.state.erasureCount, 1);
    EXPECT_EQ(d.state.concealLag, 0);
    EXPECT_EQ(d.state.concealGain, 0.0f);
    int16_t seed = 0;
    for (int i = 0; i < 240; ++i) nextRandom(&seed);
    EXPECT_EQ(d.state.concealSeed, seed);
}

TEST(BadFrames, VoicedSpeechContinuesThePeriodAndFades) {
    Decoder d;
    for (int i = 0; i < 8; ++i) d.decode(voicedFrame());
    const std::vector<float> history(d.state.excitation, d.state.excitation + current);
    d.decode(badFrame());
    EXPECT_EQ(d.state.erasureCount, 1);
    const int32_t period = d.state.concealLag;
    ASSERT_GE(period, 57);
    ASSERT_LE(period, 63);
    EXPECT_EQ(d.state.concealGain, 0.875f);
    std::vector<float> first = d.lastExcitation();
    // Each sample rounded to the grid of the history.
    for (int n = 0; n < 240; ++n)
        EXPECT_EQ(first[n], std::nearbyint(history[current - period + n % period] * 0.875f)) << n;

    d.decode(badFrame());
    EXPECT_EQ(d.state.erasureCount, 2);
    EXPECT_EQ(d.state.concealLag, period);
    EXPECT_EQ(d.state.concealGain, 0.65625f);
    const std::vector<float> second = d.lastExcitation();
    // The second frame continues the already faded first one.
    for (int n = 0; n < 240; ++n)
        EXPECT_EQ(second[n], std::nearbyint(first[240 - period + n % period] * 0.65625f)) << n;
}

TEST(BadFrames, RunsOfOneToFourFadeToSilenceFromTheThird) {
    for (int run = 1; run <= 4; ++run) {
        SCOPED_TRACE(run);
        Decoder d;
        for (int i = 0; i < 8; ++i) d.decode(voicedFrame());
        double previousEnergy = energy(d.decode(voicedFrame()));
        for (int i = 1; i <= run; ++i) {
            const Samples out = d.decode(badFrame());
            EXPECT_EQ(d.state.erasureCount, i < 3 ? i : 3);
            EXPECT_EQ(allZero(d.lastExcitation()), i >= 3);
            EXPECT_LT(energy(out), previousEnergy);
            previousEnergy = energy(out);
            EXPECT_EQ(d.state.noiseSeed, 12345);
        }
        d.decode(voicedFrame());
        EXPECT_EQ(d.state.erasureCount, 0);
        EXPECT_FALSE(allZero(d.lastExcitation()));
    }
}

TEST(BadFrames, InsideSilenceActAsUntransmittedFrames) {
    Decoder withBad, withUntransmitted;
    for (Decoder* d : {&withBad, &withUntransmitted}) {
        for (int i = 0; i < 3; ++i) d->decode(voicedFrame());
        d->decode(badFrame());  // concealed: erasureCount 1
        d->decode(sid(20));
        d->decode(untransmitted());
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(withBad.decode(badFrame()), withUntransmitted.decode(untransmitted()));
        EXPECT_EQ(withBad.state.prevFrameType, 0);
        EXPECT_EQ(withBad.state.erasureCount, 1);
        EXPECT_EQ(withBad.state.noiseSeed, withUntransmitted.state.noiseSeed);
        EXPECT_EQ(withBad.state.sidGainIndex, 20);
    }
    withBad.decode(voicedFrame());
    EXPECT_EQ(withBad.state.erasureCount, 0);
}

TEST(LostFrames, DoNotDisturbTheDecodingOfLaterFrames) {
    const std::vector<Frame> received = {voicedFrame(),   badFrame(),      voicedFrame(), sid(12),
                                         untransmitted(), untransmitted(), sid(30),       quietFrame()};
    Decoder plain, lossy;
    for (size_t i = 0; i < received.size(); ++i) {
        const Samples expected = plain.decode(received[i]);
        const Samples last = lossy.decode(received[i]);
        EXPECT_EQ(last, expected) << "frame " << i;
        const int lost = static_cast<int>(i % 3);
        Samples previous = last;
        for (int k = 0; k < lost; ++k) {
            const Samples replacement = lossy.decode(Frame{});
            const double f = 0.995 - 0.001 * k;
            double g = 1.0;
            for (int n = 0; n < 240; ++n, g *= f)
                EXPECT_EQ(replacement[n], static_cast<int16_t>(previous[239 - n] * g)) << n;
            previous = replacement;
        }
    }
}

TEST(Determinism, TheSameStreamAlwaysGivesTheSameSamples) {
    const std::vector<Frame> stream = frames::mixedStream(2024, 600);
    Decoder a, b;
    std::vector<Samples> first;
    for (const Frame& f : stream) first.push_back(a.decode(f));
    for (size_t i = 0; i < stream.size(); ++i) EXPECT_EQ(b.decode(stream[i]), first[i]) << i;
    a.state.reset(0);
    for (size_t i = 0; i < stream.size(); ++i) EXPECT_EQ(a.decode(stream[i]), first[i]) << i;
}
