// Pitch postfilter: strengthens the periodicity of each good sub-frame's
// excitation by mixing in the best-matching segment one pitch period away.
#pragma once

#include <emmintrin.h>

#include <cstdint>

// Filter parameters of one sub-frame: out[n] = x[n] * scale + x[n + offset] * lagGain.
struct PitchPostParams {
    int32_t offset;  // distance to the matching segment: < 0 earlier, > 0 later, 0 none
    float lagGain;   // weight of the matching segment
    float scale;     // weight of the sub-frame itself
};

// Chooses the parameters of sub-frame k. x points at the sub-frame's first
// sample inside the excitation buffer (x[-145..] and x[..+204] readable);
// pitchLag is the sub-frame's open-loop lag.
PitchPostParams findPitchPostParams(const float* x, int32_t pitchLag, int32_t k, int32_t postfilterOn);

// The searches of one sub-frame, run one sample at a time so that they can
// share a loop with other work. Every correlation and energy of the search
// is one sum in double from 0.0 in the order n = 0..59, as dotProduct forms
// it; pitchSearchStep adds the products of sample n to all of them at once,
// two sums to a register (eight backward lags, eight forward lags, one more
// than the search needs each way, their eight energies each way, and the
// sub-frame's energy).
struct PitchSearch {
    const float* x;           // the sub-frame's first sample in the excitation buffer
    int32_t firstLag;         // the smallest lag searched (each way up to firstLag + 6)
    int32_t lastForwardLag;   // the largest forward lag searched; below firstLag: none
    int32_t forwardBase;      // lag of forward sum 0 (sums never reach past the frame end)
    __m128d backCorrelation[4];  // lag firstLag + 6 - j in element j (pairs of elements per register)
    __m128d backEnergy[4];
    __m128d forwardCorrelation[4];  // lag forwardBase + j in element j
    __m128d forwardEnergy[4];
    double energy;            // of the sub-frame itself
};

// Starts the search of sub-frame k (x and pitchLag as for findPitchPostParams).
void startPitchSearch(PitchSearch* s, const float* x, int32_t pitchLag, int32_t k);

// Adds the products of sample n (0..59, in increasing n) to every sum.
inline void pitchSearchStep(PitchSearch& s, int32_t n)
{
    const double xn = s.x[n];
    const __m128d broadcast = _mm_set1_pd(xn);
    const float* back = s.x + n - (s.firstLag + 6);
    const __m128 backLow = _mm_loadu_ps(back);
    const __m128 backHigh = _mm_loadu_ps(back + 4);
    const __m128d b[4] = {_mm_cvtps_pd(backLow), _mm_cvtps_pd(_mm_movehl_ps(backLow, backLow)),
                          _mm_cvtps_pd(backHigh), _mm_cvtps_pd(_mm_movehl_ps(backHigh, backHigh))};
    for (int32_t j = 0; j < 4; ++j) {
        s.backCorrelation[j] = _mm_add_pd(s.backCorrelation[j], _mm_mul_pd(broadcast, b[j]));
        s.backEnergy[j] = _mm_add_pd(s.backEnergy[j], _mm_mul_pd(b[j], b[j]));
    }
    if (s.lastForwardLag >= s.firstLag) {
        const float* fwd = s.x + n + s.forwardBase;
        const __m128 fwdLow = _mm_loadu_ps(fwd);
        const __m128 fwdHigh = _mm_loadu_ps(fwd + 4);
        const __m128d f[4] = {_mm_cvtps_pd(fwdLow), _mm_cvtps_pd(_mm_movehl_ps(fwdLow, fwdLow)),
                              _mm_cvtps_pd(fwdHigh), _mm_cvtps_pd(_mm_movehl_ps(fwdHigh, fwdHigh))};
        for (int32_t j = 0; j < 4; ++j) {
            s.forwardCorrelation[j] = _mm_add_pd(s.forwardCorrelation[j], _mm_mul_pd(broadcast, f[j]));
            s.forwardEnergy[j] = _mm_add_pd(s.forwardEnergy[j], _mm_mul_pd(f[j], f[j]));
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
