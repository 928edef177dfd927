// Formant postfilter of every decoded frame: per sub-frame a first-order
// correlation drives the tilt compensation of the weighted pole filter.
#include "formant_postfilter.h"

#include <emmintrin.h>

#include <cstring>

#include "dot_product.h"

namespace {

constexpr double weightBase = 0.135;
constexpr float tiltSmoothing = 0.75f;
constexpr float tiltFactor = 0.21875f;

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
    postTilt = postTilt + tiltSmoothing * (tiltOf(sums) - postTilt);
    // Two tilt terms at a time, each with the operations of the scalar
    // expression postGain * (s[m] - mu * s[m-1]) in double.
    const __m128d mu = _mm_set1_pd(static_cast<double>(tiltFactor * postTilt));
    const __m128d gain = _mm_set1_pd(postGain);
    for (int32_t m = 0; m < subframeLength; m += 2) {
        const __m128d current = _mm_set_pd(s[m + 1], s[m]);
        const __m128d previous = _mm_set_pd(s[m], s[m - 1]);
        _mm_storeu_pd(f->tiltTerm + m, _mm_mul_pd(gain, _mm_sub_pd(current, _mm_mul_pd(mu, previous))));
    }
}

void formantPostfilter(float* post, const float* synth, const float lpcSet[4][lpcOrder], float& postTilt,
                       int32_t postfilterOn) {
    if (postfilterOn == 0) {
        std::memcpy(post, synth, sizeof(float) * frameLength);
        return;
    }
    for (int32_t k = 0; k < 4; ++k) {
        const float* s = synth + subframeLength * k;
        float* p = post + subframeLength * k;
        float w[postPoleOrder];
        for (int32_t i = 0; i < postPoleOrder; ++i) w[i] = postWeights[i] * lpcSet[k][i];
        const float energy = static_cast<float>(dotProduct(s, s, subframeLength));
        const float r = energy == 0.0f ? 0.0f : static_cast<float>(dotProduct(s, s + 1, subframeLength - 1)) / energy;
        postTilt = postTilt + tiltSmoothing * (r - postTilt);
        const float mu = tiltFactor * postTilt;
        for (int32_t m = 0; m < subframeLength; ++m) {
            double sum = 0.0;
            for (int32_t i = 0; i < postPoleOrder; ++i) {
                sum += static_cast<double>(w[i]) * static_cast<double>(p[m - 1 - i]);
            }
            sum += postGain * (static_cast<double>(s[m]) - static_cast<double>(mu) * static_cast<double>(s[m - 1]));
            p[m] = static_cast<float>(sum);
        }
    }
}
