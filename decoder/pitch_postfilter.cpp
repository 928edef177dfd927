// Pitch postfilter of good speech frames: backward and forward search around
// the open-loop lag, the gain rule, and the filtering into the synthesis input.
#include "pitch_postfilter.h"

#include <cmath>

#include "decoder_state.h"
#include "dot_product.h"

namespace {

constexpr int32_t searchHalfWidth = 3;
constexpr int32_t maxLag = 142;
constexpr float voicingThreshold = 0.25f;
constexpr float gainFactor = 0.21375f;

struct Candidate {
    int32_t offset;     // 0 when no positive correlation was found
    float correlation;  // the stored (float) best correlation
    float energy;       // energy of the chosen segment
};

const PitchPostParams neutral{0, 0.0f, 1.0f};

// Best positive correlation of x with x[n + sign * i] for the lags i in
// lags; a later lag must be strictly greater, so the smallest wins ties.
Candidate searchLags(const float* x, int32_t firstLag, int32_t lastLag, int32_t sign)
{
    Candidate best{0, 0.0f, 0.0f};
    for (int32_t i = firstLag; i <= lastLag; ++i) {
        double c = dotProduct(x + sign * i, x, subframeLength);
        if (c > best.correlation) {
            best.correlation = static_cast<float>(c);
            best.offset = sign * i;
        }
    }
    if (best.offset != 0) {
        const float* segment = x + best.offset;
        best.energy = static_cast<float>(dotProduct(segment, segment, subframeLength));
    }
    return best;
}

}  // namespace

PitchPostParams pitchPostGains(int32_t offset, float e0, float c, float e)
{
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

PitchPostParams findPitchPostParams(const float* x, int32_t pitchLag, int32_t k, int32_t postfilterOn)
{
    if (postfilterOn == 0) {
        return neutral;
    }
    int32_t lag = pitchLag < maxLag ? pitchLag : maxLag;
    int32_t first = lag - searchHalfWidth;
    int32_t last = lag + searchHalfWidth;
    Candidate back = searchLags(x, first, last, -1);
    // A forward segment must end within the current frame.
    int32_t lastForward = frameLength - subframeLength * (k + 1);
    Candidate fwd = searchLags(x, first, last < lastForward ? last : lastForward, 1);
    float e0 = static_cast<float>(dotProduct(x, x, subframeLength));

    if (back.offset == 0 && fwd.offset == 0) {
        return neutral;
    }
    const Candidate* chosen = &fwd;
    if (fwd.offset == 0) {
        chosen = &back;
    } else if (back.offset != 0) {
        float backScore = back.correlation * back.correlation * fwd.energy;
        float fwdScore = fwd.correlation * fwd.correlation * back.energy;
        if (backScore > fwdScore) {
            chosen = &back;
        }
    }
    return pitchPostGains(chosen->offset, e0, chosen->correlation, chosen->energy);
}

void applyPitchPostfilter(float* out, const float* x, const PitchPostParams& p)
{
    for (int32_t n = 0; n < subframeLength; ++n) {
        out[n] = x[n] * p.scale + x[n + p.offset] * p.lagGain;
    }
}
