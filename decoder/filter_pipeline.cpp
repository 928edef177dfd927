// Both filters are recursive: every output waits for the previous one through
// a chain of dependent double additions, so each filter alone keeps the
// processor mostly idle. The track fills that idle time with work that is
// independent of the synthesis chain. Each synthesized sub-frame has one
// loop, one step per sample, that also runs
// - the postfilter of the sub-frame synthesized before (it can start once
//   that sub-frame is complete: its tilt needs the whole sub-frame), whose
//   own chain so overlaps the synthesis chain; the postfilter of a frame's
//   last sub-frame runs during the synthesis of the next frame's first;
// - the pitch postfilter's search of the sub-frame to be synthesized next
//   (of the same frame, or the next frame's first), whose filtered
//   excitation is written when the loop ends.
// The tilt sums of each sub-frame are accumulated as its samples come out of
// the synthesis. Between advances of the track the frame routine prepares
// the next frame, which the processor then overlaps with the steps still in
// flight. Every value is computed exactly as the stages compute it one after
// the other.
#include "filter_pipeline.h"

#include <cstring>

#include "pcm_output.h"
#include "synthesis.h"

namespace {

// Adds sample n of the sub-frame to its tilt sums, in the order of the sums.
inline void addToTiltSums(TiltSums& sums, const double* yd, int32_t n)
{
    sums.energy += yd[n] * yd[n];
    if (n > 0) {
        sums.cross += yd[n - 1] * yd[n];
    }
}

// Steps first..end-1 of the loop of sub-frame k, with the pending postfilter
// and search tasks when present.
template <bool withPost, bool withSearch>
void runSteps(FilterTrack& t, int32_t first, int32_t end)
{
    const FilterJob& job = *t.job;
    const SynthesisCoefficients c = widenSynthesisCoefficients(job.lpcSet[t.k]);
    const float* exc = job.frameExc + subframeLength * t.k;
    float* y = t.state.synthBuf + lpcOrder + subframeLength * t.k;
    double* yd = t.fb.synth + lpcOrder + subframeLength * t.k;
    double lastY = t.fb.lastSynth;
    double lastP = t.fb.lastPost;
    TiltSums sums = t.tilt;
    for (int32_t n = first; n < end; ++n) {
        lastY = synthesisStep(c, lastY, yd + n, exc[n], y + n);
        addToTiltSums(sums, yd, n);
        if (withPost) {
            lastP = postfilterStep(t.post.f, lastP, t.post.pd + n, n, t.post.p + n);
        }
        if (withSearch) {
            pitchSearchStep(t.search.search, n);
        }
    }
    t.fb.lastSynth = lastY;
    t.fb.lastPost = lastP;
    t.tilt = sums;
}

void runSteps(FilterTrack& t, int32_t first, int32_t end)
{
    if (t.posting && t.searching) {
        runSteps<true, true>(t, first, end);
    } else if (t.posting) {
        runSteps<true, false>(t, first, end);
    } else if (t.searching) {
        runSteps<false, true>(t, first, end);
    } else {
        runSteps<false, false>(t, first, end);
    }
}

// The pending postfilter task alone (after the run's last sub-frame).
void postfilterAlone(FilterTrack& t)
{
    double last = t.fb.lastPost;
    for (int32_t m = 0; m < subframeLength; ++m) {
        last = postfilterStep(t.post.f, last, t.post.pd + m, m, t.post.p + m);
    }
    t.fb.lastPost = last;
    t.posting = false;
}

// Sets up the pitch postfilter of sub-frame k of the job (nothing unless it
// is good speech). With the postfilter off the neutral parameters are
// applied at once.
void startSearch(FilterTrack& t, FilterJob* job, int32_t k)
{
    t.searching = false;
    if (job == nullptr || !job->pitchFiltered) {
        return;
    }
    const double* x = job->window.x + pitchWindowStart + subframeLength * k;
    if (job->postfilterOn == 0) {
        applyPitchPostfilter(job->frameExc + subframeLength * k, x, PitchPostParams{0, 0.0f, 1.0f});
        return;
    }
    startPitchSearch(&t.search.search, x, job->pitchLag[k / 2], k);
    t.search.job = job;
    t.search.k = k;
    t.searching = true;
}

// Chooses the parameters of the searched sub-frame and writes its filtered
// excitation.
void finishSearch(FilterTrack& t)
{
    if (!t.searching) {
        return;
    }
    FilterJob& job = *t.search.job;
    const int32_t offset = subframeLength * t.search.k;
    applyPitchPostfilter(job.frameExc + offset, job.window.x + pitchWindowStart + offset,
                         finishPitchSearch(t.search.search));
    t.searching = false;
}

// After the synthesis of sub-frame k: its postfilter is set up (tilt from
// the sums just accumulated) to run during the next loop; with the
// postfilter off the speech is copied instead.
void schedulePostfilter(FilterTrack& t)
{
    const int32_t offset = lpcOrder + subframeLength * t.k;
    const FilterJob& job = *t.job;
    if (job.postfilterOn == 0) {
        std::memcpy(t.state.postBuf + offset, t.state.synthBuf + offset, sizeof(float) * subframeLength);
        return;
    }
    preparePostfilterSubframe(&t.post.f, job.lpcSet[t.k], t.state.synthBuf + offset, t.tilt, *t.state.postTilt);
    t.post.p = t.state.postBuf + offset;
    t.post.pd = t.fb.post + postPoleOrder + subframeLength * t.k;
    t.posting = true;
}

// The postfilter output of the frame before the current one is complete:
// its samples; then the postfilter memory moves on to the current frame.
void finishPreviousFrame(FilterTrack& t)
{
    toPcm(t.samples + frameLength * (t.frame - 1), t.state.postBuf + lpcOrder);
    std::memmove(t.state.postBuf, t.state.postBuf + frameLength, sizeof(float) * lpcOrder);
    std::memmove(t.fb.post, t.fb.post + frameLength, sizeof(double) * postPoleOrder);
}

// The synthesis memory moves on to the next frame.
void nextFrame(FilterTrack& t)
{
    std::memmove(t.state.synthBuf, t.state.synthBuf + frameLength, sizeof(float) * lpcOrder);
    std::memmove(t.fb.synth, t.fb.synth + frameLength, sizeof(double) * lpcOrder);
    t.job = t.next;
    t.next = nullptr;
    ++t.frame;
    t.k = 0;
}

// Opens the loop of sub-frame k: the search of the sub-frame after it.
void openLoop(FilterTrack& t)
{
    startSearch(t, t.k < 3 ? t.job : t.next, (t.k + 1) % 4);
    t.tilt = TiltSums{};
    t.n = 0;
    t.inLoop = true;
}

void closeLoop(FilterTrack& t)
{
    t.posting = false;
    finishSearch(t);
    if (t.k == 0 && t.frame > 0) {
        finishPreviousFrame(t);
    }
    schedulePostfilter(t);
    t.inLoop = false;
    if (t.k < 3) {
        ++t.k;
    } else if (t.next != nullptr) {
        nextFrame(t);
    } else {
        t.k = 4;
    }
}

}  // namespace

void startFilterTrack(FilterTrack* t, const FilterState& state, FilterJob* job, int16_t* samples)
{
    t->state = state;
    t->samples = samples;
    t->frame = 0;
    t->job = job;
    t->next = nullptr;
    t->k = 0;
    t->n = 0;
    t->inLoop = false;
    t->finishing = false;
    t->posting = false;
    t->searching = false;
    for (int32_t i = 0; i < lpcOrder; ++i) t->fb.synth[i] = state.synthBuf[i];
    for (int32_t i = 0; i < postPoleOrder; ++i) t->fb.post[i] = state.postBuf[lpcOrder - postPoleOrder + i];
    t->fb.lastSynth = t->fb.synth[lpcOrder - 1];
    t->fb.lastPost = t->fb.post[postPoleOrder - 1];
    // The first sub-frame's pitch postfilter: no loop before it to search in.
    startSearch(*t, job, 0);
    if (t->searching) {
        for (int32_t n = 0; n < subframeLength; ++n) pitchSearchStep(t->search.search, n);
        finishSearch(*t);
    }
}

void advanceFilterTrack(FilterTrack& t, int32_t steps)
{
    while (steps > 0 && t.k < 4) {
        if (!t.inLoop) {
            if (t.k == 3 && t.next == nullptr && !t.finishing) {
                return;  // the next frame's first search belongs in this loop
            }
            openLoop(t);
        }
        const int32_t end = t.n + steps < subframeLength ? t.n + steps : subframeLength;
        runSteps(t, t.n, end);
        steps -= end - t.n;
        t.n = end;
        if (t.n == subframeLength) {
            closeLoop(t);
        }
    }
}

void queueFilterJob(FilterTrack& t, FilterJob* job)
{
    t.next = job;
}

void finishFilterTrack(FilterTrack& t)
{
    t.finishing = true;
    while (t.k < 4) {
        advanceFilterTrack(t, frameLength);
    }
    if (t.posting) {
        postfilterAlone(t);
    }
    toPcm(t.samples + frameLength * t.frame, t.state.postBuf + lpcOrder);
}

void synthesizeAndPostfilter(float* synthBuf, float* postBuf, const float* frameExc,
                             const float lpcSet[4][lpcOrder], float& postTilt, int32_t postfilterOn)
{
    FilterJob job;
    std::memcpy(job.lpcSet, lpcSet, sizeof job.lpcSet);
    std::memcpy(job.frameExc, frameExc, sizeof job.frameExc);
    job.pitchFiltered = false;
    job.postfilterOn = postfilterOn;
    FilterTrack track;
    int16_t samples[frameLength];
    startFilterTrack(&track, FilterState{synthBuf, postBuf, &postTilt}, &job, samples);
    finishFilterTrack(track);
}
