// Formant postfilter of every decoded frame: per sub-frame a first-order
// correlation drives the tilt compensation of the weighted pole filter.
#include "formant_postfilter.h"

#include <emmintrin.h>

#include <cstring>

#include "dot_product.h"

namespace {

constexpr double weightBase = 0.135;

// First-order correlation coefficient of one sub-frame; 0 for silence.
float tiltOf(const TiltSums& sums) {
    float energy = static_cast<float>(sums.energy);
    if (energy == 0.0f) {
        return 0.0f;
    }
    float cross = static_cast<float>(sums.cross);
    return cross / energy;
}

// 0.135^i, each power formed in double and rounded once to single precision.
constexpr std::array<float, postPoleOrder> makePostWeights() {
    std::array<float, postPoleOrder> table{};
    double power = weightBase;
    for (float& v : table) {
        v = static_cast<float>(power);
        power *= weightBase;
    }
    return table;
}

}  // namespace

const std::array<float, postPoleOrder> postWeights = makePostWeights();

void preparePostfilterSubframe(PostfilterSubframe* f, const float* lpc, const float* s, const TiltSums& sums,
                               float& postTilt) {
    for (int32_t i = 0; i < postPoleOrder; ++i) {
        f->w[i] = static_cast<double>(postWeights[i] * lpc[i]);
    }
    postTilt = postTilt + postTiltSmoothing * (tiltOf(sums) - postTilt);
    // Two tilt terms at a time, each with the operations of the scalar
    // expression postGain * (s[m] - mu * s[m-1]) in double.
    const __m128d mu = _mm_set1_pd(static_cast<double>(postTiltFactor * postTilt));
    const __m128d gain = _mm_set1_pd(postGain);
    for (int32_t m = 0; m < subframeLength; m += 2) {
        const __m128d current = _mm_set_pd(s[m + 1], s[m]);
        const __m128d previous = _mm_set_pd(s[m], s[m - 1]);
        _mm_storeu_pd(f->tiltTerm + m, _mm_mul_pd(gain, _mm_sub_pd(current, _mm_mul_pd(mu, previous))));
    }
}
