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

// Takes the candidate at offset if its correlation c is greater than the
// best so far (so of equal maxima the first, smallest lag wins).
void consider(Candidate& best, double c, int32_t offset)
{
    if (c > best.correlation) {
        best.correlation = static_cast<float>(c);
        best.offset = offset;
    }
}

// Best positive correlation of x with the earlier segments x[n - i], lags
// i = first..first+6. The eight correlations of one call cover the offsets
// -(first+6) .. -(first-1); the last is not needed.
Candidate searchBackward(const float* x, int32_t first)
{
    double c[8];
    correlateEightOffsets(x, -(first + 6), subframeLength, c);
    Candidate best{0, 0.0f, 0.0f};
    for (int32_t i = first; i <= first + searchHalfWidth * 2; ++i) {
        consider(best, c[first + 6 - i], -i);
    }
    return best;
}

// Best positive correlation of x with the later segments x[n + i], lags
// i = first..last, where last keeps every segment inside the frame
// (lastInFrame is the largest such lag). The eight correlations start at
// the first lag, or earlier where eight would reach past the frame end.
Candidate searchForward(const float* x, int32_t first, int32_t last, int32_t lastInFrame)
{
    Candidate best{0, 0.0f, 0.0f};
    if (last < first) {
        return best;
    }
    const int32_t base = first < lastInFrame - 7 ? first : lastInFrame - 7;
    double c[8];
    correlateEightOffsets(x, base, subframeLength, c);
    for (int32_t i = first; i <= last; ++i) {
        consider(best, c[i - base], i);
    }
    return best;
}

// The energies of the two chosen segments (an offset of 0 gives that of the
// sub-frame itself, which is then not used).
void addEnergies(const float* x, Candidate& back, Candidate& fwd)
{
    double e[2];
    energyPair(x + back.offset, x + fwd.offset, subframeLength, e);
    back.energy = static_cast<float>(e[0]);
    fwd.energy = static_cast<float>(e[1]);
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
    Candidate back = searchBackward(x, first);
    // A forward segment must end within the current frame.
    int32_t lastForward = frameLength - subframeLength * (k + 1);
    Candidate fwd = searchForward(x, first, last < lastForward ? last : lastForward, lastForward);
    addEnergies(x, back, fwd);
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
