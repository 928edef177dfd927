// Pitch postfilter: strengthens the periodicity of each good sub-frame's
// excitation by mixing in the best-matching segment one pitch period away.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "decoder_state.h"

// Filter parameters of one sub-frame: out[n] = x[n] * scale + x[n + offset] * lagGain.
struct PitchPostParams {
    int32_t offset;  // distance to the matching segment: < 0 earlier, > 0 later, 0 none
    float lagGain;   // weight of the matching segment
    float scale;     // weight of the sub-frame itself
};

// Chooses the parameters of sub-frame k. x points at the sub-frame's first
// sample inside the excitation buffer; the frame it belongs to and the 145
// samples before it are read (x[-145 - 60k .. 239 - 60k]). pitchLag is the
// sub-frame's open-loop lag.
PitchPostParams findPitchPostParams(const float* x, int32_t pitchLag, int32_t k, int32_t postfilterOn);

// The part of the excitation that a frame's pitch postfilter reads (the
// frame and the 145 samples before it), widened to double (exactly), so that
// the searches need no conversions: x[pitchWindowStart + i] is sample i of
// the frame.
constexpr int32_t pitchWindowStart = 145;
struct PitchWindow {
    double x[pitchWindowStart + frameLength];
};

// Fills the window from the frame's excitation (frame[-145 .. 239]).
void widenPitchWindow(PitchWindow* w, const float* frame);

// The searches of one sub-frame, run one sample at a time so that they can
// share a loop with other work. Every correlation and energy of the search
// is one sum in double from 0.0 in the order n = 0..59, as dotProduct forms
// it; pitchSearchStep adds the products of sample n to all of them at once,
// two sums to a register (eight backward lags, eight forward lags, one more
// than the search needs each way, their eight energies each way, and the
// sub-frame's energy).
struct PitchSearch {
    const double* x;          // the sub-frame's first sample in a pitch window
    int32_t firstLag;         // the smallest lag searched (each way up to firstLag + 6)
    int32_t lastForwardLag;   // the largest forward lag searched; below firstLag: none
    int32_t forwardBase;      // lag of forward sum 0 (sums never reach past the frame end)
    __m128d backCorrelation[4];  // lag firstLag + 6 - j in element j (pairs of elements per register)
    __m128d backEnergy[4];
    __m128d forwardCorrelation[4];  // lag forwardBase + j in element j
    __m128d forwardEnergy[4];
    double energy;            // of the sub-frame itself
};

// Starts the search of sub-frame k; x is the sub-frame's first sample in the
// frame's pitch window, pitchLag as for findPitchPostParams.
void startPitchSearch(PitchSearch* s, const double* x, int32_t pitchLag, int32_t k);

// Adds the products of sample n (0..59, in increasing n) to every sum.
inline void pitchSearchStep(PitchSearch& s, int32_t n)
{
    const double xn = s.x[n];
    const __m128d broadcast = _mm_set1_pd(xn);
    const double* back = s.x + n - (s.firstLag + 6);
    for (int32_t j = 0; j < 4; ++j) {
        const __m128d b = _mm_loadu_pd(back + 2 * j);
        s.backCorrelation[j] = _mm_add_pd(s.backCorrelation[j], _mm_mul_pd(broadcast, b));
        s.backEnergy[j] = _mm_add_pd(s.backEnergy[j], _mm_mul_pd(b, b));
    }
    if (s.lastForwardLag >= s.firstLag) {
        const double* fwd = s.x + n + s.forwardBase;
        for (int32_t j = 0; j < 4; ++j) {
            const __m128d f = _mm_loadu_pd(fwd + 2 * j);
            s.forwardCorrelation[j] = _mm_add_pd(s.forwardCorrelation[j], _mm_mul_pd(broadcast, f));
            s.forwardEnergy[j] = _mm_add_pd(s.forwardEnergy[j], _mm_mul_pd(f, f));
        }
    }
    s.energy += xn * xn;
}

// Chooses the parameters once all 60 steps are done.
PitchPostParams finishPitchSearch(const PitchSearch& s);

// Gain rule for a candidate at offset with sub-frame energy e0, correlation c
// and candidate energy e: weak periodicity leaves the sub-frame unchanged.
PitchPostParams pitchPostGains(int32_t offset, float e0, float c, float e);

// Writes out[0..59] from the sub-frame x with the parameters p.
void applyPitchPostfilter(float* out, const float* x, const PitchPostParams& p);

// The same from the sub-frame in a pitch window.
void applyPitchPostfilter(float* out, const double* x, const PitchPostParams& p);
