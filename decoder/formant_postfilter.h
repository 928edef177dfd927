// Formant postfilter: a weighted 6th-order LPC pole filter with adaptive tilt
// compensation, applied to the synthesized speech.
#pragma once

#include <array>

#include "decoder_state.h"
#include "synthesis.h"

constexpr int32_t postPoleOrder = 6;  // only the first six coefficients take part
constexpr double postGain = 1.03125;  // fixed gain of the filter

// The pole weights 0.135^1 .. 0.135^6 in single precision.
extern const std::array<float, postPoleOrder> postWeights;

// The tilt compensation: per sub-frame the tilt r = sum s[m] s[m+1] /
// sum s[m]^2 (0 for silence) is smoothed into postTilt by postTiltSmoothing,
// and mu = postTiltFactor * postTilt weights the previous sample.
constexpr float postTiltSmoothing = 0.75f;
constexpr float postTiltFactor = 0.21875f;

// The filter, per sub-frame: p[m] = sum_i postWeights[i] a[i] p[m-1-i] +
// 1.03125 (s[m] - mu s[m-1]), summed from 0.0 in double; it runs one step per
// sample inside the filter pipeline (filter_pipeline.h).

// The two sums the tilt of a sub-frame s[0..59] comes from, each accumulated
// in double from 0.0 in the order m = 0, 1, ...: the energy (s[m]^2, m =
// 0..59) and the first-order correlation (s[m] * s[m+1], m = 0..58).
struct TiltSums {
    double energy = 0.0;
    double cross = 0.0;
};

// What one sub-frame of the filter needs besides its own past outputs, all
// of it known once the sub-frame's speech is complete.
struct PostfilterSubframe {
    double w[postPoleOrder];          // postWeights[i] * a[i], rounded to float, widened
    double tiltTerm[subframeLength];  // postGain * (s[m] - mu * s[m-1]), mu = 0.21875 * postTilt (float)
};

// Updates postTilt from the tilt sums of the sub-frame s[0..59] (s[-1] is
// read as well) and fills f for the coefficients lpc of the sub-frame.
void preparePostfilterSubframe(PostfilterSubframe* f, const float* lpc, const float* s, const TiltSums& sums,
                               float& postTilt);

// Output m of the sub-frame: the six weighted past outputs, then the tilt
// term, summed in that order in double and stored rounded to float in *p
// (the leading 0.0 of the sum handled as in synthesisStep). pd points at p[m]
// in a double copy of the outputs (the fed-back values), where the new value
// is stored too; last is p[m-1] as fed back. Returns p[m] as fed back.
inline double postfilterStep(const PostfilterSubframe& f, double last, double* pd, int32_t m, float* p) {
    double sum = f.w[0] * last;
    for (int32_t i = 1; i < postPoleOrder; ++i) {
        sum += f.w[i] * pd[-1 - i];
    }
    sum += f.tiltTerm[m];
    const FilterSum result = finishFilterSum(sum);
    *pd = result.chained;
    *p = result.output;
    return result.chained;
}
