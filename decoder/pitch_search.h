// The pitch postfilter's lag search as the filter pipeline runs it: three
// phases that each share a loop with the synthesis of another sub-frame.
// Every result equals that of the plain lag-by-lag search bit for bit.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "decoder_state.h"
#include "pitch_postfilter.h"

// The part of the excitation that a frame's pitch postfilter reads (the
// frame and the 145 samples before it), widened to double (exactly), so that
// the searches need no conversions: x[pitchWindowStart + i] is sample i of
// the frame.
constexpr int32_t pitchWindowStart = pitchMaxLag + pitchSearchHalfWidth;
struct PitchWindow {
    double x[pitchWindowStart + frameLength];
};

// Fills the window from the frame's excitation (frame[-145 .. 239]).
void widenPitchWindow(PitchWindow* w, const float* frame);

// Correlations kept each way: the seven lags searched and one more, two to a
// register.
constexpr int32_t pitchSums = 2 * pitchSearchHalfWidth + 2;
constexpr int32_t pitchSumRegisters = pitchSums / 2;

// The searches of one sub-frame, in three phases that can each share a loop
// with other work, one step per sample n = 0..59: the correlations of every
// candidate lag (and the sub-frame's energy), then the choice of the best
// lag each way, then the energies of the two chosen segments, then the gain
// rule. Every correlation and energy is one sum in double from 0.0 in the
// order n = 0..59, as dotProduct forms it; a step adds the products of
// sample n to several sums at once, two to a register.
struct PitchSearch {
    const double* x;                                // the sub-frame's first sample in a pitch window
    int32_t firstLag;                               // the smallest lag searched (each way up to firstLag + 6)
    int32_t lastForwardLag;                         // the largest forward lag searched; below firstLag: none
    int32_t forwardBase;                            // lag of forward sum 0 (sums never reach past the frame end)
    __m128d backCorrelation[pitchSumRegisters];     // lag firstLag + 6 - j in element j (one more lag than searched)
    __m128d forwardCorrelation[pitchSumRegisters];  // lag forwardBase + j in element j
    double energy;                                  // of the sub-frame itself
    int32_t backOffset;                             // the chosen candidates: offset (0: none) and correlation
    float backCorrelationBest;
    int32_t forwardOffset;
    float forwardCorrelationBest;
    __m128d chosenEnergies;  // energies of the backward and the forward candidate's segments
};

// Starts the search of sub-frame k; x is the sub-frame's first sample in the
// frame's pitch window, pitchLag its open-loop lag (any value: above
// pitchMaxLag it is searched at pitchMaxLag).
void startPitchSearch(PitchSearch* s, const double* x, int32_t pitchLag, int32_t k);

// The running sums of phase one and where they read, held apart from the
// search so that a loop can keep them in registers.
struct PitchCorrelations {
    __m128d back[pitchSumRegisters];
    __m128d forward[pitchSumRegisters];
    double energy;
    const double* x;         // the sub-frame
    const double* backBase;  // x - (firstLag + 6): the earliest backward segment
    const double* forwardBase;
    bool searchForward;
};

static_assert(pitchSumRegisters == 4, "correlationsOf copies four registers each way");

inline PitchCorrelations correlationsOf(const PitchSearch& s) {
    return PitchCorrelations{
        {s.backCorrelation[0], s.backCorrelation[1], s.backCorrelation[2], s.backCorrelation[3]},
        {s.forwardCorrelation[0], s.forwardCorrelation[1], s.forwardCorrelation[2], s.forwardCorrelation[3]},
        s.energy,
        s.x,
        s.x - (s.firstLag + 2 * pitchSearchHalfWidth),
        s.x + s.forwardBase,
        s.lastForwardLag >= s.firstLag};
}

inline void storeCorrelations(PitchSearch& s, const PitchCorrelations& c) {
    for (int32_t j = 0; j < pitchSumRegisters; ++j) {
        s.backCorrelation[j] = c.back[j];
        s.forwardCorrelation[j] = c.forward[j];
    }
    s.energy = c.energy;
}

// Phase one: adds the products of sample n (in increasing n) to every
// correlation and to the energy.
inline void pitchCorrelationStep(PitchCorrelations& c, int32_t n) {
    const double xn = c.x[n];
    const __m128d broadcast = _mm_set1_pd(xn);
    for (int32_t j = 0; j < pitchSumRegisters; ++j) {
        c.back[j] = _mm_add_pd(c.back[j], _mm_mul_pd(broadcast, _mm_loadu_pd(c.backBase + n + 2 * j)));
    }
    if (c.searchForward) {
        for (int32_t j = 0; j < pitchSumRegisters; ++j) {
            c.forward[j] = _mm_add_pd(c.forward[j], _mm_mul_pd(broadcast, _mm_loadu_pd(c.forwardBase + n + 2 * j)));
        }
    }
    c.energy += xn * xn;
}

// After the 60 correlation steps: the best positive correlation each way (a
// later lag must be strictly greater, so of equal maxima the smallest wins).
void choosePitchLags(PitchSearch& s);

// Phase two: the energies of the two chosen segments (an offset of 0, no
// candidate, gives a sum that is not used), with where they read.
struct PitchEnergies {
    __m128d sums;        // backward segment in element 0, forward in element 1
    const double* back;  // the segments
    const double* forward;
};

inline PitchEnergies energiesOf(const PitchSearch& s) {
    return PitchEnergies{s.chosenEnergies, s.x + s.backOffset, s.x + s.forwardOffset};
}

// Adds sample n of both segments (in increasing n).
inline void pitchEnergyStep(PitchEnergies& e, int32_t n) {
    const __m128d v = _mm_loadh_pd(_mm_load_sd(e.back + n), e.forward + n);
    e.sums = _mm_add_pd(e.sums, _mm_mul_pd(v, v));
}

// After the 60 energy steps: the parameters (the gain rule of pitchPostGains).
PitchPostParams finishPitchSearch(const PitchSearch& s);

// applyPitchPostfilter from the sub-frame in a pitch window.
void applyPitchPostfilter(float* out, const double* x, const PitchPostParams& p);
