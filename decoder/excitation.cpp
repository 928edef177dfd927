// Excitation of good speech frames, sub-frame by sub-frame inside the
// excitation history: adaptive-codebook vector plus fixed-codebook pulses.
#include "excitation.h"

#include <emmintrin.h>

#include <cstring>

#include "decoder_state.h"
#include "excitation_limit.h"
#include "tables/excitation_tables.h"

namespace {

constexpr int32_t shortLagLimit = 58;  // higher-rate lags below this use the 85-row gain table
constexpr int32_t gridPlaces = 30;     // candidate positions per grid in a sub-frame
constexpr int32_t scratchLength = 64;  // pulse positions reach 63; samples 60..63 are dropped

const float* adaptiveTaps(const FrameParams& params, int32_t k, int32_t lowRate)
{
    int32_t row = params.sub[k].acbGainIndex;
    if (lowRate == 1 || params.pitchLag[k / 2] >= shortLagLimit) {
        return acbGainTable170[row];
    }
    return acbGainTable85[row];
}

// The amplitude, negated when negative is 1: the sign bit is set directly,
// so that no jump depends on the data (negation only flips that bit).
float signedAmplitude(float amplitude, uint32_t negative)
{
    uint32_t bits;
    std::memcpy(&bits, &amplitude, sizeof bits);
    bits ^= negative << 31;
    float result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

// Enumerative decoding of the pulse positions on one grid, then the signs
// (first pulse = most significant sign bit; a set bit is negative).
void placeMultipulse(float* scratch, const SubframeParams& sub, int32_t pulses, float amplitude)
{
    int32_t code = sub.pulsePos;
    int32_t row = 6 - pulses;
    int32_t placed = 0;
    for (int32_t j = 0; j < gridPlaces && placed < pulses; ++j) {
        code -= pulseCombTable[row][j];
        if (code < 0) {
            code += pulseCombTable[row][j];
            const uint32_t negative = static_cast<uint32_t>(sub.pulseSigns >> (pulses - 1 - placed)) & 1u;
            scratch[sub.grid + 2 * j] = signedAmplitude(amplitude, negative);
            ++row;
            ++placed;
        }
    }
}

void buildHighRatePulses(float* scratch, const FrameParams& params, int32_t k, float amplitude)
{
    const SubframeParams& sub = params.sub[k];
    placeMultipulse(scratch, sub, (k % 2 == 0) ? 6 : 5, amplitude);
    if (sub.pulseTrain == 1) {
        repeatPulses(scratch, params.pitchLag[k / 2], 1.0f);
    }
}

// Four pulses on interleaved tracks (track t at grid + 2t + 8p, p = 3 bits of
// the position code), then pitch sharpening from the gain row.
void buildLowRatePulses(float* scratch, const FrameParams& params, int32_t k, float amplitude)
{
    const SubframeParams& sub = params.sub[k];
    for (int32_t t = 0; t < 4; ++t) {
        int32_t place = (sub.pulsePos >> (3 * t)) & 7;
        int32_t position = sub.grid + 2 * t + 8 * place;
        scratch[position] = signedAmplitude(amplitude, ~static_cast<uint32_t>(sub.pulseSigns >> t) & 1u);
    }
    int32_t period = params.pitchLag[k / 2] + sharpenLagTable[sub.acbGainIndex] + sub.lagDelta - 1;
    if (period < shortLagLimit) {
        repeatPulses(scratch, period, sharpenGainTable[sub.acbGainIndex]);
    }
}

}  // namespace

void extendPeriodic(float* buffer, int32_t pos, int32_t lag)
{
    for (int32_t i = 0; i <= 61 - lag; ++i) {
        buffer[pos + i] = buffer[pos - lag + i];
    }
}

void buildAdaptiveVector(float* buffer, int32_t pos, int32_t lag, const float* taps)
{
    extendPeriodic(buffer, pos, lag);
    // Four outputs at a time, in descending groups: the inputs of a group lie
    // at least 12 samples below its lowest output (lags are at least 17), so
    // none is overwritten before it is read. Each output is its own sum,
    // formed tap by tap from b0 to b4 in single precision as for one output.
    __m128 b[5];
    for (int32_t j = 0; j < 5; ++j) b[j] = _mm_set1_ps(taps[j]);
    for (int32_t i = subframeLength - 4; i >= 0; i -= 4) {
        const float* past = buffer + pos + i - lag - 2;
        __m128 sum = _mm_setzero_ps();
        for (int32_t j = 0; j < 5; ++j) {
            sum = _mm_add_ps(sum, _mm_mul_ps(b[j], _mm_loadu_ps(past + j)));
        }
        _mm_storeu_ps(buffer + pos + i, sum);
    }
}

void repeatPulses(float* vec, int32_t period, float gain)
{
    for (int32_t n = period; n < subframeLength; ++n) {
        vec[n] = vec[n] + gain * vec[n - period];
    }
}

void addFixedVector(float* buffer, int32_t pos, const FrameParams& params, int32_t k, int32_t lowRate)
{
    float scratch[scratchLength];
    for (int32_t n = 0; n < scratchLength; n += 4) _mm_storeu_ps(scratch + n, _mm_setzero_ps());
    float amplitude = fixedGainTable[params.sub[k].fixedGainIndex];
    if (lowRate == 0) {
        buildHighRatePulses(scratch, params, k, amplitude);
    } else {
        buildLowRatePulses(scratch, params, k, amplitude);
    }
    for (int32_t n = 0; n < subframeLength; ++n) {
        buffer[pos + n] += scratch[n];
    }
}

void decodeExcitationSubframe(float* excitation, const FrameParams& params, int32_t lowRate, int32_t k)
{
    int32_t pos = excitationHistory + subframeLength * k;
    int32_t lag = params.pitchLag[k / 2] + params.sub[k].lagDelta - 1;
    buildAdaptiveVector(excitation, pos, lag, adaptiveTaps(params, k, lowRate));
    addFixedVector(excitation, pos, params, k, lowRate);
    limitExcitation(excitation + pos, subframeLength);
}

void decodeExcitation(float* excitation, const FrameParams& params, int32_t lowRate)
{
    for (int32_t k = 0; k < 4; ++k) {
        decodeExcitationSubframe(excitation, params, lowRate, k);
    }
}
