// The decoder's fast paths against the plain computations they replace: the
// vectorised sums, the vectorised sample conversion, the lag searches of the
// pitch postfilter and the interleaved synthesis/postfilter pipeline must
// give the same values bit for bit.
#include "decoder_state.h"
#include "dot_product.h"
#include "excitation.h"
#include "excitation_grid.h"
#include "filter_pipeline.h"
#include "formant_postfilter.h"
#include "frame_writer.h"
#include "lsp.h"
#include "pcm_output.h"
#include "pitch_postfilter.h"
#include "plain_stages.h"
#include "pitch_search.h"
#include "synthesis.h"
#include "tables/excitation_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// Random floats of every magnitude: signs, exponents and mantissas at random.
float randomFloat(frames::Random& rng, float scale) {
    const float unit = static_cast<float>(rng.next() >> 8) / 16777216.0f - 0.5f;
    const int exponent = static_cast<int>(rng.below(40)) - 30;
    return std::ldexp(unit, exponent) * scale;
}

std::vector<float> randomSignal(frames::Random& rng, size_t count, float scale) {
    std::vector<float> v(count);
    for (float& x : v) x = randomFloat(rng, scale);
    return v;
}

uint32_t bitsOf(float x) {
    uint32_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

TEST(FastPaths, FrameConversionEqualsSampleConversion) {
    const float inf = std::numeric_limits<float>::infinity();
    const float special[] = {0.0f,
                             -0.0f,
                             0.5f,
                             -0.5f,
                             0.49999997f,
                             -0.49999997f,
                             1.5f,
                             -1.5f,
                             2.5f,
                             -2.5f,
                             32766.5f,
                             32766.498f,
                             32766.502f,
                             -32767.5f,
                             -32767.498f,
                             -32767.502f,
                             32767.0f,
                             -32768.0f,
                             32768.0f,
                             -32769.0f,
                             1e30f,
                             -1e30f,
                             inf,
                             -inf,
                             std::numeric_limits<float>::quiet_NaN(),
                             -std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::denorm_min(),
                             -std::numeric_limits<float>::denorm_min(),
                             std::numeric_limits<float>::max(),
                             -std::numeric_limits<float>::max()};
    frames::Random rng(4);
    std::vector<float> in(special, special + sizeof special / sizeof special[0]);
    while (in.size() % frameLength != 0 || in.size() < 20 * frameLength) {
        in.push_back(rng.below(4) == 0 ? static_cast<float>(static_cast<int32_t>(rng.below(80000)) - 40000) + 0.5f
                                       : randomFloat(rng, 1e5f));
    }
    for (size_t start = 0; start < in.size(); start += frameLength) {
        int16_t out[frameLength];
        toPcm(out, in.data() + start);
        for (int32_t n = 0; n < frameLength; ++n) {
            EXPECT_EQ(out[n], toPcmSample(in[start + n])) << in[start + n];
        }
    }
}

// The pipeline's search of sub-frame k (x in an excitation buffer), its
// phases run one after the other.
PitchPostParams phasedPitchSearch(const float* x, int32_t pitchLag, int32_t k) {
    PitchWindow window;
    widenPitchWindow(&window, x - 60 * k);
    PitchSearch s;
    startPitchSearch(&s, window.x + pitchWindowStart + 60 * k, pitchLag, k);
    PitchCorrelations c = correlationsOf(s);
    for (int32_t n = 0; n < 60; ++n) pitchCorrelationStep(c, n);
    storeCorrelations(s, c);
    choosePitchLags(s);
    PitchEnergies e = energiesOf(s);
    for (int32_t n = 0; n < 60; ++n) pitchEnergyStep(e, n);
    s.chosenEnergies = e.sums;
    return finishPitchSearch(s);
}

TEST(FastPaths, PitchSearchEqualsTheLagByLagSearch) {
    frames::Random rng(5);
    for (int trial = 0; trial < 60; ++trial) {
        // Periodic excitation with noise, so that both directions find lags.
        const int32_t period = 18 + static_cast<int32_t>(rng.below(128));
        std::vector<float> cycle = randomSignal(rng, static_cast<size_t>(period), 3000.0f);
        std::vector<float> b(excitationHistory + frameLength);
        for (size_t n = 0; n < b.size(); ++n) b[n] = cycle[n % period] + randomFloat(rng, 300.0f);
        for (int32_t k = 0; k < 4; ++k) {
            for (int32_t pitchLag :
                 {period, 18 + static_cast<int32_t>(rng.below(124)), 124 + static_cast<int32_t>(rng.below(4))}) {
                const float* x = b.data() + excitationHistory + 60 * k;
                const PitchPostParams fast = phasedPitchSearch(x, pitchLag, k);
                const PitchPostParams plain = findPitchPostParams(x, pitchLag, k, 1);
                EXPECT_EQ(fast.offset, plain.offset) << trial << " " << k << " " << pitchLag;
                EXPECT_EQ(bitsOf(fast.lagGain), bitsOf(plain.lagGain));
                EXPECT_EQ(bitsOf(fast.scale), bitsOf(plain.scale));
            }
        }
    }
}

TEST(FastPaths, FourSubframeConversionEqualsOneAtATime) {
    frames::Random rng(9);
    for (int trial = 0; trial < 300; ++trial) {
        float prev[lpcOrder];
        float cur[lpcOrder];
        for (int32_t k = 0; k < lpcOrder; ++k) {
            // Mostly inside the LSP scale, now and then outside it or at a whole value.
            prev[k] = static_cast<float>(rng.below(27000)) / 100.0f - 5.0f;
            cur[k] = rng.below(8) == 0 ? static_cast<float>(rng.below(300)) : randomFloat(rng, 600.0f);
        }
        float lpcSet[4][lpcOrder];
        interpolateLsp(lpcSet, cur, prev);
        const float weights[4] = {0.25f, 0.5f, 0.75f, 1.0f};
        for (int32_t i = 0; i < 4; ++i) {
            float v[lpcOrder];
            for (int32_t k = 0; k < lpcOrder; ++k) v[k] = (cur[k] - prev[k]) * weights[i] + prev[k];
            lspToLpc(v);
            for (int32_t k = 0; k < lpcOrder; ++k) {
                ASSERT_EQ(bitsOf(lpcSet[i][k]), bitsOf(v[k])) << trial << " " << i << " " << k;
            }
        }
    }
}

TEST(FastPaths, PitchFilterFromTheWindowEqualsTheFloatForm) {
    frames::Random rng(15);
    std::vector<float> b = randomSignal(rng, excitationHistory + frameLength, 3000.0f);
    PitchWindow window;
    widenPitchWindow(&window, b.data() + excitationHistory);
    for (int32_t trial = 0; trial < 200; ++trial) {
        const int32_t k = static_cast<int32_t>(rng.below(4));
        const int32_t offset = static_cast<int32_t>(rng.below(2)) == 0
                                   ? -static_cast<int32_t>(15 + rng.below(131))
                                   : static_cast<int32_t>(rng.below(1 + 180 - 60 * k));
        const PitchPostParams p{offset, randomFloat(rng, 1.0f), randomFloat(rng, 2.0f)};
        float fromFloats[60];
        float fromWindow[60];
        applyPitchPostfilter(fromFloats, b.data() + excitationHistory + 60 * k, p);
        applyPitchPostfilter(fromWindow, window.x + pitchWindowStart + 60 * k, p);
        for (int32_t n = 0; n < 60; ++n) ASSERT_EQ(bitsOf(fromFloats[n]), bitsOf(fromWindow[n])) << trial;
    }
}

// LPC sets of a random but stable envelope, as the decoder builds them.
void randomLpc(frames::Random& rng, float lpcSet[4][lpcOrder]) {
    float prev[lpcOrder];
    float cur[lpcOrder];
    float x = 3.0f;
    float y = 3.0f;
    for (int32_t i = 0; i < lpcOrder; ++i) {
        x += 5.0f + static_cast<float>(rng.below(2000)) / 100.0f;
        y += 5.0f + static_cast<float>(rng.below(2000)) / 100.0f;
        prev[i] = x;
        cur[i] = y;
    }
    interpolateLsp(lpcSet, cur, prev);
}

// One frame with a ready synthesis input through the filter track, which
// leaves the memories moved on past the frame.
void synthesizeAndPostfilter(float* synthBuf, float* postBuf, const float* frameExc, const float lpcSet[4][lpcOrder],
                             float& postTilt, int32_t postfilterOn) {
    FilterJob job;
    std::memcpy(job.lpcSet, lpcSet, sizeof job.lpcSet);
    std::memcpy(job.frameExc, frameExc, sizeof job.frameExc);
    job.pitchFiltered = false;
    job.postfilterOn = postfilterOn;
    FilterTrack track;
    int16_t samples[frameLength];
    startFilterTrack(&track, FilterMemories{synthBuf, postBuf, &postTilt}, samples);
    addFilterJob(track, &job);
    finishFilterTrack(track);
}

// Both filters written out plainly: every sum from 0.0, products in double,
// in the order of the terms, rounded to float.
void plainFilters(float* synthBuf, float* postBuf, const float* exc, const float lpcSet[4][lpcOrder], float& tilt) {
    float* y = synthBuf + lpcOrder;
    float* p = postBuf + lpcOrder;
    for (int32_t n = 0; n < frameLength; ++n) {
        double sum = 0.0;
        for (int32_t i = 0; i < lpcOrder; ++i) sum += static_cast<double>(lpcSet[n / 60][i]) * y[n - 1 - i];
        sum += exc[n];
        y[n] = static_cast<float>(sum);
    }
    for (int32_t k = 0; k < 4; ++k) {
        const float* s = y + 60 * k;
        float* q = p + 60 * k;
        const float energy = static_cast<float>(dotProduct(s, s, 60));
        const float r = energy == 0.0f ? 0.0f : static_cast<float>(dotProduct(s, s + 1, 59)) / energy;
        tilt = tilt + 0.75f * (r - tilt);
        const float mu = 0.21875f * tilt;
        for (int32_t m = 0; m < 60; ++m) {
            double sum = 0.0;
            for (int32_t i = 0; i < 6; ++i) {
                sum += static_cast<double>(postWeights[i] * lpcSet[k][i]) * static_cast<double>(q[m - 1 - i]);
            }
            sum += 1.03125 * (static_cast<double>(s[m]) - static_cast<double>(mu) * static_cast<double>(s[m - 1]));
            q[m] = static_cast<float>(sum);
        }
    }
}

// The step between frames: the last outputs become the memories.
void moveMemoriesOn(std::vector<float>& synth, std::vector<float>& post) {
    for (std::vector<float>* buf : {&synth, &post}) {
        std::memmove(buf->data(), buf->data() + frameLength, sizeof(float) * lpcOrder);
    }
}

// Frames in which every term of a filter sum is a zero, or values so small
// that sums round to zeros of either sign: the filters' handling of the
// leading 0.0 of their sums must give the plain result, zero signs included.
TEST(FastPaths, PipelineEqualsPlainFiltersForZerosAndUnderflow) {
    frames::Random rng(8);
    std::vector<float> synthA(lpcOrder + frameLength, 0.0f), postA(lpcOrder + frameLength, 0.0f);
    std::vector<float> synthB = synthA, postB = postA;
    float tiltA = 0.0f;
    float tiltB = 0.0f;
    for (int frame = 0; frame < 24; ++frame) {
        float lpcSet[4][lpcOrder];
        for (int32_t k = 0; k < 4; ++k) {
            for (int32_t i = 0; i < lpcOrder; ++i) {
                const float magnitude = frame < 8 ? 0.5f : randomFloat(rng, 1e-10f);
                lpcSet[k][i] = (frame % 2 == 0 || rng.below(2) == 0) ? -std::fabs(magnitude) : std::fabs(magnitude);
            }
        }
        std::vector<float> exc(frameLength);
        for (float& e : exc) {
            const uint32_t choice = rng.below(4);
            e = choice == 0 ? -0.0f : choice == 1 ? 0.0f : randomFloat(rng, frame < 8 ? 0.0f : 1e-30f);
        }
        if (frame % 3 == 0) std::fill(exc.begin(), exc.end(), -0.0f);
        plainFilters(synthA.data(), postA.data(), exc.data(), lpcSet, tiltA);
        moveMemoriesOn(synthA, postA);
        synthesizeAndPostfilter(synthB.data(), postB.data(), exc.data(), lpcSet, tiltB, 1);
        for (int32_t n = 0; n < lpcOrder + frameLength; ++n) {
            ASSERT_EQ(bitsOf(synthA[n]), bitsOf(synthB[n])) << frame << " " << n;
            ASSERT_EQ(bitsOf(postA[n]), bitsOf(postB[n])) << frame << " " << n;
        }
        ASSERT_EQ(bitsOf(tiltA), bitsOf(tiltB));
    }
}

TEST(FastPaths, PipelineEqualsTheTwoStages) {
    for (int32_t on = 0; on <= 1; ++on) {
        frames::Random rng(6 + on);
        std::vector<float> synthA(lpcOrder + frameLength, 0.0f), postA(lpcOrder + frameLength, 0.0f);
        std::vector<float> synthB = synthA, postB = postA;
        float tiltA = 0.0f;
        float tiltB = 0.0f;
        for (int frame = 0; frame < 40; ++frame) {
            float lpcSet[4][lpcOrder];
            randomLpc(rng, lpcSet);
            std::vector<float> exc = randomSignal(rng, frameLength, frame % 5 == 4 ? 0.0f : 2000.0f);
            const std::vector<float> synthC0 = synthA, postC0 = postA;
            float tiltC = tiltA;
            synthesize(synthA.data(), exc.data(), lpcSet);
            formantPostfilter(postA.data() + lpcOrder, synthA.data() + lpcOrder, lpcSet, tiltA, on);
            synthesizeAndPostfilter(synthB.data(), postB.data(), exc.data(), lpcSet, tiltB, on);
            if (on == 1) {
                std::vector<float> synthC = synthC0, postC = postC0;
                plainFilters(synthC.data(), postC.data(), exc.data(), lpcSet, tiltC);
                ASSERT_EQ(synthC, synthA);
                ASSERT_EQ(postC, postA);
            }
            moveMemoriesOn(synthA, postA);
            for (int32_t n = 0; n < lpcOrder + frameLength; ++n) {
                ASSERT_EQ(bitsOf(synthA[n]), bitsOf(synthB[n])) << on << " " << frame << " " << n;
                ASSERT_EQ(bitsOf(postA[n]), bitsOf(postB[n])) << on << " " << frame << " " << n;
            }
            ASSERT_EQ(bitsOf(tiltA), bitsOf(tiltB));
        }
    }
}

// Every field of two decoder states, bit for bit.
void expectSameState(const DecoderState& a, const DecoderState& b, int where) {
    auto same = [](const void* x, const void* y, size_t size) { return std::memcmp(x, y, size) == 0; };
    EXPECT_TRUE(same(a.excitation, b.excitation, sizeof a.excitation)) << where;
    EXPECT_TRUE(same(a.synthBuf, b.synthBuf, sizeof a.synthBuf)) << where;
    EXPECT_TRUE(same(a.postBuf, b.postBuf, sizeof a.postBuf)) << where;
    EXPECT_TRUE(same(a.prevLsp, b.prevLsp, sizeof a.prevLsp)) << where;
    EXPECT_TRUE(same(a.outBuf, b.outBuf, sizeof a.outBuf)) << where;
    EXPECT_TRUE(same(a.frameBuf, b.frameBuf, sizeof a.frameBuf)) << where;
    EXPECT_EQ(bitsOf(a.postTilt), bitsOf(b.postTilt)) << where;
    EXPECT_EQ(bitsOf(a.concealGain), bitsOf(b.concealGain)) << where;
    EXPECT_EQ(bitsOf(a.noiseGain), bitsOf(b.noiseGain)) << where;
    EXPECT_EQ(a.erasureCount, b.erasureCount) << where;
    EXPECT_EQ(a.concealSeed, b.concealSeed) << where;
    EXPECT_EQ(a.concealLag, b.concealLag) << where;
    EXPECT_EQ(a.prevFrameType, b.prevFrameType) << where;
    EXPECT_EQ(a.noiseSeed, b.noiseSeed) << where;
    EXPECT_EQ(a.sidGainIndex, b.sidGainIndex) << where;
    EXPECT_EQ(a.lowRate, b.lowRate) << where;
    EXPECT_EQ(a.lostCount, b.lostCount) << where;
}

TEST(FastPaths, BatchesLeaveTheStateOfSingleFrames) {
    const std::vector<std::vector<uint8_t>> stream = frames::mixedStream(12, 400);
    const frames::BatchFrames batch(stream);
    const std::vector<const void*>& pointers = batch.pointers;
    DecoderState single;
    DecoderState batched;
    frames::Random rng(13);
    for (size_t first = 0; first < stream.size();) {
        const size_t count = std::min(stream.size() - first, static_cast<size_t>(1 + rng.below(9)));
        std::vector<int16_t> a(count * frameLength), b(count * frameLength);
        for (size_t i = 0; i < count; ++i) single.decodeSoundFrame(pointers[first + i], &a[i * frameLength]);
        batched.decodeSoundFrames(&pointers[first], static_cast<int32_t>(count), b.data());
        ASSERT_EQ(a, b) << first;
        expectSameState(single, batched, static_cast<int>(first));
        first += count;
    }
}

// The higher-rate pulse positions decoded by walking the places one at a
// time, as a plain reference: scratch[grid + 2j] = +-amplitude.
std::vector<float> scannedPulses(int32_t code, int32_t pulses, int32_t grid, int32_t signs, float amplitude) {
    std::vector<float> v(60, 0.0f);
    int32_t row = 6 - pulses;
    int32_t placed = 0;
    for (int32_t j = 0; j < 30 && placed < pulses; ++j) {
        code -= pulseCombTable[row][j];
        if (code < 0) {
            code += pulseCombTable[row][j];
            v[grid + 2 * j] = ((signs >> (pulses - 1 - placed)) & 1) ? -amplitude : amplitude;
            ++row;
            ++placed;
        }
    }
    return v;
}

TEST(FastPaths, MultipulseDecodingEqualsTheScanForEveryCode) {
    for (int32_t k = 0; k < 2; ++k) {  // sub-frame 0: six pulses, 1: five
        const int32_t pulses = k == 0 ? 6 : 5;
        const int32_t codes = k == 0 ? 593775 : 142506;
        FrameParams params{};
        params.pitchLag[0] = 60;
        SubframeParams& sub = params.sub[k];
        sub.fixedGainIndex = 5;
        for (int32_t code = 0; code < codes + 3000; ++code) {
            sub.pulsePos = code < codes ? code : code * 97;  // beyond the last code: some up to 20 bits
            sub.grid = code & 1;
            sub.pulseSigns = (code * 7) & ((1 << pulses) - 1);
            // The excitation the pulses are added to: zeros of both signs and other values.
            std::vector<float> buffer(60);
            for (int32_t n = 0; n < 60; ++n) buffer[n] = (n + code) % 3 == 0 ? -0.0f : (n % 3 == 1 ? 0.0f : 0.25f * n);
            std::vector<float> expected =
                scannedPulses(sub.pulsePos, pulses, sub.grid, sub.pulseSigns, fixedGainTable[5]);
            for (int32_t n = 0; n < 60; ++n) expected[n] = buffer[n] + expected[n];
            addFixedVector(buffer.data(), 0, params, k, 0);
            for (int32_t n = 0; n < 60; ++n) {
                ASSERT_EQ(bitsOf(buffer[n]), bitsOf(expected[n]))
                    << "code " << sub.pulsePos << ", " << pulses << " pulses";
            }
        }
    }
}

TEST(FastPaths, ExcitationGridEqualsLimitThenRound) {
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> x = {32767.0f,  32767.002f, 32766.5f, -32768.0f,   -32768.004f,
                            -32767.5f, 1e30f,      -1e30f,   inf,         -inf,
                            0.0f,      -0.0f,      0.5f,     1.5f,        -0.5f,
                            -2.5f,     12.4f,      -12.6f,   0.49999997f, std::numeric_limits<float>::quiet_NaN()};
    frames::Random rng(14);
    while (x.size() < 122) x.push_back(randomFloat(rng, 1e5f));  // 122: a tail after the groups of four
    std::vector<float> expected = x;
    for (float& v : expected) {
        if (std::isnan(v)) v = 32767.0f;
        if (v > 32767.0f) v = 32767.0f;
        if (v < -32768.0f) v = -32768.0f;
        v = std::nearbyint(v) + 0.0f;  // halves to even; no negative zero on the grid
    }
    putOnGrid(x.data(), static_cast<int32_t>(x.size()));
    for (size_t n = 0; n < x.size(); ++n) EXPECT_EQ(bitsOf(x[n]), bitsOf(expected[n])) << n;
}

}  // namespace
