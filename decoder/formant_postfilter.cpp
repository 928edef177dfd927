// Formant postfilter of every decoded frame: per sub-frame a first-order
// correlation drives the tilt compensation of the weighted pole filter.
#include "formant_postfilter.h"

#include <array>
#include <cstring>

#include "dot_product.h"

namespace {

constexpr double weightBase = 0.135;
constexpr float tiltSmoothing = 0.75f;
constexpr float tiltFactor = 0.21875f;
constexpr double postGain = 1.03125;
constexpr int32_t poleOrder = 6;

// First-order correlation coefficient of one sub-frame; 0 for silence.
float tiltOf(const float* s)
{
    float energy = static_cast<float>(dotProduct(s, s, subframeLength));
    if (energy == 0.0f) {
        return 0.0f;
    }
    float cross = static_cast<float>(dotProduct(s, s + 1, subframeLength - 1));
    return cross / energy;
}

// 0.135^i, each power formed in double and rounded once to single precision.
constexpr std::array<float, 6> makePostWeights()
{
    std::array<float, 6> table{};
    double power = weightBase;
    for (float& v : table) {
        v = static_cast<float>(power);
        power *= weightBase;
    }
    return table;
}

}  // namespace

const std::array<float, 6> postWeights = makePostWeights();

void formantPostfilter(float* post, const float* synth, const float lpcSet[4][lpcOrder],
                       float& postTilt, int32_t postfilterOn)
{
    if (postfilterOn == 0) {
        std::memcpy(post, synth, sizeof(float) * frameLength);
        return;
    }
    for (int32_t k = 0; k < 4; ++k) {
        const float* s = synth + subframeLength * k;
        float* p = post + subframeLength * k;
        float w[poleOrder];
        for (int32_t i = 0; i < poleOrder; ++i) {
            w[i] = postWeights[i] * lpcSet[k][i];
        }
        postTilt = postTilt + tiltSmoothing * (tiltOf(s) - postTilt);
        float mu = tiltFactor * postTilt;
        for (int32_t m = 0; m < subframeLength; ++m) {
            double sum = 0.0;
            for (int32_t i = 0; i < poleOrder; ++i) {
                sum += static_cast<double>(w[i]) * static_cast<double>(p[m - 1 - i]);
            }
            // The tilt term belongs to the same double-precision sum.
            sum += postGain * (static_cast<double>(s[m]) - static_cast<double>(mu) * static_cast<double>(s[m - 1]));
            p[m] = static_cast<float>(sum);
        }
    }
}
