// The last stages of the frame routine for a run of frames: pitch
// postfilter, synthesis filter, formant postfilter and conversion to
// samples, as a track of loops, one per synthesized sub-frame, that
// continues from one frame into the next (schedule in filter_pipeline.cpp).
#pragma once

#include "decoder_state.h"
#include "formant_postfilter.h"
#include "pitch_search.h"

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
struct FilterMemories {
    float* synthBuf;  // [0..9] last synthesis outputs, [10..249] current frame
    float* postBuf;   // [0..9] last postfilter outputs, [10..249] current frame
    float* postTilt;  // smoothed tilt of the formant postfilter
};

// The pitch search serving one sub-frame.
struct SearchSlot {
    PitchSearch search;
    FilterJob* job;  // the frame of that sub-frame; null: nothing to search
};

// Where the filter stages of a run stand. Every sample of the track equals
// what the stages give run one after the other, frame by frame: the pitch
// postfilter for good speech, then synthesis, formant postfilter and
// conversion, with synthBuf[0..9] and postBuf[0..9] moved on between frames;
// the track moves every filter memory on itself. Nothing is allocated.
struct FilterTrack {
    FilterMemories memories;
    int16_t* samples;                             // output of the frame being synthesized
    int16_t* previousSamples;                     // output of the frame before until it is finished, else null
    FilterJob* job;                               // the frame being synthesized; null before the first job
    FilterJob* next;                              // the frame after it once added, else null
    double synthFed[lpcOrder + frameLength];      // synthBuf as fed back (see synthesisStep), in double
    double postFed[postPoleOrder + frameLength];  // the same for postBuf[4..249]
    double lastSynth;                             // the latest output of each filter as fed back
    double lastPost;
    TiltSums tilt;            // tilt sums of the sub-frame synthesized last
    PostfilterSubframe post;  // the postfilter of the sub-frame synthesized last
    bool postPending;         // post is set up and has not run yet
    SearchSlot search[4];     // search[k] serves sub-frame k of the frame being synthesized or the one after
};

// Starts a run; the frames' samples go to samples, 240 per frame.
void startFilterTrack(FilterTrack* t, const FilterMemories& memories, int16_t* samples);

// Hands the track the run's next frame. The track runs on as far as it can
// without the frame after: through the loop of this frame's first sub-frame.
// A job must stay untouched until the call that adds the job after it has
// returned (or the run is finished).
void addFilterJob(FilterTrack& t, FilterJob* job);

// Runs what remains of the run (at least one job was added). Afterwards
// synthBuf[10..249] and postBuf[10..249] hold the last frame and their
// elements 0..9 have moved on past it.
void finishFilterTrack(FilterTrack& t);
