// Both filters are recursive: every output waits for the previous one through
// a chain of dependent double additions, so each filter alone keeps the
// processor mostly idle. The pipeline fills that idle time with work that is
// independent of the chain:
// - the postfilter of a sub-frame can start as soon as the synthesis of that
//   sub-frame is complete (its tilt needs the whole sub-frame), so while
//   sub-frame k is synthesized, sub-frame k - 1 is postfiltered in the same
//   loop and the two chains overlap; the tilt sums of each sub-frame are
//   accumulated as its samples come out of the synthesis;
// - for a good speech frame, the pitch postfilter's search for sub-frame
//   k + 1 runs in the same loop as the synthesis of sub-frame k, one step
//   per sample; the filtered excitation of sub-frame k + 1 is written just
//   before its synthesis starts.
// Every value is computed exactly as the stages compute it one after the
// other.
#include "filter_pipeline.h"

#include <cstring>

#include "formant_postfilter.h"
#include "pitch_postfilter.h"
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

// Synthesis input that is ready before the pipeline starts.
struct ReadyInput {
    void prepare(int32_t) {}
    void step(int32_t) {}
};

// Synthesis input made by the pitch postfilter: prepare(k) filters the
// excitation of sub-frame k into frameExc and starts the search of sub-frame
// k + 1, whose steps then run during the synthesis of sub-frame k.
struct PitchFilteredInput {
    const float* excitation;  // the frame's first excitation sample
    const int32_t* pitchLag;  // open-loop lags of sub-frames 0-1 and 2-3
    int32_t postfilterOn;
    float* frameExc;          // receives the filtered excitation
    PitchSearch search;       // of the sub-frame after the one being synthesized
    bool searching;

    void prepare(int32_t k)
    {
        const float* x = excitation + subframeLength * k;
        const PitchPostParams params = (k > 0 && postfilterOn != 0)
                                           ? finishPitchSearch(search)
                                           : findPitchPostParams(x, pitchLag[k / 2], k, postfilterOn);
        applyPitchPostfilter(frameExc + subframeLength * k, x, params);
        searching = postfilterOn != 0 && k + 1 < 4;
        if (searching) {
            startPitchSearch(&search, x + subframeLength, pitchLag[(k + 1) / 2], k + 1);
        }
    }
    void step(int32_t n)
    {
        if (searching) pitchSearchStep(search, n);
    }
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
template <class Input>
TiltSums synthesizeSubframe(const float lpc[lpcOrder], const float* exc, float* y, FilterFeedback& fb, int32_t k,
                            Input& input)
{
    const SynthesisCoefficients c = widenSynthesisCoefficients(lpc);
    double* yd = fb.synth + lpcOrder + subframeLength * k;
    double last = fb.lastSynth;
    TiltSums sums;
    for (int32_t n = 0; n < subframeLength; ++n) {
        last = synthesisStep(c, last, yd + n, exc[n], y + n);
        addToTiltSums(sums, yd, n);
        input.step(n);
    }
    fb.lastSynth = last;
    return sums;
}

// Synthesis of sub-frame k and postfilter of sub-frame k - 1 (its speech s
// ends where y begins), interleaved.
template <class Input>
TiltSums synthesizeAndPostfilterSubframes(const float lpc[lpcOrder], const float* exc, float* y,
                                          const PostfilterSubframe& f, const float* s, float* p,
                                          FilterFeedback& fb, int32_t k, Input& input)
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
        input.step(n);
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

template <class Input>
void runPipeline(float* synthBuf, float* postBuf, const float* frameExc, const float lpcSet[4][lpcOrder],
                 float& postTilt, int32_t postfilterOn, Input& input)
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
            input.prepare(k);
            synthesizeSubframe(lpcSet[k], frameExc + n, y + n, fb, k, input);
        }
        std::memcpy(p, y, sizeof(float) * frameLength);
        return;
    }

    input.prepare(0);
    TiltSums sums = synthesizeSubframe(lpcSet[0], frameExc, y, fb, 0, input);
    PostfilterSubframe f;
    for (int32_t k = 1; k < 4; ++k) {
        const int32_t n = subframeLength * k;
        const int32_t m = n - subframeLength;
        input.prepare(k);
        preparePostfilterSubframe(&f, lpcSet[k - 1], sums, postTilt);
        sums = synthesizeAndPostfilterSubframes(lpcSet[k], frameExc + n, y + n, f, y + m, p + m, fb, k, input);
    }
    const int32_t m = subframeLength * 3;
    preparePostfilterSubframe(&f, lpcSet[3], sums, postTilt);
    postfilterSubframe(f, y + m, p + m, fb, 3);
}

}  // namespace

void synthesizeAndPostfilter(float* synthBuf, float* postBuf, const float* frameExc,
                             const float lpcSet[4][lpcOrder], float& postTilt, int32_t postfilterOn)
{
    ReadyInput input;
    runPipeline(synthBuf, postBuf, frameExc, lpcSet, postTilt, postfilterOn, input);
}

void pitchPostfilterAndSynthesize(float* synthBuf, float* postBuf, float* frameExc, const float* excitation,
                                  const int32_t pitchLag[2], const float lpcSet[4][lpcOrder], float& postTilt,
                                  int32_t postfilterOn)
{
    PitchFilteredInput input{excitation, pitchLag, postfilterOn, frameExc, {}, false};
    runPipeline(synthBuf, postBuf, frameExc, lpcSet, postTilt, postfilterOn, input);
}
