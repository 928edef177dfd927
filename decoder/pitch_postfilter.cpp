// Pitch postfilter of good speech frames, written plainly: backward and
// forward search around the open-loop lag, the gain rule, and the filtering
// into the synthesis input.
#include "pitch_postfilter.h"

#include <cmath>

#include "decoder_state.h"
#include "dot_product.h"

namespace {

constexpr float voicingThreshold = 0.25f;
constexpr float gainFactor = 0.21375f;

const PitchPostParams neutral{0, 0.0f, 1.0f};

// The best candidate one way: offset 0 when no correlation was positive.
struct Candidate {
    int32_t offset = 0;
    float correlation = 0.0f;
    float energy = 0.0f;
};

// Lags first..last in direction (-1 backward, +1 forward): a later lag must
// correlate strictly more than the best so far as stored, so of equal maxima
// the smallest lag wins.
Candidate bestCandidate(const float* x, int32_t direction, int32_t first, int32_t last) {
    Candidate best;
    for (int32_t lag = first; lag <= last; ++lag) {
        const double c = dotProduct(x + direction * lag, x, subframeLength);
        if (c > best.correlation) {
            best.correlation = static_cast<float>(c);
            best.offset = direction * lag;
        }
    }
    if (best.offset != 0) {
        best.energy = static_cast<float>(dotProduct(x + best.offset, x + best.offset, subframeLength));
    }
    return best;
}

}  // namespace

PitchPostParams findPitchPostParams(const float* x, int32_t pitchLag, int32_t k, int32_t postfilterOn) {
    if (postfilterOn == 0) {
        return neutral;
    }
    const int32_t lag = pitchLag < pitchMaxLag ? pitchLag : pitchMaxLag;
    const int32_t first = lag - pitchSearchHalfWidth;
    const int32_t lastInFrame = frameLength - subframeLength * (k + 1);
    const int32_t lastForward = lag + pitchSearchHalfWidth < lastInFrame ? lag + pitchSearchHalfWidth : lastInFrame;
    const Candidate back = bestCandidate(x, -1, first, lag + pitchSearchHalfWidth);
    const Candidate fwd = bestCandidate(x, 1, first, lastForward);
    if (back.offset == 0 && fwd.offset == 0) {
        return neutral;
    }
    const float e0 = static_cast<float>(dotProduct(x, x, subframeLength));
    bool backward = fwd.offset == 0;
    if (back.offset != 0 && fwd.offset != 0) {
        backward = back.correlation * back.correlation * fwd.energy > fwd.correlation * fwd.correlation * back.energy;
    }
    const Candidate& chosen = backward ? back : fwd;
    return pitchPostGains(chosen.offset, e0, chosen.correlation, chosen.energy);
}

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

void applyPitchPostfilter(float* out, const float* x, const PitchPostParams& p) {
    for (int32_t n = 0; n < subframeLength; ++n) {
        out[n] = x[n] * p.scale + x[n + p.offset] * p.lagGain;
    }
}
