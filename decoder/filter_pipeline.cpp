// Both filters are recursive: every output waits for the previous one through
// a chain of dependent double additions, so each filter alone keeps the
// processor mostly idle. The postfilter of a sub-frame can start as soon as
// the synthesis of that sub-frame is complete (its tilt needs the whole
// sub-frame), so while sub-frame k is synthesized, sub-frame k - 1 is
// postfiltered in the same loop and the two chains of additions overlap.
// Every sample is computed exactly as the two stages compute it alone.
#include "filter_pipeline.h"

#include <cstring>

#include "formant_postfilter.h"
#include "synthesis.h"

namespace {

// Double copies (exact) of the filter outputs with their memories in front.
struct FilterHistories {
    double synth[lpcOrder + frameLength];
    double post[postPoleOrder + frameLength];
};

void synthesizeSubframe(const float lpc[lpcOrder], const float* exc, float* y, double* yd)
{
    const SynthesisCoefficients c = widenSynthesisCoefficients(lpc);
    for (int32_t n = 0; n < subframeLength; ++n) {
        y[n] = synthesisStep(c, yd + n, exc[n]);
    }
}

void postfilterSubframe(const PostfilterSubframe& f, float* p, double* pd)
{
    for (int32_t m = 0; m < subframeLength; ++m) {
        p[m] = postfilterStep(f, pd + m, m);
    }
}

// Synthesis of one sub-frame and postfilter of the one before, interleaved.
void synthesizeAndPostfilterSubframes(const float lpc[lpcOrder], const float* exc, float* y, double* yd,
                                      const PostfilterSubframe& f, float* p, double* pd)
{
    const SynthesisCoefficients c = widenSynthesisCoefficients(lpc);
    for (int32_t n = 0; n < subframeLength; ++n) {
        y[n] = synthesisStep(c, yd + n, exc[n]);
        p[n] = postfilterStep(f, pd + n, n);
    }
}

}  // namespace

void synthesizeAndPostfilter(float* synthBuf, float* postBuf, const float* frameExc,
                             const float lpcSet[4][lpcOrder], float& postTilt, int32_t postfilterOn)
{
    FilterHistories h;
    for (int32_t i = 0; i < lpcOrder; ++i) h.synth[i] = synthBuf[i];
    for (int32_t i = 0; i < postPoleOrder; ++i) h.post[i] = postBuf[lpcOrder - postPoleOrder + i];
    float* y = synthBuf + lpcOrder;
    float* p = postBuf + lpcOrder;
    double* yd = h.synth + lpcOrder;
    double* pd = h.post + postPoleOrder;

    if (postfilterOn == 0) {
        for (int32_t k = 0; k < 4; ++k) {
            const int32_t n = subframeLength * k;
            synthesizeSubframe(lpcSet[k], frameExc + n, y + n, yd + n);
        }
        std::memcpy(p, y, sizeof(float) * frameLength);
        return;
    }

    synthesizeSubframe(lpcSet[0], frameExc, y, yd);
    PostfilterSubframe f;
    for (int32_t k = 1; k < 4; ++k) {
        const int32_t n = subframeLength * k;
        const int32_t m = n - subframeLength;
        preparePostfilterSubframe(&f, lpcSet[k - 1], y + m, postTilt);
        synthesizeAndPostfilterSubframes(lpcSet[k], frameExc + n, y + n, yd + n, f, p + m, pd + m);
    }
    const int32_t m = subframeLength * 3;
    preparePostfilterSubframe(&f, lpcSet[3], y + m, postTilt);
    postfilterSubframe(f, p + m, pd + m);
}
