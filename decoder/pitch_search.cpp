// The phased lag search of the pitch postfilter and its filtering from the
// pitch window, both in SSE registers.
#include "pitch_search.h"

namespace {

const PitchPostParams neutral{0, 0.0f, 1.0f};

struct Best {
    int32_t offset;  // 0 when no positive correlation was found
    double rounded;  // the best correlation stored in float (0.0 at first), held in double
};

// Takes the candidate at offset if its correlation c is greater than the
// best so far, which is compared as stored, rounded to float. The choice is
// made on the bits, without a jump: which lag wins depends on the signal and
// a jump would often be mispredicted.
void consider(Best& best, double c, int32_t offset) {
    const __m128d candidate = _mm_set_sd(c);
    const __m128d kept = _mm_set_sd(best.rounded);
    const __m128d take = _mm_cmpgt_sd(candidate, kept);
    const __m128d rounded = _mm_cvtss_sd(candidate, _mm_cvtsd_ss(_mm_setzero_ps(), candidate));
    best.rounded = _mm_cvtsd_f64(_mm_or_pd(_mm_and_pd(take, rounded), _mm_andnot_pd(take, kept)));
    const int32_t mask = -static_cast<int32_t>(_mm_cvtsi128_si32(_mm_castpd_si128(take)) != 0);
    best.offset = (offset & mask) | (best.offset & ~mask);
}

void storeSums(const __m128d* registers, double sums[pitchSums]) {
    for (int32_t j = 0; j < pitchSumRegisters; ++j) _mm_storeu_pd(sums + 2 * j, registers[j]);
}

Best bestBackward(const PitchSearch& s) {
    double c[pitchSums];
    storeSums(s.backCorrelation, c);
    Best best{0, 0.0};
    const int32_t last = s.firstLag + 2 * pitchSearchHalfWidth;
    for (int32_t i = s.firstLag; i <= last; ++i) {
        consider(best, c[last - i], -i);
    }
    return best;
}

Best bestForward(const PitchSearch& s) {
    Best best{0, 0.0};
    if (s.lastForwardLag < s.firstLag) {
        return best;
    }
    double c[pitchSums];
    storeSums(s.forwardCorrelation, c);
    for (int32_t i = s.firstLag; i <= s.lastForwardLag; ++i) {
        consider(best, c[i - s.forwardBase], i);
    }
    return best;
}

// Four samples of a window (floats held in double), back to float (exactly).
__m128 floatsOf(const double* x) {
    return _mm_movelh_ps(_mm_cvtpd_ps(_mm_loadu_pd(x)), _mm_cvtpd_ps(_mm_loadu_pd(x + 2)));
}

}  // namespace

void widenPitchWindow(PitchWindow* w, const float* frame) {
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

void startPitchSearch(PitchSearch* s, const double* x, int32_t pitchLag, int32_t k) {
    const int32_t lag = pitchLag < pitchMaxLag ? pitchLag : pitchMaxLag;
    s->x = x;
    s->firstLag = lag - pitchSearchHalfWidth;
    // A forward segment must end within the current frame; the eight
    // forward sums start early enough not to read past it.
    const int32_t lastInFrame = frameLength - subframeLength * (k + 1);
    const int32_t last = lag + pitchSearchHalfWidth;
    s->lastForwardLag = last < lastInFrame ? last : lastInFrame;
    const int32_t latestBase = lastInFrame - (pitchSums - 1);
    s->forwardBase = s->firstLag < latestBase ? s->firstLag : latestBase;
    for (int32_t j = 0; j < pitchSumRegisters; ++j) {
        s->backCorrelation[j] = _mm_setzero_pd();
        s->forwardCorrelation[j] = _mm_setzero_pd();
    }
    s->energy = 0.0;
}

void choosePitchLags(PitchSearch& s) {
    const Best back = bestBackward(s);
    const Best fwd = bestForward(s);
    s.backOffset = back.offset;
    s.backCorrelationBest = static_cast<float>(back.rounded);
    s.forwardOffset = fwd.offset;
    s.forwardCorrelationBest = static_cast<float>(fwd.rounded);
    s.chosenEnergies = _mm_setzero_pd();
}

PitchPostParams finishPitchSearch(const PitchSearch& s) {
    if (s.backOffset == 0 && s.forwardOffset == 0) {
        return neutral;
    }
    double energies[2];
    _mm_storeu_pd(energies, s.chosenEnergies);
    const float backEnergy = static_cast<float>(energies[0]);
    const float fwdEnergy = static_cast<float>(energies[1]);
    bool backward = s.forwardOffset == 0;
    if (s.backOffset != 0 && s.forwardOffset != 0) {
        float backScore = s.backCorrelationBest * s.backCorrelationBest * fwdEnergy;
        float fwdScore = s.forwardCorrelationBest * s.forwardCorrelationBest * backEnergy;
        backward = backScore > fwdScore;
    }
    const float e0 = static_cast<float>(s.energy);
    if (backward) {
        return pitchPostGains(s.backOffset, e0, s.backCorrelationBest, backEnergy);
    }
    return pitchPostGains(s.forwardOffset, e0, s.forwardCorrelationBest, fwdEnergy);
}

// Four samples at a time, each with the two products and the sum of the
// scalar form in single precision.
void applyPitchPostfilter(float* out, const double* x, const PitchPostParams& p) {
    const __m128 scale = _mm_set1_ps(p.scale);
    const __m128 lagGain = _mm_set1_ps(p.lagGain);
    for (int32_t n = 0; n < subframeLength; n += 4) {
        const __m128 own = _mm_mul_ps(floatsOf(x + n), scale);
        const __m128 other = _mm_mul_ps(floatsOf(x + n + p.offset), lagGain);
        _mm_storeu_ps(out + n, _mm_add_ps(own, other));
    }
}
