// The decoder object and its two exports frame by frame: reset, word counts,
// lost frames, bad frames inside speech and inside silence, silence periods,
// the history shift, independent instances and determinism.
#include "concealment.h"
#include "decoder_state.h"
#include "frame_writer.h"
#include "pinned_streams.h"
#include "speechdec.h"
#include "tables/lsp_tables.h"
#include "test_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using Frame = std::vector<uint8_t>;  // empty: a lost frame
using Stream = std::vector<Frame>;
using Samples = std::vector<int16_t>;

constexpr int current = 265;      // first excitation sample of the current frame
constexpr int lastFrameExc = 25;  // where the last frame's excitation sits after the shift

struct Decoder : TestDecoder {
    std::vector<Samples> decodeAll(const Stream& stream) {
        std::vector<Samples> out;
        for (const Frame& frame : stream) out.push_back(decode(frame));
        return out;
    }
    std::vector<float> lastExcitation() const {
        return std::vector<float>(state.excitation + lastFrameExc, state.excitation + current);
    }
};

Stream speech(uint32_t seed, int count, bool lowRate) {
    frames::Random rng(seed);
    Stream s;
    for (int i = 0; i < count; ++i) s.push_back(frames::randomSpeechFrame(rng, lowRate));
    return s;
}

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

// The voiced frame made bad by an invalid gain code (row 170), its lags valid.
Frame badGainFrame() {
    frames::SpeechFields f = voicedFields();
    f.gainCode[1] = 170 * 24;
    return frames::speechFrame(f, true);
}

// The voiced frame made bad by an invalid first lag code.
Frame badLagFrame() { return pinnedStreams::withInvalidLag(voicedFrame(), 124); }

// Both ways a speech frame is found bad.
struct BadKind {
    const char* name;
    Frame (*make)();
};
const BadKind badKinds[] = {{"gain", badGainFrame}, {"lag", badLagFrame}};

Frame sid(uint32_t gainCode) {
    const uint32_t lsp[3] = {13, 19, 1};
    return frames::sidFrame(lsp, gainCode);
}

Frame untransmitted() { return frames::untransmittedFrame(); }

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

// The lost frame's replacement: the previous output backwards, its gain
// falling by `factor` a sample.
Samples replayed(const Samples& previous, double factor) {
    Samples expected(frameLength);
    double gain = 1.0;
    for (int n = 0; n < frameLength; ++n, gain *= factor)
        expected[n] = static_cast<int16_t>(static_cast<int32_t>(previous[frameLength - 1 - n] * gain));
    return expected;
}

}  // namespace

TEST(DecoderReset, SetsEveryFieldToItsStartValue) {
    Decoder d;
    d.decodeAll(frames::mixedStream(11, 40));
    d.state.reset(5);
    const DecoderState& s = d.state;
    EXPECT_EQ(s.erasureCount, 0);
    EXPECT_EQ(s.postTilt, 0.0f);
    EXPECT_EQ(s.concealSeed, 0);
    EXPECT_EQ(s.concealLag, 0);
    EXPECT_EQ(s.concealGain, 0.0f);
    EXPECT_EQ(0, std::memcmp(s.prevLsp, lspDcVector, sizeof s.prevLsp));
    for (float v : s.excitation) ASSERT_EQ(v, 0.0f);
    for (float v : s.synthBuf) ASSERT_EQ(v, 0.0f);
    for (float v : s.postBuf) ASSERT_EQ(v, 0.0f);
    EXPECT_EQ(s.prevFrameType, 1);
    EXPECT_EQ(s.noiseSeed, 12345);
    EXPECT_EQ(s.sidGainIndex, 0);
    EXPECT_EQ(s.noiseGain, 0.0f);
    EXPECT_EQ(s.lowRate, 0);
    EXPECT_EQ(s.postfilterOn, 1);
    EXPECT_EQ(s.lostCount, 0);
    for (int16_t v : s.outBuf) ASSERT_EQ(v, 0);
    d.state.reset(0x10000);  // only the low 16 bits count
    EXPECT_EQ(s.lowRate, 1);
}

TEST(DecoderReset, ResetStreamDecodesLikeAFreshDecoder) {
    const Stream stream = frames::mixedStream(12, 60);
    Decoder used;
    used.decodeAll(frames::mixedStream(13, 60));
    used.state.reset(1);
    Decoder fresh;
    EXPECT_EQ(used.decodeAll(stream), fresh.decodeAll(stream));
}

TEST(DecoderReset, ModeDoesNotChangeTheOutput) {
    const Stream stream = frames::mixedStream(14, 80);
    std::vector<std::vector<Samples>> results;
    for (int32_t mode : {0, 1, 0x10000, -1}) {
        Decoder d;
        d.state.reset(mode);
        results.push_back(d.decodeAll(stream));
    }
    for (size_t i = 1; i < results.size(); ++i) EXPECT_EQ(results[i], results[0]);
}

TEST(DecodeSoundFrame, WordCountsByKindAndTheCallersFrameIsKept) {
    DecoderState d;
    const int32_t words[4] = {12, 10, 2, 1};
    frames::Random rng(15);
    for (int kind = 0; kind < 4; ++kind) {
        Frame frame = frames::randomBytesFrame(rng, kind);
        frame[0] |= 0xFC;  // the other bits of byte 0 belong to the bitstream
        const Frame copy = frame;
        int16_t out[frameLength];
        EXPECT_EQ(d.decodeSoundFrame(frame.data(), out), words[kind]);
        EXPECT_EQ(d.lowRate, kind == 1 ? 1 : 0);
        EXPECT_EQ(frame, copy);
    }
    int16_t out[frameLength];
    EXPECT_EQ(d.decodeSoundFrame(nullptr, out), 1);
}

TEST(LostFrames, NullFrameAfterResetIsSilent) {
    DecoderState d;
    int16_t out[frameLength];
    std::memset(out, 0x55, sizeof out);
    EXPECT_EQ(d.decodeSoundFrame(nullptr, out), 1);
    EXPECT_EQ(Samples(out, out + frameLength), Samples(frameLength, 0));
}

TEST(LostFrames, ReplayTheLastOutputBackwardsWithAFallingGain) {
    Decoder d;
    Samples last = d.decodeAll(speech(16, 6, false)).back();
    ASSERT_NE(last, Samples(frameLength, 0));
    for (int lost = 0; lost < 14; ++lost) {
        SCOPED_TRACE(lost);
        const Samples out = d.decode(Frame{});
        EXPECT_EQ(out, replayed(last, 0.995 - 0.001 * (lost < 10 ? lost : 10)));
        EXPECT_EQ(d.state.lostCount, lost < 10 ? lost + 1 : 10);
        last = out;
    }
}

// Runs of up to three lost frames after every kind of received frame.
TEST(LostFrames, DoNotDisturbTheDecodingOfLaterFrames) {
    const Stream received = {voicedFrame(),   badGainFrame(), voicedFrame(), sid(12),     untransmitted(),
                             untransmitted(), sid(30),        quietFrame(),  quietFrame()};
    Decoder plain, lossy;
    for (size_t i = 0; i < received.size(); ++i) {
        SCOPED_TRACE(i);
        const Samples expected = plain.decode(received[i]);
        const Samples last = lossy.decode(received[i]);
        EXPECT_EQ(last, expected);
        EXPECT_EQ(lossy.state.lostCount, 0);
        Samples previous = last;
        for (int k = 0; k < static_cast<int>(i % 4); ++k) {
            const Samples replacement = lossy.decode(Frame{});
            EXPECT_EQ(replacement, replayed(previous, 0.995 - 0.001 * k));
            previous = replacement;
        }
    }
}

TEST(FrameFlow, GoodFrameAfterResetKeepsTheMeanSpectrum) {
    Decoder d;
    frames::SpeechFields f;  // all LSP indices 0
    d.decode(frames::speechFrame(f, false));
    EXPECT_EQ(0, std::memcmp(d.state.prevLsp, lspDcVector, sizeof d.state.prevLsp));
    EXPECT_EQ(d.state.prevFrameType, 1);
    EXPECT_EQ(d.state.erasureCount, 0);
}

TEST(FrameFlow, HistoriesShiftByOneFrame) {
    Decoder d;
    d.decodeAll(speech(18, 5, false));
    const DecoderState before = d.state;
    d.decodeAll(speech(19, 1, false));
    for (int i = 0; i < excitationHistory - frameLength; ++i) {
        ASSERT_EQ(d.state.excitation[i], before.excitation[frameLength + i]) << i;
    }
    EXPECT_NE(0, std::memcmp(d.state.synthBuf, before.synthBuf, sizeof(float) * lpcOrder));
}

TEST(FrameFlow, ForcedBadFrameIsConcealed) {
    Decoder d;
    d.decodeAll(speech(27, 4, true));
    frames::Random rng(28);
    Frame frame = frames::randomSpeechFrame(rng, true);
    Decoder good = d;
    int16_t concealed[frameLength], decoded[frameLength];
    d.state.decodeFrame(concealed, frame.data(), 1, 1, 1);
    good.state.decodeFrame(decoded, frame.data(), 1, 1, 0);
    EXPECT_EQ(d.state.erasureCount, 1);
    EXPECT_EQ(good.state.erasureCount, 0);
    EXPECT_NE(0, std::memcmp(concealed, decoded, sizeof decoded));
}

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
    d.decode(badGainFrame());  // concealed speech restarts the sequence too
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
    EXPECT_EQ(d.decode(badGainFrame()), Samples(240, 0));
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
    d.decode(badGainFrame());
    EXPECT_EQ(d.state.erasureCount, 1);
    const int32_t period = d.state.concealLag;
    ASSERT_GE(period, 57);
    ASSERT_LE(period, 63);
    EXPECT_EQ(d.state.concealGain, 0.875f);
    std::vector<float> first = d.lastExcitation();
    // Each sample rounded to the grid of the history.
    for (int n = 0; n < 240; ++n)
        EXPECT_EQ(first[n], std::nearbyint(history[current - period + n % period] * 0.875f)) << n;

    d.decode(badGainFrame());
    EXPECT_EQ(d.state.erasureCount, 2);
    EXPECT_EQ(d.state.concealLag, period);
    EXPECT_EQ(d.state.concealGain, 0.65625f);
    const std::vector<float> second = d.lastExcitation();
    // The second frame continues the already faded first one.
    for (int n = 0; n < 240; ++n)
        EXPECT_EQ(second[n], std::nearbyint(first[240 - period + n % period] * 0.65625f)) << n;
}

TEST(BadFrames, RunsOfOneToFiveFadeToSilenceFromTheThird) {
    for (const BadKind& kind : badKinds) {
        for (int run = 1; run <= 5; ++run) {
            SCOPED_TRACE(testing::Message() << kind.name << " run " << run);
            Decoder d;
            for (int i = 0; i < 8; ++i) d.decode(voicedFrame());
            double previousEnergy = energy(d.decode(voicedFrame()));
            for (int i = 1; i <= run; ++i) {
                const Samples out = d.decode(kind.make());
                EXPECT_EQ(d.state.erasureCount, i < 3 ? i : 3);
                EXPECT_EQ(allZero(d.lastExcitation()), i >= 3);
                EXPECT_TRUE(energy(out) < previousEnergy || energy(out) == 0.0) << energy(out);
                previousEnergy = energy(out);
                EXPECT_EQ(d.state.prevFrameType, 1);
                EXPECT_EQ(d.state.noiseSeed, 12345);
            }
            d.decode(voicedFrame());
            EXPECT_EQ(d.state.erasureCount, 0);
            EXPECT_FALSE(allZero(d.lastExcitation()));
        }
    }
}

TEST(BadFrames, InsideSilenceActAsUntransmittedFrames) {
    for (const BadKind& kind : badKinds) {
        SCOPED_TRACE(kind.name);
        Decoder withBad, withUntransmitted;
        for (Decoder* d : {&withBad, &withUntransmitted}) {
            for (int i = 0; i < 3; ++i) d->decode(voicedFrame());
            d->decode(kind.make());  // concealed: erasureCount 1
            d->decode(sid(20));
            EXPECT_EQ(d->state.prevFrameType, 2);
            d->decode(untransmitted());
        }
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(withBad.decode(kind.make()), withUntransmitted.decode(untransmitted()));
            EXPECT_EQ(withBad.state.prevFrameType, 0);
            EXPECT_EQ(withBad.state.erasureCount, 1);
            EXPECT_EQ(withBad.state.noiseSeed, withUntransmitted.state.noiseSeed);
            EXPECT_EQ(withBad.state.sidGainIndex, 20);
        }
        withBad.decode(voicedFrame());
        EXPECT_EQ(withBad.state.erasureCount, 0);
    }
}

TEST(Determinism, TheSameStreamAlwaysGivesTheSameSamples) {
    const Stream stream = frames::mixedStream(2024, 600);
    Decoder a, b;
    EXPECT_EQ(a.decodeAll(stream), b.decodeAll(stream));
}

TEST(Instances, InterleavedStreamsEqualSeparateRuns) {
    const Stream first = frames::mixedStream(24, 200);
    const Stream second = frames::mixedStream(25, 200);
    Decoder alone1, alone2;
    const std::vector<Samples> expected1 = alone1.decodeAll(first);
    const std::vector<Samples> expected2 = alone2.decodeAll(second);
    ASSERT_NE(expected1, expected2);

    Decoder x, y;
    std::vector<Samples> got1, got2;
    for (size_t i = 0; i < first.size(); ++i) {
        got1.push_back(x.decode(first[i]));
        got2.push_back(y.decode(second[i]));
    }
    EXPECT_EQ(got1, expected1);
    EXPECT_EQ(got2, expected2);
}

TEST(Exports, DriveOneDecoderLikeAnInstance) {
    const Stream stream = frames::mixedStream(26, 120);
    Decoder reference;
    const std::vector<Samples> expected = reference.decodeAll(stream);

    EXPECT_EQ(INITdec(0), 0);
    for (size_t i = 0; i < stream.size(); ++i) {
        Samples out(frameLength);
        const int32_t words = DecSoundFrame(stream[i].empty() ? nullptr : stream[i].data(), out.data());
        EXPECT_EQ(words, stream[i].empty() ? 1 : static_cast<int32_t>((stream[i].size() + 1) / 2));
        ASSERT_EQ(out, expected[i]) << i;
    }
    // INITdec starts the stream again.
    EXPECT_EQ(INITdec(1), 0);
    Samples out(frameLength);
    DecSoundFrame(stream[0].empty() ? nullptr : stream[0].data(), out.data());
    EXPECT_EQ(out, expected[0]);
}
