// The gain rule of the pitch postfilter: how much of the matching segment
// is mixed in, and the scale that keeps the sub-frame's energy.
#include "pitch_postfilter.h"

#include <cmath>

namespace {

constexpr float voicingThreshold = 0.25f;
constexpr float gainFactor = 0.21375f;

}  // namespace

PitchPostParams pitchPostGains(int32_t offset, float e0, float c, float e) {
    if (c * c <= voicingThreshold * e * e0) {
        return PitchPostParams{offset, 0.0f, 1.0f};
    }
    float g = (e > c) ? gainFactor * c / e : gainFactor;
    float denominator = e0 + g * (g * e + 2.0f * c);
    if (!(denominator > 0.0f)) {
        // A sub-frame of values so small that its energy and the whole
        // denominator underflow to 0 (a decayed excitation without pulses):
        // pass it unchanged rather than divide 0 by 0.
        return PitchPostParams{offset, 0.0f, 1.0f};
    }
    float s = std::sqrt(e0 / denominator);
    return PitchPostParams{offset, g * s, s};
}
