// The last stages of the frame routine for a run of frames: pitch
// postfilter, synthesis filter, formant postfilter and conversion to
// samples, as a track of loops, one per synthesized sub-frame, that
// continues from one frame into the next.
#pragma once

#include "decoder_state.h"
#include "formant_postfilter.h"
#include "pitch_postfilter.h"

// What the filter stages need of one frame; the frame routine makes it.
struct FilterJob {
    float lpcSet[4][lpcOrder];    // one LPC set per sub-frame
    float frameExc[frameLength];  // synthesis input; for good speech written by the pitch postfilter
    bool pitchFiltered;           // good speech: frameExc is the pitch postfilter of window
    PitchWindow window;           // good speech: the excitation the pitch postfilter reads
    int32_t pitchLag[2];          // good speech: open-loop lags of sub-frames 0-1 and 2-3
    int32_t postfilterOn;         // postfilter switch for both postfilters
};

// The filter memories of a stream (fields of DecoderState).
struct FilterState {
    float* synthBuf;  // [0..9] last synthesis outputs, [10..249] current frame
    float* postBuf;   // [0..9] last postfilter outputs, [10..249] current frame
    float* postTilt;  // smoothed tilt of the formant postfilter
};

// Double copies of the current frame's filter outputs as fed back (see
// synthesisStep), with the filter memories in front, and the latest output
// of each filter.
struct FilterFeedback {
    double synth[lpcOrder + frameLength];
    double post[postPoleOrder + frameLength];
    double lastSynth;
    double lastPost;
};

// The postfilter of one sub-frame, run during the synthesis of the next.
struct PostTask {
    PostfilterSubframe f;
    float* p;    // its output (in postBuf)
    double* pd;  // its fed-back outputs (in the feedback)
};

// The pitch search of one sub-frame: its correlations run during the
// synthesis of the sub-frame three before it, its energies during the next
// one, and it is finished when the loop of the sub-frame before it opens.
struct SearchTask {
    PitchSearch search;
    FilterJob* job;
    int32_t k;
    bool active;
};

// Where the filter stages of a run stand (see filter_pipeline.cpp). Every
// sample of the track equals what, frame by frame, the pitch postfilter
// (findPitchPostParams, applyPitchPostfilter) for good speech, then
// synthesize, formantPostfilter and toPcm give, with synthBuf[0..9] and
// postBuf[0..9] moved on between frames. Nothing is allocated.
struct FilterTrack {
    FilterState state;
    int16_t* samples;   // the run's output, frame i at samples + 240 i
    int32_t frame;      // index in the run of the frame being synthesized
    FilterJob* job;     // its job
    FilterJob* next;    // the next frame's job once queued, else null
    int32_t k;          // sub-frame to synthesize next, 4 once the run's last one is done
    bool finishing;     // no further job comes
    FilterFeedback fb;
    TiltSums tilt;      // tilt sums of the sub-frame synthesized last
    PostTask post;
    bool posting;       // post holds the task of the sub-frame synthesized last
    SearchTask search[3];
    int32_t correlating;  // the task whose correlations run in the current loop
    int32_t measuring;    // the task whose energies run in the current loop
};

// Starts the run with its first frame's job; samples receive the output.
void startFilterTrack(FilterTrack* t, const FilterState& state, FilterJob* job, int16_t* samples);

// Runs the loops of the sub-frames as far as it can without the next
// frame's job: up to the second sub-frame of the current frame, whose loop
// starts the next frame's first pitch search.
void advanceFilterTrack(FilterTrack& t);

// Hands over the next frame's job. The current frame's job must stay
// untouched until the track has moved past it.
void queueFilterJob(FilterTrack& t, FilterJob* job);

// Runs what remains of the run. Afterwards the buffers hold the last frame,
// not yet moved on (synthBuf[0..9] and postBuf[0..9] are those of the frame
// before it).
void finishFilterTrack(FilterTrack& t);
