// Both filters are recursive: every output waits for the previous one through
// a chain of dependent double additions, so each filter alone keeps the
// processor mostly idle. The pipeline fills that idle time with work that is
// independent of the synthesis chain, in one loop per synthesized sub-frame:
// - the postfilter of the sub-frame synthesized before (it can start once
//   that sub-frame is complete: its tilt needs the whole sub-frame), whose
//   own chain so overlaps the synthesis chain; the postfilter of a frame's
//   last sub-frame runs during the synthesis of the next frame's first;
// - the pitch postfilter's search of the sub-frame to be synthesized next
//   (of the same frame, or the next frame's first), one step per sample; its
//   filtered excitation is written when the loop ends.
// The tilt sums of each sub-frame are accumulated as its samples come out of
// the synthesis. Every value is computed exactly as the stages compute it one
// after the other.
#include "filter_pipeline.h"

#include <cstring>

#include "formant_postfilter.h"
#include "pcm_output.h"
#include "pitch_postfilter.h"
#include "synthesis.h"

namespace {

// Double copies of the frame's filter outputs as fed back (see
// synthesisStep), with the filter memories in front, and the latest output
// of each filter, carried from step to step in a register.
struct FilterFeedback {
    double synth[lpcOrder + frameLength];
    double post[postPoleOrder + frameLength];
    double lastSynth;
    double lastPost;
};

// The postfilter of one sub-frame, run during the synthesis of the next.
struct PostTask {
    PostfilterSubframe f;
    const float* s;  // the sub-frame's speech (in synthBuf)
    float* p;        // its output (in postBuf)
    double* pd;      // its fed-back outputs (in the feedback)
};

// The pitch search of one sub-frame, run during the synthesis of the one before.
struct SearchTask {
    PitchSearch search;
    FilterJob* job;
    int32_t k;
};

struct Pipeline {
    FilterState state;
    FilterFeedback fb;
    PostTask post;
    bool posting;     // post holds a task for the next loop
    SearchTask search;
    bool searching;   // search holds a task for the next loop
    TiltSums tilt;    // of the sub-frame synthesized last
};

// Adds sample n of the sub-frame to its tilt sums, in the order of the sums.
inline void addToTiltSums(TiltSums& sums, const double* yd, int32_t n)
{
    sums.energy += yd[n] * yd[n];
    if (n > 0) {
        sums.cross += yd[n - 1] * yd[n];
    }
}

// Synthesis of sub-frame k of the job, with the pending postfilter and
// search tasks when present.
template <bool withPost, bool withSearch>
void synthesisLoop(Pipeline& pl, const FilterJob& job, int32_t k)
{
    const SynthesisCoefficients c = widenSynthesisCoefficients(job.lpcSet[k]);
    const float* exc = job.frameExc + subframeLength * k;
    float* y = pl.state.synthBuf + lpcOrder + subframeLength * k;
    double* yd = pl.fb.synth + lpcOrder + subframeLength * k;
    double lastY = pl.fb.lastSynth;
    double lastP = pl.fb.lastPost;
    TiltSums sums;
    for (int32_t n = 0; n < subframeLength; ++n) {
        lastY = synthesisStep(c, lastY, yd + n, exc[n], y + n);
        addToTiltSums(sums, yd, n);
        if (withPost) {
            lastP = postfilterStep(pl.post.f, pl.post.s, lastP, pl.post.pd + n, n, pl.post.p + n);
        }
        if (withSearch) {
            pitchSearchStep(pl.search.search, n);
        }
    }
    pl.fb.lastSynth = lastY;
    pl.fb.lastPost = lastP;
    pl.tilt = sums;
}

void synthesizeSubframe(Pipeline& pl, const FilterJob& job, int32_t k)
{
    if (pl.posting && pl.searching) {
        synthesisLoop<true, true>(pl, job, k);
    } else if (pl.posting) {
        synthesisLoop<true, false>(pl, job, k);
    } else if (pl.searching) {
        synthesisLoop<false, true>(pl, job, k);
    } else {
        synthesisLoop<false, false>(pl, job, k);
    }
    pl.posting = false;
}

// The pending postfilter task alone (after the run's last sub-frame).
void postfilterAlone(Pipeline& pl)
{
    double last = pl.fb.lastPost;
    for (int32_t m = 0; m < subframeLength; ++m) {
        last = postfilterStep(pl.post.f, pl.post.s, last, pl.post.pd + m, m, pl.post.p + m);
    }
    pl.fb.lastPost = last;
    pl.posting = false;
}

// Sets up the pitch postfilter of sub-frame k of the job (nothing unless it
// is good speech). With the postfilter off the neutral parameters are
// applied at once.
void startSearch(Pipeline& pl, FilterJob* job, int32_t k)
{
    pl.searching = false;
    if (job == nullptr || job->excitation == nullptr) {
        return;
    }
    const float* x = job->excitation + subframeLength * k;
    if (job->postfilterOn == 0) {
        applyPitchPostfilter(job->frameExc + subframeLength * k, x,
                             findPitchPostParams(x, job->pitchLag[k / 2], k, 0));
        return;
    }
    startPitchSearch(&pl.search.search, x, job->pitchLag[k / 2], k);
    pl.search.job = job;
    pl.search.k = k;
    pl.searching = true;
}

// Chooses the parameters of the searched sub-frame and writes its filtered
// excitation.
void finishSearch(Pipeline& pl)
{
    if (!pl.searching) {
        return;
    }
    const int32_t offset = subframeLength * pl.search.k;
    applyPitchPostfilter(pl.search.job->frameExc + offset, pl.search.job->excitation + offset,
                         finishPitchSearch(pl.search.search));
    pl.searching = false;
}

// The whole pitch postfilter of sub-frame k of the job, now (the first
// sub-frame of a run, which no loop before it searched).
void pitchFilterAlone(Pipeline& pl, FilterJob* job, int32_t k)
{
    startSearch(pl, job, k);
    if (pl.searching) {
        for (int32_t n = 0; n < subframeLength; ++n) {
            pitchSearchStep(pl.search.search, n);
        }
        finishSearch(pl);
    }
}

// After the synthesis of sub-frame k of the job: its postfilter is set up
// (tilt from the sums just accumulated) to run during the next loop; with
// the postfilter off the speech is copied instead.
void schedulePostfilter(Pipeline& pl, const FilterJob& job, int32_t k)
{
    const int32_t offset = lpcOrder + subframeLength * k;
    if (job.postfilterOn == 0) {
        std::memcpy(pl.state.postBuf + offset, pl.state.synthBuf + offset, sizeof(float) * subframeLength);
        return;
    }
    preparePostfilterSubframe(&pl.post.f, job.lpcSet[k], pl.tilt, *pl.state.postTilt);
    pl.post.s = pl.state.synthBuf + offset;
    pl.post.p = pl.state.postBuf + offset;
    pl.post.pd = pl.fb.post + postPoleOrder + subframeLength * k;
    pl.posting = true;
}

// The frame's postfilter output is complete: its samples; then, when another
// frame follows, the postfilter memory moves on to it.
void finishFrame(Pipeline& pl, int16_t* out, bool another)
{
    toPcm(out, pl.state.postBuf + lpcOrder);
    if (another) {
        std::memmove(pl.state.postBuf, pl.state.postBuf + frameLength, sizeof(float) * lpcOrder);
        std::memmove(pl.fb.post, pl.fb.post + frameLength, sizeof(double) * postPoleOrder);
    }
}

// The synthesis memory moves on to the next frame.
void nextSynthesisFrame(Pipeline& pl)
{
    std::memmove(pl.state.synthBuf, pl.state.synthBuf + frameLength, sizeof(float) * lpcOrder);
    std::memmove(pl.fb.synth, pl.fb.synth + frameLength, sizeof(double) * lpcOrder);
}

void loadFeedback(Pipeline& pl)
{
    for (int32_t i = 0; i < lpcOrder; ++i) pl.fb.synth[i] = pl.state.synthBuf[i];
    for (int32_t i = 0; i < postPoleOrder; ++i) pl.fb.post[i] = pl.state.postBuf[lpcOrder - postPoleOrder + i];
    pl.fb.lastSynth = pl.fb.synth[lpcOrder - 1];
    pl.fb.lastPost = pl.fb.post[postPoleOrder - 1];
}

}  // namespace

void runFilterPipeline(const FilterState& state, NextFilterJob next, void* context, int16_t* samples)
{
    FilterJob jobs[2];
    FilterJob* job = &jobs[0];
    if (!next(context, job)) {
        return;
    }
    Pipeline pl;
    pl.state = state;
    pl.posting = false;
    pl.searching = false;
    loadFeedback(pl);
    pitchFilterAlone(pl, job, 0);
    for (int32_t frame = 0;; ++frame) {
        FilterJob* following = nullptr;
        for (int32_t k = 0; k < 4; ++k) {
            if (k == 3) {
                // The frame's excitation is no longer read: the next frame may come.
                following = &jobs[(frame + 1) % 2];
                if (!next(context, following)) following = nullptr;
            }
            startSearch(pl, k < 3 ? job : following, (k + 1) % 4);
            synthesizeSubframe(pl, *job, k);
            finishSearch(pl);
            if (k == 0 && frame > 0) {
                finishFrame(pl, samples + frameLength * (frame - 1), true);
            }
            schedulePostfilter(pl, *job, k);
        }
        if (following == nullptr) {
            if (pl.posting) postfilterAlone(pl);
            finishFrame(pl, samples + frameLength * frame, false);
            return;
        }
        nextSynthesisFrame(pl);
        job = following;
    }
}

namespace {

// A run of one ready job.
struct SingleJob {
    const float* frameExc;
    const float (*lpcSet)[lpcOrder];
    int32_t postfilterOn;
    bool given;
};

bool nextSingleJob(void* context, FilterJob* job)
{
    SingleJob& single = *static_cast<SingleJob*>(context);
    if (single.given) {
        return false;
    }
    std::memcpy(job->lpcSet, single.lpcSet, sizeof job->lpcSet);
    std::memcpy(job->frameExc, single.frameExc, sizeof job->frameExc);
    job->excitation = nullptr;
    job->postfilterOn = single.postfilterOn;
    single.given = true;
    return true;
}

}  // namespace

void synthesizeAndPostfilter(float* synthBuf, float* postBuf, const float* frameExc,
                             const float lpcSet[4][lpcOrder], float& postTilt, int32_t postfilterOn)
{
    SingleJob single{frameExc, lpcSet, postfilterOn, false};
    int16_t samples[frameLength];
    runFilterPipeline(FilterState{synthBuf, postBuf, &postTilt}, nextSingleJob, &single, samples);
}
