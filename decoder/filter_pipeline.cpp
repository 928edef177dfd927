// Both filters are recursive: every output waits for the previous one through
// a chain of dependent double additions, so each filter alone keeps the
// processor mostly idle. The track fills that time with work that does not
// depend on the synthesis chain: each synthesized sub-frame has one loop, one
// step per sample, that also runs the postfilter of the sub-frame before
// (whose own chain so overlaps the synthesis chain), phases of the pitch
// searches of later sub-frames and the conversion of finished samples. The
// schedule, for the loop of sub-frame k of frame f (f:k):
//
//   loop  synthesis  postfilter  PCM                energies  correlations
//   0     f:0        f-1:3       f-1 samples 0-179  f:2       f:3
//   1     f:1        f:0         -                  f:3       f+1:0
//   2     f:2        f:1         -                  f+1:0     f+1:1
//   3     f:3        f:2         -                  f+1:1     f+1:2
//
// - Before loop k the search serving sub-frame k+1 applies its gain rule and
//   writes that sub-frame's filtered excitation (the next loop's input), the
//   one serving k+2 chooses its lags, the one serving k+3 starts. search[k]
//   serves sub-frame k of f, then of f+1.
// - After loop k the postfilter of f:k is set up (its tilt needs the whole
//   sub-frame), to run in the next loop.
// - After loop 0 the frame before is finished: its samples 180-239 are
//   converted and synthBuf and postBuf move on to frame f together.
// - The double copies the filters feed back move on as each filter crosses
//   into the next frame: the synthesis one before loop 0, the postfilter one
//   after it.
// - Sub-frames past 3 are those of frame f+1 (k+1 of loop 3 is f+1:0).
// - The run's first frame runs the searches of its sub-frames 0-2 alone
//   before its loop 0; after the last frame's loop 3 its last sub-frame is
//   postfiltered alone and all its samples are converted.
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

constexpr int32_t pcmGroup = 4;  // samples per toPcmFour
// Samples of the frame before converted in loop 0, one group per step: all
// but its last sub-frame, which that loop postfilters.
constexpr int32_t earlySamples = frameLength - subframeLength;
constexpr int32_t earlyOutputSteps = earlySamples / pcmGroup;
static_assert(earlySamples % pcmGroup == 0 && earlyOutputSteps <= subframeLength,
              "the early samples fit the steps of one loop");

// The sub-frame a search or postfilter of loop k serves, `ahead` sub-frames on
// (sub-frames past 3 belong to the next frame, before 0 to the frame before).
constexpr int32_t servedSubframe(int32_t k, int32_t ahead) { return (k + ahead + 4) % 4; }

// Adds sample n of the sub-frame (y, the one before it: previous) to its
// tilt sums, in the order of the sums.
inline void addToTiltSums(TiltSums& sums, double previous, double y, int32_t n) {
    sums.energy += y * y;
    if (n > 0) {
        sums.cross += previous * y;
    }
}

// The loop's work besides the synthesis, as bits of the template argument.
enum SideWork {
    withPost = 1,       // the postfilter of the sub-frame before
    withOutput = 2,     // the early samples of the frame before
    withCorrelate = 4,  // the correlations of the search three sub-frames ahead
    withMeasure = 8,    // the energies of the search two sub-frames ahead
};

// The loop of sub-frame k with the side work `work`, one step per sample.
// A search or an output that the loop does not advance may not exist: its
// read pointers are formed only when the loop uses them.
template <int work>
void runLoopWith(FilterTrack& t, int32_t k) {
    const FilterJob& job = *t.job;
    const SynthesisCoefficients c = widenSynthesisCoefficients(job.lpcSet[k]);
    const float* exc = job.frameExc + subframeLength * k;
    float* y = t.memories.synthBuf + lpcOrder + subframeLength * k;
    double* yd = t.synthFed + lpcOrder + subframeLength * k;
    const int32_t postK = servedSubframe(k, -1);
    float* p = t.memories.postBuf + lpcOrder + subframeLength * postK;
    double* pd = t.postFed + postPoleOrder + subframeLength * postK;
    PitchSearch& correlate = t.search[servedSubframe(k, 3)].search;
    PitchSearch& measure = t.search[servedSubframe(k, 2)].search;
    PitchCorrelations correlations = (work & withCorrelate) ? correlationsOf(correlate) : PitchCorrelations{};
    PitchEnergies energies = (work & withMeasure) ? energiesOf(measure) : PitchEnergies{};
    int16_t* const previousOut = t.previousSamples;
    const float* const previousPost = t.memories.postBuf + lpcOrder;
    double lastY = t.lastSynth;
    double lastP = t.lastPost;
    TiltSums sums;
    for (int32_t n = 0; n < subframeLength; ++n) {
        const double previousY = lastY;
        lastY = synthesisStep(c, lastY, yd + n, exc[n], y + n);
        addToTiltSums(sums, previousY, lastY, n);
        if (work & withPost) {
            lastP = postfilterStep(t.post, lastP, pd + n, n, p + n);
        }
        if (work & withCorrelate) {
            pitchCorrelationStep(correlations, n);
        }
        if (work & withMeasure) {
            pitchEnergyStep(energies, n);
        }
        if ((work & withOutput) && n < earlyOutputSteps) {
            toPcmFour(previousOut + pcmGroup * n, previousPost + pcmGroup * n);
        }
    }
    t.lastSynth = lastY;
    t.lastPost = lastP;
    t.tilt = sums;
    if (work & withCorrelate) {
        storeCorrelations(correlate, correlations);
    }
    if (work & withMeasure) {
        measure.chosenEnergies = energies.sums;
    }
}

using LoopFunction = void (*)(FilterTrack&, int32_t);

template <int... works>
constexpr std::array<LoopFunction, sizeof...(works)> loopFunctions(std::integer_sequence<int, works...>) {
    return {&runLoopWith<works>...};
}

// One instance of the loop per combination of side work.
constexpr std::array<LoopFunction, 16> loopTable = loopFunctions(std::make_integer_sequence<int, 16>());

// The side work of the loop of sub-frame k; the early samples of the frame
// before go with its last postfilter sub-frame.
int sideWorkOf(const FilterTrack& t, int32_t k) {
    int work = 0;
    if (t.postPending) work |= withPost;
    if (t.postPending && k == 0) work |= withOutput;
    if (t.search[servedSubframe(k, 3)].job != nullptr) work |= withCorrelate;
    if (t.search[servedSubframe(k, 2)].job != nullptr) work |= withMeasure;
    return work;
}

// Sets up the search of sub-frame k of job in slot (nothing unless it is
// good speech). With the postfilter off the neutral parameters are applied
// at once.
void startSearch(SearchSlot& slot, FilterJob* job, int32_t k) {
    slot.job = nullptr;
    if (job == nullptr || !job->pitchFiltered) {
        return;
    }
    const double* x = job->window.x + pitchWindowStart + subframeLength * k;
    if (job->postfilterOn == 0) {
        applyPitchPostfilter(job->frameExc + subframeLength * k, x, PitchPostParams{0, 0.0f, 1.0f});
        return;
    }
    startPitchSearch(&slot.search, x, job->pitchLag[k / 2], k);
    slot.job = job;
}

void chooseLags(SearchSlot& slot) {
    if (slot.job != nullptr) {
        choosePitchLags(slot.search);
    }
}

// The gain rule for sub-frame k of the slot's frame, and its filtered
// excitation.
void finishSearch(SearchSlot& slot, int32_t k) {
    if (slot.job == nullptr) {
        return;
    }
    const int32_t offset = subframeLength * k;
    applyPitchPostfilter(slot.job->frameExc + offset, slot.job->window.x + pitchWindowStart + offset,
                         finishPitchSearch(slot.search));
    slot.job = nullptr;
}

// The phases of a search without a loop to share (at the start of a run).
void correlateAlone(SearchSlot& slot, FilterJob* job, int32_t k) {
    startSearch(slot, job, k);
    if (slot.job != nullptr) {
        PitchCorrelations c = correlationsOf(slot.search);
        for (int32_t n = 0; n < subframeLength; ++n) pitchCorrelationStep(c, n);
        storeCorrelations(slot.search, c);
    }
}

void measureAlone(SearchSlot& slot) {
    chooseLags(slot);
    if (slot.job != nullptr) {
        PitchEnergies e = energiesOf(slot.search);
        for (int32_t n = 0; n < subframeLength; ++n) pitchEnergyStep(e, n);
        slot.search.chosenEnergies = e.sums;
    }
}

// Before loop k (see the schedule).
void moveSearchesOn(FilterTrack& t, int32_t k) {
    finishSearch(t.search[servedSubframe(k, 1)], servedSubframe(k, 1));
    chooseLags(t.search[servedSubframe(k, 2)]);
    FilterJob* thirdAhead = k + 3 < 4 ? t.job : t.next;
    startSearch(t.search[servedSubframe(k, 3)], thirdAhead, servedSubframe(k, 3));
}

// After the synthesis of sub-frame k: its postfilter is set up (tilt from
// the sums just accumulated) to run during the next loop; with the
// postfilter off the speech is copied instead.
void schedulePostfilter(FilterTrack& t, int32_t k) {
    const int32_t offset = lpcOrder + subframeLength * k;
    const FilterJob& job = *t.job;
    if (job.postfilterOn == 0) {
        std::memcpy(t.memories.postBuf + offset, t.memories.synthBuf + offset, sizeof(float) * subframeLength);
        return;
    }
    preparePostfilterSubframe(&t.post, job.lpcSet[k], t.memories.synthBuf + offset, t.tilt, *t.memories.postTilt);
    t.postPending = true;
}

// The postfilter of the run's last sub-frame, with no synthesis to share.
void postfilterAlone(FilterTrack& t) {
    const int32_t offset = subframeLength * 3;
    double last = t.lastPost;
    for (int32_t m = 0; m < subframeLength; ++m) {
        last = postfilterStep(t.post, last, t.postFed + postPoleOrder + offset + m, m,
                              t.memories.postBuf + lpcOrder + offset + m);
    }
    t.lastPost = last;
    t.postPending = false;
}

// Both memories of the decoder state move on past a finished frame.
void moveMemoriesOn(FilterTrack& t) {
    std::memmove(t.memories.synthBuf, t.memories.synthBuf + frameLength, sizeof(float) * lpcOrder);
    std::memmove(t.memories.postBuf, t.memories.postBuf + frameLength, sizeof(float) * lpcOrder);
}

// The frame before the current one is postfiltered to its end: its samples
// from `first` on are converted, and it is finished.
void finishPreviousFrame(FilterTrack& t, int32_t first) {
    for (int32_t n = first; n < frameLength; n += pcmGroup) {
        toPcmFour(t.previousSamples + n, t.memories.postBuf + lpcOrder + n);
    }
    std::memmove(t.postFed, t.postFed + frameLength, sizeof(double) * postPoleOrder);
    moveMemoriesOn(t);
    t.previousSamples = nullptr;
}

// Sub-frame k with everything around its loop.
void runSubframe(FilterTrack& t, int32_t k) {
    moveSearchesOn(t, k);
    const int work = sideWorkOf(t, k);
    loopTable[static_cast<size_t>(work)](t, k);
    t.postPending = false;
    if (t.previousSamples != nullptr) {
        finishPreviousFrame(t, (work & withOutput) != 0 ? earlySamples : 0);
    }
    schedulePostfilter(t, k);
}

// The synthesis crosses into the next frame.
void nextFrame(FilterTrack& t) {
    std::memmove(t.synthFed, t.synthFed + frameLength, sizeof(double) * lpcOrder);
    t.previousSamples = t.samples;
    t.samples += frameLength;
    t.job = t.next;
    t.next = nullptr;
}

// The searches that the loops before the run's first would have run.
void searchFirstSubframes(FilterTrack& t) {
    correlateAlone(t.search[0], t.job, 0);
    measureAlone(t.search[0]);
    finishSearch(t.search[0], 0);
    correlateAlone(t.search[1], t.job, 1);
    measureAlone(t.search[1]);
    correlateAlone(t.search[2], t.job, 2);
}

}  // namespace

void startFilterTrack(FilterTrack* t, const FilterMemories& memories, int16_t* samples) {
    t->memories = memories;
    t->samples = samples;
    t->previousSamples = nullptr;
    t->job = nullptr;
    t->next = nullptr;
    for (int32_t i = 0; i < lpcOrder; ++i) t->synthFed[i] = memories.synthBuf[i];
    for (int32_t i = 0; i < postPoleOrder; ++i) t->postFed[i] = memories.postBuf[lpcOrder - postPoleOrder + i];
    t->lastSynth = t->synthFed[lpcOrder - 1];
    t->lastPost = t->postFed[postPoleOrder - 1];
    t->postPending = false;
    for (SearchSlot& slot : t->search) slot.job = nullptr;
}

void addFilterJob(FilterTrack& t, FilterJob* job) {
    if (t.job == nullptr) {
        t.job = job;
        searchFirstSubframes(t);
    } else {
        t.next = job;
        for (int32_t k = 1; k < 4; ++k) runSubframe(t, k);
        nextFrame(t);
    }
    runSubframe(t, 0);
}

void finishFilterTrack(FilterTrack& t) {
    for (int32_t k = 1; k < 4; ++k) runSubframe(t, k);
    if (t.postPending) {
        postfilterAlone(t);
    }
    toPcm(t.samples, t.memories.postBuf + lpcOrder);
    moveMemoriesOn(t);
}
