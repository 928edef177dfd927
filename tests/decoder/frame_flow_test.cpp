// The decoder object and the two exports: reset, word counts, lost frames,
// the bad-frame modes, the history shift and independent instances.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "decoder_state.h"
#include "frame_writer.h"
#include "speechdec.h"
#include "tables/lsp_tables.h"

namespace {

using Pcm = std::vector<int16_t>;
using Stream = std::vector<std::vector<uint8_t>>;

Pcm decode(DecoderState& d, const std::vector<uint8_t>& frame) {
    Pcm out(frameLength);
    d.decodeSoundFrame(frame.empty() ? nullptr : frame.data(), out.data());
    return out;
}

std::vector<Pcm> decodeAll(DecoderState& d, const Stream& stream) {
    std::vector<Pcm> out;
    for (const std::vector<uint8_t>& frame : stream) out.push_back(decode(d, frame));
    return out;
}

Stream speech(uint32_t seed, int count, bool lowRate) {
    frames::Random rng(seed);
    Stream s;
    for (int i = 0; i < count; ++i) s.push_back(frames::randomSpeechFrame(rng, lowRate));
    return s;
}

std::vector<uint8_t> badSpeechFrame(uint32_t seed) {
    frames::Random rng(seed);
    std::vector<uint8_t> frame = frames::randomSpeechFrame(rng, false);
    frame[3] |= 0xFC;  // lag code L0 (bits 26-32) >= 124
    frame[4] |= 0x01;
    return frame;
}

bool silent(const Pcm& pcm) {
    for (int16_t s : pcm) {
        if (s != 0) return false;
    }
    return true;
}

TEST(DecoderReset, SetsEveryFieldToItsStartValue) {
    DecoderState d;
    decodeAll(d, frames::mixedStream(11, 40));
    d.reset(5);
    EXPECT_EQ(d.erasureCount, 0);
    EXPECT_EQ(d.postTilt, 0.0f);
    EXPECT_EQ(d.concealSeed, 0);
    EXPECT_EQ(d.concealLag, 0);
    EXPECT_EQ(d.concealGain, 0.0f);
    EXPECT_EQ(0, std::memcmp(d.prevLsp, lspDcVector, sizeof d.prevLsp));
    for (float v : d.excitation) ASSERT_EQ(v, 0.0f);
    for (float v : d.synthBuf) ASSERT_EQ(v, 0.0f);
    for (float v : d.postBuf) ASSERT_EQ(v, 0.0f);
    EXPECT_EQ(d.prevFrameType, 1);
    EXPECT_EQ(d.noiseSeed, 12345);
    EXPECT_EQ(d.sidGainIndex, 0);
    EXPECT_EQ(d.noiseGain, 0.0f);
    EXPECT_EQ(d.lowRate, 0);
    EXPECT_EQ(d.postfilterOn, 1);
    EXPECT_EQ(d.lostCount, 0);
    for (int16_t v : d.outBuf) ASSERT_EQ(v, 0);
    d.reset(0x10000);  // only the low 16 bits count
    EXPECT_EQ(d.lowRate, 1);
}

TEST(DecoderReset, ResetStreamDecodesLikeAFreshDecoder) {
    Stream stream = frames::mixedStream(12, 60);
    DecoderState used;
    decodeAll(used, frames::mixedStream(13, 60));
    used.reset(1);
    DecoderState fresh;
    EXPECT_EQ(decodeAll(used, stream), decodeAll(fresh, stream));
}

TEST(DecoderReset, ModeDoesNotChangeTheOutput) {
    Stream stream = frames::mixedStream(14, 80);
    std::vector<std::vector<Pcm>> results;
    for (int32_t mode : {0, 1, 0x10000, -1}) {
        DecoderState d;
        d.reset(mode);
        results.push_back(decodeAll(d, stream));
    }
    for (size_t i = 1; i < results.size(); ++i) EXPECT_EQ(results[i], results[0]);
}

TEST(DecodeSoundFrame, WordCountsByKindAndTheCallersFrameIsKept) {
    DecoderState d;
    const int32_t words[4] = {12, 10, 2, 1};
    frames::Random rng(15);
    for (int kind = 0; kind < 4; ++kind) {
        std::vector<uint8_t> frame = frames::randomBytesFrame(rng, kind);
        frame[0] |= 0xFC;  // the other bits of byte 0 belong to the bitstream
        std::vector<uint8_t> copy = frame;
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
    EXPECT_TRUE(silent(Pcm(out, out + frameLength)));
}

TEST(LostFrames, ReplayTheLastOutputBackwardsWithAFallingGain) {
    DecoderState d;
    Pcm last;
    for (const std::vector<uint8_t>& f : speech(16, 6, false)) last = decode(d, f);
    ASSERT_FALSE(silent(last));
    for (int lost = 0; lost < 14; ++lost) {
        SCOPED_TRACE(lost);
        const double factor = 0.995 - 0.001 * (lost < 10 ? lost : 10);
        Pcm expected(frameLength);
        double gain = 1.0;
        for (int i = 0; i < frameLength; ++i) {
            expected[i] = static_cast<int16_t>(static_cast<int32_t>(last[frameLength - 1 - i] * gain));
            gain *= factor;
        }
        Pcm out = decode(d, {});
        EXPECT_EQ(out, expected);
        EXPECT_EQ(d.lostCount, lost < 10 ? lost + 1 : 10);
        last = out;
    }
}

TEST(LostFrames, NextFrameDecodesAsIfNoneWereLost) {
    Stream stream = speech(17, 8, true);
    DecoderState plain, lossy;
    decodeAll(plain, Stream(stream.begin(), stream.begin() + 4));
    decodeAll(lossy, Stream(stream.begin(), stream.begin() + 4));
    decodeAll(lossy, Stream(3));
    EXPECT_EQ(decodeAll(lossy, Stream(stream.begin() + 4, stream.end())),
              decodeAll(plain, Stream(stream.begin() + 4, stream.end())));
    EXPECT_EQ(lossy.lostCount, 0);
}

TEST(FrameFlow, GoodFrameAfterResetKeepsTheMeanSpectrum) {
    DecoderState d;
    frames::SpeechFields f;  // all LSP indices 0
    decode(d, frames::speechFrame(f, false));
    EXPECT_EQ(0, std::memcmp(d.prevLsp, lspDcVector, sizeof d.prevLsp));
    EXPECT_EQ(d.prevFrameType, 1);
    EXPECT_EQ(d.erasureCount, 0);
}

TEST(FrameFlow, HistoriesShiftByOneFrame) {
    DecoderState d;
    decodeAll(d, speech(18, 5, false));
    DecoderState before = d;
    decodeAll(d, speech(19, 1, false));
    for (int i = 0; i < excitationHistory - frameLength; ++i) {
        ASSERT_EQ(d.excitation[i], before.excitation[frameLength + i]) << i;
    }
    EXPECT_NE(0, std::memcmp(d.synthBuf, before.synthBuf, sizeof(float) * lpcOrder));
}

TEST(FrameFlow, BadSpeechFramesAreConcealedAndFadeToSilence) {
    DecoderState d;
    decodeAll(d, speech(20, 6, false));
    const int32_t expectedCount[5] = {1, 2, 3, 3, 3};
    for (int i = 0; i < 5; ++i) {
        decode(d, badSpeechFrame(30 + i));
        EXPECT_EQ(d.erasureCount, expectedCount[i]);
        EXPECT_EQ(d.prevFrameType, 1);
        EXPECT_EQ(d.noiseSeed, 12345);
        if (i >= 2) {
            for (int n = excitationHistory - frameLength; n < excitationHistory; ++n) {
                ASSERT_EQ(d.excitation[n], 0.0f);
            }
        }
    }
    decodeAll(d, speech(21, 1, false));
    EXPECT_EQ(d.erasureCount, 0);
}

TEST(FrameFlow, ForcedBadFrameIsConcealed) {
    DecoderState d;
    decodeAll(d, speech(27, 4, true));
    frames::Random rng(28);
    std::vector<uint8_t> frame = frames::randomSpeechFrame(rng, true);
    DecoderState good = d;
    int16_t concealed[frameLength], decoded[frameLength];
    d.decodeFrame(concealed, frame.data(), 1, 1, 1);
    good.decodeFrame(decoded, frame.data(), 1, 1, 0);
    EXPECT_EQ(d.erasureCount, 1);
    EXPECT_EQ(good.erasureCount, 0);
    EXPECT_NE(0, std::memcmp(concealed, decoded, sizeof decoded));
}

TEST(FrameFlow, BadFrameDuringSilenceCountsAsUntransmitted) {
    const uint32_t lsp[3] = {10, 20, 30};
    DecoderState a, b;
    for (DecoderState* d : {&a, &b}) {
        decodeAll(*d, speech(22, 3, false));
        decode(*d, frames::sidFrame(lsp, 20));
        EXPECT_EQ(d->prevFrameType, 2);
    }
    Pcm viaBad = decode(a, badSpeechFrame(40));
    Pcm viaUntransmitted = decode(b, frames::untransmittedFrame());
    EXPECT_EQ(viaBad, viaUntransmitted);
    EXPECT_EQ(a.prevFrameType, 0);
    EXPECT_EQ(a.erasureCount, 0);
    EXPECT_EQ(a.sidGainIndex, 20);
}

TEST(FrameFlow, EveryFrameKindDecodesDeterministically) {
    Stream stream = frames::mixedStream(23, 300);
    DecoderState a, b;
    EXPECT_EQ(decodeAll(a, stream), decodeAll(b, stream));
}

TEST(Instances, InterleavedStreamsEqualSeparateRuns) {
    Stream first = frames::mixedStream(24, 200);
    Stream second = frames::mixedStream(25, 200);
    DecoderState alone1, alone2;
    std::vector<Pcm> expected1 = decodeAll(alone1, first);
    std::vector<Pcm> expected2 = decodeAll(alone2, second);
    ASSERT_NE(expected1, expected2);

    DecoderState x, y;
    std::vector<Pcm> got1, got2;
    for (size_t i = 0; i < first.size(); ++i) {
        got1.push_back(decode(x, first[i]));
        got2.push_back(decode(y, second[i]));
    }
    EXPECT_EQ(got1, expected1);
    EXPECT_EQ(got2, expected2);
}

TEST(Exports, DriveOneDecoderLikeAnInstance) {
    Stream stream = frames::mixedStream(26, 120);
    DecoderState reference;
    std::vector<Pcm> expected = decodeAll(reference, stream);

    EXPECT_EQ(INITdec(0), 0);
    for (size_t i = 0; i < stream.size(); ++i) {
        Pcm out(frameLength);
        const int32_t words = DecSoundFrame(stream[i].empty() ? nullptr : stream[i].data(), out.data());
        EXPECT_EQ(words, stream[i].empty() ? 1 : static_cast<int32_t>((stream[i].size() + 1) / 2));
        ASSERT_EQ(out, expected[i]) << i;
    }
    // INITdec starts the stream again.
    EXPECT_EQ(INITdec(1), 0);
    Pcm out(frameLength);
    DecSoundFrame(stream[0].empty() ? nullptr : stream[0].data(), out.data());
    EXPECT_EQ(out, expected[0]);
}

}  // namespace
