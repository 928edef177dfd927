// Pitch postfilter of good speech frames: backward and forward search around
// the open-loop lag, the gain rule, and the filtering into the synthesis input.
#include "pitch_postfilter.h"

#include <cmath>

#include "decoder_state.h"

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
void consider(Candidate& best, double c, double energy, int32_t offset)
{
    if (c > best.correlation) {
        best.correlation = static_cast<float>(c);
        best.energy = static_cast<float>(energy);
        best.offset = offset;
    }
}

void storeSums(const __m128d* registers, double sums[8])
{
    for (int32_t j = 0; j < 4; ++j) _mm_storeu_pd(sums + 2 * j, registers[j]);
}

Candidate bestBackward(const PitchSearch& s)
{
    double c[8];
    double e[8];
    storeSums(s.backCorrelation, c);
    storeSums(s.backEnergy, e);
    Candidate best{0, 0.0f, 0.0f};
    for (int32_t i = s.firstLag; i <= s.firstLag + 2 * searchHalfWidth; ++i) {
        const int32_t j = s.firstLag + 6 - i;
        consider(best, c[j], e[j], -i);
    }
    return best;
}

Candidate bestForward(const PitchSearch& s)
{
    Candidate best{0, 0.0f, 0.0f};
    if (s.lastForwardLag < s.firstLag) {
        return best;
    }
    double c[8];
    double e[8];
    storeSums(s.forwardCorrelation, c);
    storeSums(s.forwardEnergy, e);
    for (int32_t i = s.firstLag; i <= s.lastForwardLag; ++i) {
        const int32_t j = i - s.forwardBase;
        consider(best, c[j], e[j], i);
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

void widenPitchWindow(PitchWindow* w, const float* frame)
{
    const float* first = frame - pitchWindowStart;
    constexpr int32_t length = pitchWindowStart + frameLength;
    int32_t i = 0;
    for (; i + 4 <= length; i += 4) {
        const __m128 four = _mm_loadu_ps(first + i);
        _mm_storeu_pd(w->x + i, _mm_cvtps_pd(four));
        _mm_storeu_pd(w->x + i + 2, _mm_cvtps_pd(_mm_movehl_ps(four, four)));
    }
    for (; i < length; ++i) w->x[i] = first[i];
}

void startPitchSearch(PitchSearch* s, const double* x, int32_t pitchLag, int32_t k)
{
    const int32_t lag = pitchLag < maxLag ? pitchLag : maxLag;
    s->x = x;
    s->firstLag = lag - searchHalfWidth;
    // A forward segment must end within the current frame; the eight
    // forward sums start early enough not to read past it.
    const int32_t lastInFrame = frameLength - subframeLength * (k + 1);
    const int32_t last = lag + searchHalfWidth;
    s->lastForwardLag = last < lastInFrame ? last : lastInFrame;
    s->forwardBase = s->firstLag < lastInFrame - 7 ? s->firstLag : lastInFrame - 7;
    for (int32_t j = 0; j < 4; ++j) {
        s->backCorrelation[j] = s->backEnergy[j] = _mm_setzero_pd();
        s->forwardCorrelation[j] = s->forwardEnergy[j] = _mm_setzero_pd();
    }
    s->energy = 0.0;
}

PitchPostParams finishPitchSearch(const PitchSearch& s)
{
    const Candidate back = bestBackward(s);
    const Candidate fwd = bestForward(s);
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
    return pitchPostGains(chosen->offset, static_cast<float>(s.energy), chosen->correlation, chosen->energy);
}

PitchPostParams findPitchPostParams(const float* x, int32_t pitchLag, int32_t k, int32_t postfilterOn)
{
    if (postfilterOn == 0) {
        return neutral;
    }
    PitchWindow window;
    widenPitchWindow(&window, x - subframeLength * k);
    PitchSearch s;
    startPitchSearch(&s, window.x + pitchWindowStart + subframeLength * k, pitchLag, k);
    for (int32_t n = 0; n < subframeLength; ++n) {
        pitchSearchStep(s, n);
    }
    return finishPitchSearch(s);
}

namespace {

// out[n] = x[n] * scale + x[n + offset] * lagGain in single precision (the
// samples of a window are floats held in double).
template <class Sample>
void applyGains(float* out, const Sample* x, const PitchPostParams& p)
{
    for (int32_t n = 0; n < subframeLength; ++n) {
        out[n] = static_cast<float>(x[n]) * p.scale + static_cast<float>(x[n + p.offset]) * p.lagGain;
    }
}

}  // namespace

void applyPitchPostfilter(float* out, const float* x, const PitchPostParams& p)
{
    applyGains(out, x, p);
}

void applyPitchPostfilter(float* out, const double* x, const PitchPostParams& p)
{
    applyGains(out, x, p);
}
