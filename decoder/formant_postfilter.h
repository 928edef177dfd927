// Formant postfilter: a weighted 6th-order LPC pole filter with adaptive tilt
// compensation, applied to the synthesized speech.
#pragma once

#include <array>

#include "decoder_state.h"

constexpr int32_t postPoleOrder = 6;  // only the first six coefficients take part

// The pole weights 0.135^1 .. 0.135^6 in single precision.
extern const std::array<float, postPoleOrder> postWeights;

// Filters synth[0..239] into post[0..239]; post[-6..-1] and synth[-1] are the
// memories of the previous frame. Updates postTilt. With postfilterOn 0 the
// speech is copied unchanged and postTilt kept.
void formantPostfilter(float* post, const float* synth, const float lpcSet[4][lpcOrder],
                       float& postTilt, int32_t postfilterOn);

// What one sub-frame of the filter needs besides its own past outputs, all
// of it known once the sub-frame's synthesized speech is complete.
struct PostfilterSubframe {
    double w[postPoleOrder];           // postWeights[i] * a[i], rounded to float, widened
    double tiltTerm[subframeLength];   // 1.03125 * (s[m] - mu * s[m-1]), in double
};

// Updates postTilt from the sub-frame s[0..59] (s[-1] is read as well) and
// fills f for the coefficients lpc of the sub-frame.
void preparePostfilterSubframe(PostfilterSubframe* f, const float* lpc, const float* s, float& postTilt);

// Output m of the sub-frame: the six weighted past outputs, then the tilt
// term, summed in that order in double and rounded to float. pd points at
// p[m] in a double copy of the outputs (exact), where the output is stored too.
inline float postfilterStep(const PostfilterSubframe& f, double* pd, int32_t m)
{
    double sum = 0.0;
    for (int32_t i = 0; i < postPoleOrder; ++i) {
        sum += f.w[i] * pd[-1 - i];
    }
    sum += f.tiltTerm[m];
    const float p = static_cast<float>(sum);
    *pd = static_cast<double>(p);
    return p;
}
