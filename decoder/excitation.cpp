// Excitation of good speech frames, sub-frame by sub-frame inside the
// excitation history: adaptive-codebook vector plus fixed-codebook pulses.
#include "excitation.h"

#include <emmintrin.h>

#include <climits>
#include <cstring>

#include "decoder_state.h"
#include "excitation_grid.h"
#include "tables/excitation_tables.h"

namespace {

constexpr int32_t shortLagLimit = 58;  // higher-rate lags below this use the 85-row gain table
constexpr int32_t gridPlaces = 30;     // candidate positions per grid in a sub-frame
constexpr int32_t scratchLength = 64;  // pulse positions reach 63; samples 60..63 are dropped

// The signed pulses of one sub-frame's fixed-codebook vector, before any
// repetition.
struct Pulses {
    int32_t position[6];  // 0..63; positions 60..63 fall outside the sub-frame
    float value[6];       // +-amplitude
    int32_t count;
};

const float* adaptiveTaps(const FrameParams& params, int32_t k, int32_t lowRate) {
    int32_t row = params.sub[k].acbGainIndex;
    if (lowRate == 1 || params.pitchLag[k / 2] >= shortLagLimit) {
        return acbGainTable170[row];
    }
    return acbGainTable85[row];
}

// The amplitude, negated when negative is 1: the sign bit is set directly,
// so that no jump depends on the data (negation only flips that bit).
float signedAmplitude(float amplitude, uint32_t negative) {
    uint32_t bits;
    std::memcpy(&bits, &amplitude, sizeof bits);
    bits ^= negative << 31;
    float result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

// Running sums of the rows of the enumerative position table:
// sums[r][j] = pulseCombTable[r][0] + ... + pulseCombTable[r][j], j = 0..29,
// and two padding entries larger than any code.
struct CombSums {
    int32_t sums[6][32];
};

CombSums makeCombSums() {
    CombSums c{};
    for (int32_t r = 0; r < 6; ++r) {
        int32_t sum = 0;
        for (int32_t j = 0; j < gridPlaces; ++j) {
            sum += pulseCombTable[r][j];
            c.sums[r][j] = sum;
        }
        c.sums[r][30] = c.sums[r][31] = INT32_MAX;
    }
    return c;
}

const CombSums& combSums() {
    static const CombSums sums = makeCombSums();
    return sums;
}

// How many of the 32 running sums of a row are at most target. The sums do
// not decrease, so those are the first ones.
int32_t sumsAtMost(const int32_t* sums, int32_t target) {
    const __m128i t = _mm_set1_epi32(target);
    __m128i g[8];  // -1 where a sum exceeds the target
    for (int32_t j = 0; j < 8; ++j) {
        g[j] = _mm_cmpgt_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + 4 * j)), t);
    }
    const __m128i four = _mm_add_epi32(_mm_add_epi32(g[0], g[1]), _mm_add_epi32(g[2], g[3]));
    const __m128i eight = _mm_add_epi32(_mm_add_epi32(g[4], g[5]), _mm_add_epi32(g[6], g[7]));
    __m128i greater = _mm_sub_epi32(_mm_setzero_si128(), _mm_add_epi32(four, eight));
    greater = _mm_add_epi32(greater, _mm_shuffle_epi32(greater, _MM_SHUFFLE(1, 0, 3, 2)));
    greater = _mm_add_epi32(greater, _mm_shuffle_epi32(greater, _MM_SHUFFLE(2, 3, 0, 1)));
    return 32 - _mm_cvtsi128_si32(greater);
}

// Where the enumerative decoding of one sub-frame's pulse positions stands.
struct MultipulseDecoding {
    const SubframeParams* sub;
    int32_t count;  // pulses of the sub-frame (6 or 5)
    int32_t code;   // what is left of the position code
    int32_t place;  // first place still free (j0)
    bool open;      // pulses remain to be placed
};

// One step of the decoding: the next pulse of a sub-frame's code on its grid,
// with its sign (first pulse = most significant sign bit; a set bit is
// negative). The decoding walks the places j = 0..29, subtracting the table
// entry of the current row from the code; where the code would turn negative
// the next pulse goes and the row advances, the code kept. For one pulse,
// searching from place j0, that place is the first j whose running sum from
// j0 through j exceeds the code, i.e. the first j with sums[r][j] > code +
// sums[r][j0 - 1] (the running sum before j0); the code then loses the
// entries j0..j-1. The places before j0 have running sums below that bound
// anyway, so counting the running sums at most the bound gives the place at
// once, without a jump per place. No such place (30): the remaining pulses
// are left out.
void placeNextPulse(MultipulseDecoding& d, Pulses* pulses, int32_t m, float amplitude, const CombSums& c) {
    const int32_t* sums = c.sums[6 - d.count + m];
    const int32_t before = d.place > 0 ? sums[d.place - 1] : 0;
    const int32_t bound = d.code + before;
    const int32_t j = sumsAtMost(sums, bound);
    if (j >= gridPlaces) {
        d.open = false;
        return;
    }
    d.code = bound - (j > 0 ? sums[j - 1] : 0);
    const uint32_t negative = static_cast<uint32_t>(d.sub->pulseSigns >> (d.count - 1 - m)) & 1u;
    pulses->position[m] = d.sub->grid + 2 * j;
    pulses->value[m] = signedAmplitude(amplitude, negative);
    pulses->count = m + 1;
    d.place = j + 1;
    d.open = m + 1 < d.count;
}

// The multipulse codes of several sub-frames side by side, pulse by pulse:
// each sub-frame's decoding is a chain of dependent steps, and decoding the
// sub-frames together lets the processor overlap the chains.
void decodeMultipulses(const FrameParams& params, const int32_t* subframes, int32_t n, Pulses* pulses) {
    const CombSums& c = combSums();
    MultipulseDecoding d[4];
    for (int32_t i = 0; i < n; ++i) {
        const int32_t k = subframes[i];
        d[i] = MultipulseDecoding{&params.sub[k], (k % 2 == 0) ? 6 : 5, params.sub[k].pulsePos, 0, true};
        pulses[i].count = 0;
    }
    for (int32_t m = 0; m < 6; ++m) {
        for (int32_t i = 0; i < n; ++i) {
            if (d[i].open) {
                placeNextPulse(d[i], &pulses[i], m, fixedGainTable[d[i].sub->fixedGainIndex], c);
            }
        }
    }
}

// Four pulses on interleaved tracks: track t at grid + 2t + 8p, p = 3 bits
// of the position code; a set sign bit is positive.
void decodeTracks(Pulses* pulses, const SubframeParams& sub, float amplitude) {
    for (int32_t t = 0; t < 4; ++t) {
        const int32_t place = (sub.pulsePos >> (3 * t)) & 7;
        pulses->position[t] = sub.grid + 2 * t + 8 * place;
        pulses->value[t] = signedAmplitude(amplitude, ~static_cast<uint32_t>(sub.pulseSigns >> t) & 1u);
    }
    pulses->count = 4;
}

// Whether the pulses of sub-frame k repeat, and at which period with which
// weight: the pulse train of the higher rate (open-loop lag, weight 1) or
// the pitch sharpening of the lower rate.
bool repetitionOf(const FrameParams& params, int32_t k, int32_t lowRate, int32_t* period, float* gain) {
    const SubframeParams& sub = params.sub[k];
    if (lowRate == 0) {
        *period = params.pitchLag[k / 2];
        *gain = 1.0f;
        return sub.pulseTrain == 1;
    }
    *period = params.pitchLag[k / 2] + sharpenLagTable[sub.acbGainIndex] + sub.lagDelta - 1;
    *gain = sharpenGainTable[sub.acbGainIndex];
    return *period < shortLagLimit;
}

}  // namespace

void extendPeriodic(float* buffer, int32_t pos, int32_t lag) {
    for (int32_t i = 0; i <= 61 - lag; ++i) {
        buffer[pos + i] = buffer[pos - lag + i];
    }
}

namespace {

constexpr int32_t tapShift = 14;  // the taps are the standard's integers at 2^14
constexpr int32_t tapScale = 1 << tapShift;
constexpr int32_t adaptiveReach = subframeLength + 4;  // samples one sub-frame's filter reads

// Two taps side by side in one 32-bit lane, first in the low half, as
// _mm_madd_epi16 pairs them with two neighbouring samples.
__m128i tapPair(int32_t first, int32_t second) {
    return _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(second) << 16) | (first & 0xFFFF)));
}

// The sums of two neighbouring taps (pair = the taps in one lane, as
// tapPair makes it) with the samples h[from + t], h[from + t + 1], for the
// eight outputs t = 0..7: outputs 0..3 in low, 4..7 in high.
void addTapPair(__m128i& low, __m128i& high, const int16_t* h, int32_t from, __m128i pair) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + from));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + from + 1));
    low = _mm_add_epi32(low, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), pair));
    high = _mm_add_epi32(high, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), pair));
}

// Four sums at the taps' scale rounded (halves up) to whole numbers and
// limited to the 16-bit range.
__m128 roundedTaps(__m128i sum) {
    const __m128i half = _mm_set1_epi32(tapScale / 2);
    return limitFour(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_add_epi32(sum, half), tapShift)));
}

}  // namespace

void buildAdaptiveVector(float* buffer, int32_t pos, int32_t lag, const float* taps) {
    extendPeriodic(buffer, pos, lag);
    // The 64 samples the filter reads (the history is on the grid, so they
    // are exact as 16-bit integers), taken before any output is written.
    // Eight more give the last group of eight outputs its inputs; of that
    // group only the first four are kept.
    int16_t h[adaptiveReach + 8] = {};
    const float* past = buffer + pos - lag - 2;
    for (int32_t m = 0; m < adaptiveReach; m += 8) {
        const __m128i low = _mm_cvtps_epi32(_mm_loadu_ps(past + m));
        const __m128i high = _mm_cvtps_epi32(_mm_loadu_ps(past + m + 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(h + m), _mm_packs_epi32(low, high));
    }
    // The standard's integer taps: each tap here is q / 2^14 to six decimals,
    // so 2^14 times it lies within 0.01 of q and rounds back to it.
    int32_t q[5];
    for (int32_t j = 0; j < 5; ++j) q[j] = _mm_cvtss_si32(_mm_set_ss(taps[j] * static_cast<float>(tapScale)));
    const __m128i q01 = tapPair(q[0], q[1]);
    const __m128i q23 = tapPair(q[2], q[3]);
    const __m128i q4 = tapPair(q[4], 0);
    // Eight outputs at a time: the exact integer sum of the five products,
    // rounded and limited as a 16-bit filter with 2^14 taps forms it. The
    // sum fits 32 bits: no row's taps add up to 2^16 in magnitude.
    for (int32_t i = 0; i < subframeLength; i += 8) {
        __m128i low = _mm_setzero_si128();
        __m128i high = _mm_setzero_si128();
        addTapPair(low, high, h, i, q01);
        addTapPair(low, high, h, i + 2, q23);
        addTapPair(low, high, h, i + 4, q4);
        _mm_storeu_ps(buffer + pos + i, roundedTaps(low));
        if (i + 4 < subframeLength) _mm_storeu_ps(buffer + pos + i + 4, roundedTaps(high));
    }
}

void repeatPulses(float* vec, int32_t period, float gain) {
    for (int32_t n = period; n < subframeLength; ++n) {
        vec[n] = vec[n] + gain * vec[n - period];
    }
}

namespace {

// The pulses of the four sub-frames (the codes do not depend on the
// excitation, so they are decoded for the whole frame at once).
void decodeFramePulses(Pulses pulses[4], const FrameParams& params, int32_t lowRate) {
    if (lowRate == 0) {
        static const int32_t all[4] = {0, 1, 2, 3};
        decodeMultipulses(params, all, 4, pulses);
        return;
    }
    for (int32_t k = 0; k < 4; ++k) {
        decodeTracks(&pulses[k], params.sub[k], fixedGainTable[params.sub[k].fixedGainIndex]);
    }
}

// The fixed-codebook vector is the pulses on zeros, repeated when the
// sub-frame asks for it, and it is added sample by sample. Without a
// repetition the sum is formed directly: every sample gets + 0.0 (which, as
// adding a zero sample does, turns -0 into +0 and leaves everything else),
// then each pulse is added at its place; since a pulse is never zero, adding
// it to b + 0.0 gives the same as adding it to b.
void addPulses(float* buffer, int32_t pos, const FrameParams& params, int32_t k, int32_t lowRate,
               const Pulses& pulses) {
    int32_t period;
    float gain;
    const bool repeats = repetitionOf(params, k, lowRate, &period, &gain);
    float* out = buffer + pos;
    if (!repeats) {
        for (int32_t n = 0; n < subframeLength; n += 4) {
            _mm_storeu_ps(out + n, _mm_add_ps(_mm_loadu_ps(out + n), _mm_setzero_ps()));
        }
        for (int32_t m = 0; m < pulses.count; ++m) {
            if (pulses.position[m] < subframeLength) out[pulses.position[m]] += pulses.value[m];
        }
        return;
    }
    float scratch[scratchLength] = {};
    for (int32_t m = 0; m < pulses.count; ++m) scratch[pulses.position[m]] = pulses.value[m];
    repeatPulses(scratch, period, gain);
    for (int32_t n = 0; n < subframeLength; ++n) {
        out[n] += scratch[n];
    }
}

// Sub-frame k (sub-frames in order: each reads the ones before).
void decodeExcitationSubframe(float* excitation, const FrameParams& params, int32_t lowRate, int32_t k,
                              const Pulses& pulses) {
    int32_t pos = excitationHistory + subframeLength * k;
    int32_t lag = params.pitchLag[k / 2] + params.sub[k].lagDelta - 1;
    buildAdaptiveVector(excitation, pos, lag, adaptiveTaps(params, k, lowRate));
    addPulses(excitation, pos, params, k, lowRate, pulses);
    putOnGrid(excitation + pos, subframeLength);
}

}  // namespace

void addFixedVector(float* buffer, int32_t pos, const FrameParams& params, int32_t k, int32_t lowRate) {
    Pulses pulses;
    if (lowRate == 0) {
        decodeMultipulses(params, &k, 1, &pulses);
    } else {
        decodeTracks(&pulses, params.sub[k], fixedGainTable[params.sub[k].fixedGainIndex]);
    }
    addPulses(buffer, pos, params, k, lowRate, pulses);
}

void decodeExcitation(float* excitation, const FrameParams& params, int32_t lowRate) {
    Pulses pulses[4];
    decodeFramePulses(pulses, params, lowRate);
    for (int32_t k = 0; k < 4; ++k) {
        decodeExcitationSubframe(excitation, params, lowRate, k, pulses[k]);
    }
}
