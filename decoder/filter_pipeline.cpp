// Both filters are recursive: every output waits for the previous one through
// a chain of dependent double additions, so each filter alone keeps the
// processor mostly idle. The track fills that time with work that does not
// depend on the synthesis chain. Each synthesized sub-frame has one loop, one
// step per sample, that also runs, when there is such work:
// - the postfilter of the sub-frame synthesized before (it can start once
//   that sub-frame is complete: its tilt needs the whole sub-frame), whose
//   own chain so overlaps the synthesis chain; the postfilter of a frame's
//   last sub-frame runs during the synthesis of the next frame's first, and
//   the frame's samples are converted in the same loop;
// - the pitch postfilter's search of a later sub-frame, in three phases: the
//   correlations of every candidate lag three sub-frames ahead, the energies
//   of the two chosen segments two ahead; the gain rule and the filtered
//   excitation follow before the loop of the sub-frame before it, so no loop
//   waits for them. The searches of a frame's first sub-frames run in the
//   loops of the frame before.
// The tilt sums of each sub-frame are accumulated as its samples come out of
// the synthesis. Every value is computed exactly as the stages compute it one
// after the other.
#include "filter_pipeline.h"

#include <array>
#include <cstring>
#include <utility>

#include "pcm_output.h"
#include "synthesis.h"

namespace {

// Adds sample n of the sub-frame (y, the one before it: previous) to its
// tilt sums, in the order of the sums.
inline void addToTiltSums(TiltSums& sums, double previous, double y, int32_t n)
{
    sums.energy += y * y;
    if (n > 0) {
        sums.cross += previous * y;
    }
}

constexpr int32_t earlyOutputSteps = 45;  // 45 steps of four samples: all but the last sub-frame

// The loop's work besides the synthesis, as bits of the template argument.
enum SideWork {
    withPost = 1,       // the postfilter of the sub-frame before
    withOutput = 2,     // samples of the frame before, four per step, the first 180 (its
                        // last sub-frame is being postfiltered in this loop)
    withCorrelate = 4,  // the correlations of the pitch search of the sub-frame three ahead
    withMeasure = 8,    // the energies of the pitch search of the sub-frame two ahead
};

// The loop of sub-frame k with the side work `work`, one step per sample.
template <int work>
void runLoopWith(FilterTrack& t)
{
    const FilterJob& job = *t.job;
    const SynthesisCoefficients c = widenSynthesisCoefficients(job.lpcSet[t.k]);
    const float* exc = job.frameExc + subframeLength * t.k;
    float* y = t.state.synthBuf + lpcOrder + subframeLength * t.k;
    double* yd = t.fb.synth + lpcOrder + subframeLength * t.k;
    int16_t* previousOut = t.samples + frameLength * (t.frame - 1);
    const float* previousPost = t.state.postBuf + lpcOrder;
    PitchSearch& correlate = t.search[t.correlating].search;
    PitchSearch& measure = t.search[t.measuring].search;
    // A search that this loop does not advance may not have been started:
    // its read pointers are formed only when the loop uses them.
    PitchCorrelations correlations = (work & withCorrelate) ? correlationsOf(correlate) : PitchCorrelations{};
    PitchEnergies energies = (work & withMeasure) ? energiesOf(measure) : PitchEnergies{};
    double lastY = t.fb.lastSynth;
    double lastP = t.fb.lastPost;
    TiltSums sums;
    for (int32_t n = 0; n < subframeLength; ++n) {
        const double previousY = lastY;
        lastY = synthesisStep(c, lastY, yd + n, exc[n], y + n);
        addToTiltSums(sums, previousY, lastY, n);
        if (work & withPost) {
            lastP = postfilterStep(t.post.f, lastP, t.post.pd + n, n, t.post.p + n);
        }
        if (work & withCorrelate) {
            pitchCorrelationStep(correlations, n);
        }
        if (work & withMeasure) {
            pitchEnergyStep(energies, n);
        }
        if ((work & withOutput) && n < earlyOutputSteps) {
            toPcmFour(previousOut + 4 * n, previousPost + 4 * n);
        }
    }
    t.fb.lastSynth = lastY;
    t.fb.lastPost = lastP;
    t.tilt = sums;
    if (work & withCorrelate) {
        storeCorrelations(correlate, correlations);
    }
    if (work & withMeasure) {
        measure.chosenEnergies = energies.sums;
    }
}

using LoopFunction = void (*)(FilterTrack&);

template <int... works>
constexpr std::array<LoopFunction, sizeof...(works)> loopFunctions(std::integer_sequence<int, works...>)
{
    return {&runLoopWith<works>...};
}

// One instance of the loop per combination of side work.
constexpr std::array<LoopFunction, 16> loopTable = loopFunctions(std::make_integer_sequence<int, 16>());

// The side work of the loop of sub-frame k; the output of the frame before
// goes with its last postfilter sub-frame.
int sideWorkOf(const FilterTrack& t)
{
    int work = 0;
    if (t.posting) work |= withPost;
    if (t.posting && t.k == 0 && t.frame > 0) work |= withOutput;
    if (t.search[t.correlating].active) work |= withCorrelate;
    if (t.search[t.measuring].active) work |= withMeasure;
    return work;
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

// Sets up the pitch postfilter of sub-frame k of the job in task (nothing
// unless it is good speech). With the postfilter off the neutral parameters
// are applied at once.
void startSearch(SearchTask& task, FilterJob* job, int32_t k)
{
    task.active = false;
    if (job == nullptr || !job->pitchFiltered) {
        return;
    }
    const double* x = job->window.x + pitchWindowStart + subframeLength * k;
    if (job->postfilterOn == 0) {
        applyPitchPostfilter(job->frameExc + subframeLength * k, x, PitchPostParams{0, 0.0f, 1.0f});
        return;
    }
    startPitchSearch(&task.search, x, job->pitchLag[k / 2], k);
    task.job = job;
    task.k = k;
    task.active = true;
}

void chooseLags(SearchTask& task)
{
    if (task.active) {
        choosePitchLags(task.search);
    }
}

// The gain rule for the searched sub-frame, and its filtered excitation.
void finishSearch(SearchTask& task)
{
    if (!task.active) {
        return;
    }
    FilterJob& job = *task.job;
    const int32_t offset = subframeLength * task.k;
    applyPitchPostfilter(job.frameExc + offset, job.window.x + pitchWindowStart + offset,
                         finishPitchSearch(task.search));
    task.active = false;
}

// The phases of a search without a loop to share (at the start of a run).
void correlateAlone(SearchTask& task, FilterJob* job, int32_t k)
{
    startSearch(task, job, k);
    if (task.active) {
        PitchCorrelations c = correlationsOf(task.search);
        for (int32_t n = 0; n < subframeLength; ++n) pitchCorrelationStep(c, n);
        storeCorrelations(task.search, c);
    }
}

void measureAlone(SearchTask& task)
{
    chooseLags(task);
    if (task.active) {
        PitchEnergies e = energiesOf(task.search);
        for (int32_t n = 0; n < subframeLength; ++n) pitchEnergyStep(e, n);
        task.search.chosenEnergies = e.sums;
    }
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
// its samples not yet converted in the loop (first: how many were); then
// the postfilter memory moves on to the current frame.
void finishPreviousFrame(FilterTrack& t, int32_t first)
{
    int16_t* out = t.samples + frameLength * (t.frame - 1);
    for (int32_t n = first; n < frameLength; n += 4) {
        toPcmFour(out + n, t.state.postBuf + lpcOrder + n);
    }
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

// Before the loop of sub-frame k: the search of the sub-frame after it is
// finished, the one two ahead goes on to its energies and the one three
// ahead starts.
void moveSearchesOn(FilterTrack& t)
{
    const int32_t freed = t.measuring;
    finishSearch(t.search[freed]);
    t.measuring = t.correlating;
    chooseLags(t.search[t.measuring]);
    t.correlating = freed;
    if (t.k == 0) {
        startSearch(t.search[freed], t.job, 3);
    } else {
        startSearch(t.search[freed], t.next, t.k - 1);
    }
}

// Sub-frame k with everything around its loop.
void runSubframe(FilterTrack& t)
{
    moveSearchesOn(t);
    const int work = sideWorkOf(t);
    loopTable[static_cast<size_t>(work)](t);
    t.posting = false;
    if (t.k == 0 && t.frame > 0) {
        finishPreviousFrame(t, (work & withOutput) != 0 ? 4 * earlyOutputSteps : 0);
    }
    schedulePostfilter(t);
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
    t->finishing = false;
    t->posting = false;
    for (int32_t i = 0; i < lpcOrder; ++i) t->fb.synth[i] = state.synthBuf[i];
    for (int32_t i = 0; i < postPoleOrder; ++i) t->fb.post[i] = state.postBuf[lpcOrder - postPoleOrder + i];
    t->fb.lastSynth = t->fb.synth[lpcOrder - 1];
    t->fb.lastPost = t->fb.post[postPoleOrder - 1];
    // The searches of the first three sub-frames have no loops before them.
    correlateAlone(t->search[0], job, 0);
    measureAlone(t->search[0]);
    finishSearch(t->search[0]);
    correlateAlone(t->search[1], job, 1);
    measureAlone(t->search[1]);
    correlateAlone(t->search[2], job, 2);
    t->measuring = 1;
    t->correlating = 2;
}

void advanceFilterTrack(FilterTrack& t)
{
    while (t.k < 4) {
        if (t.k == 1 && t.next == nullptr && !t.finishing) {
            return;  // the next frame's first search starts in this loop
        }
        runSubframe(t);
    }
}

void queueFilterJob(FilterTrack& t, FilterJob* job)
{
    t.next = job;
}

void finishFilterTrack(FilterTrack& t)
{
    t.finishing = true;
    advanceFilterTrack(t);
    if (t.posting) {
        postfilterAlone(t);
    }
    toPcm(t.samples + frameLength * t.frame, t.state.postBuf + lpcOrder);
}
