// Both filters are recursive: every output waits for the previous one through
// a chain of dependent double additions, so each filter alone keeps the
// processor mostly idle. The postfilter of a sub-frame can start as soon as
// the synthesis of that sub-frame is complete (its tilt needs the whole
// sub-frame), so while sub-frame k is synthesized, sub-frame k - 1 is
// postfiltered in the same loop and the two chains of additions overlap; the
// tilt sums of each sub-frame are accumulated as its samples come out of the
// synthesis. Every value is computed exactly as the two stages compute it
// alone.
#include "filter_pipeline.h"

#include <cstring>

#include "formant_postfilter.h"
#include "synthesis.h"

namespace {

// The fed-back filter outputs: double copies with the memories in front, and
// the latest output of each filter, carried from step to step in a register.
struct FilterFeedback {
    double synth[lpcOrder + frameLength];
    double post[postPoleOrder + frameLength];
    double lastSynth;
    double lastPost;
};

// Adds sample n of the sub-frame to its tilt sums, in the order of the sums.
inline void addToTiltSums(TiltSums& sums, const double* yd, int32_t n)
{
    sums.energy += yd[n] * yd[n];
    if (n > 0) {
        sums.cross += yd[n - 1] * yd[n];
    }
}

// Synthesis of sub-frame k alone.
TiltSums synthesizeSubframe(const float lpc[lpcOrder], const float* exc, float* y, FilterFeedback& fb, int32_t k)
{
    const SynthesisCoefficients c = widenSynthesisCoefficients(lpc);
    double* yd = fb.synth + lpcOrder + subframeLength * k;
    double last = fb.lastSynth;
    TiltSums sums;
    for (int32_t n = 0; n < subframeLength; ++n) {
        last = synthesisStep(c, last, yd + n, exc[n], y + n);
        addToTiltSums(sums, yd, n);
    }
    fb.lastSynth = last;
    return sums;
}

// Synthesis of sub-frame k and postfilter of sub-frame k - 1 (its speech s
// ends where y begins), interleaved.
TiltSums synthesizeAndPostfilterSubframes(const float lpc[lpcOrder], const float* exc, float* y,
                                          const PostfilterSubframe& f, const float* s, float* p,
                                          FilterFeedback& fb, int32_t k)
{
    const SynthesisCoefficients c = widenSynthesisCoefficients(lpc);
    double* yd = fb.synth + lpcOrder + subframeLength * k;
    double* pd = fb.post + postPoleOrder + subframeLength * (k - 1);
    double lastY = fb.lastSynth;
    double lastP = fb.lastPost;
    TiltSums sums;
    for (int32_t n = 0; n < subframeLength; ++n) {
        lastY = synthesisStep(c, lastY, yd + n, exc[n], y + n);
        addToTiltSums(sums, yd, n);
        lastP = postfilterStep(f, s, lastP, pd + n, n, p + n);
    }
    fb.lastSynth = lastY;
    fb.lastPost = lastP;
    return sums;
}

// Postfilter of sub-frame k alone.
void postfilterSubframe(const PostfilterSubframe& f, const float* s, float* p, FilterFeedback& fb, int32_t k)
{
    double* pd = fb.post + postPoleOrder + subframeLength * k;
    double last = fb.lastPost;
    for (int32_t m = 0; m < subframeLength; ++m) {
        last = postfilterStep(f, s, last, pd + m, m, p + m);
    }
    fb.lastPost = last;
}

}  // namespace

void synthesizeAndPostfilter(float* synthBuf, float* postBuf, const float* frameExc,
                             const float lpcSet[4][lpcOrder], float& postTilt, int32_t postfilterOn)
{
    FilterFeedback fb;
    for (int32_t i = 0; i < lpcOrder; ++i) fb.synth[i] = synthBuf[i];
    for (int32_t i = 0; i < postPoleOrder; ++i) fb.post[i] = postBuf[lpcOrder - postPoleOrder + i];
    fb.lastSynth = fb.synth[lpcOrder - 1];
    fb.lastPost = fb.post[postPoleOrder - 1];
    float* y = synthBuf + lpcOrder;
    float* p = postBuf + lpcOrder;

    if (postfilterOn == 0) {
        for (int32_t k = 0; k < 4; ++k) {
            const int32_t n = subframeLength * k;
            synthesizeSubframe(lpcSet[k], frameExc + n, y + n, fb, k);
        }
        std::memcpy(p, y, sizeof(float) * frameLength);
        return;
    }

    TiltSums sums = synthesizeSubframe(lpcSet[0], frameExc, y, fb, 0);
    PostfilterSubframe f;
    for (int32_t k = 1; k < 4; ++k) {
        const int32_t n = subframeLength * k;
        const int32_t m = n - subframeLength;
        preparePostfilterSubframe(&f, lpcSet[k - 1], sums, postTilt);
        sums = synthesizeAndPostfilterSubframes(lpcSet[k], frameExc + n, y + n, f, y + m, p + m, fb, k);
    }
    const int32_t m = subframeLength * 3;
    preparePostfilterSubframe(&f, lpcSet[3], sums, postTilt);
    postfilterSubframe(f, y + m, p + m, fb, 3);
}
