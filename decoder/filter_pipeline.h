// The last stages of the frame routine for a run of frames: pitch
// postfilter, synthesis filter, formant postfilter and conversion to
// samples, run as one pipeline of sub-frame steps that continues from one
// frame into the next.
#pragma once

#include "decoder_state.h"

// What the filter stages need of one frame; the frame routine makes it.
struct FilterJob {
    float lpcSet[4][lpcOrder];   // one LPC set per sub-frame
    float frameExc[frameLength]; // synthesis input; for good speech written by the pitch postfilter
    const float* excitation;     // good speech: the frame's excitation (first sample), to be
                                 // pitch-postfiltered into frameExc; otherwise null (frameExc ready)
    int32_t pitchLag[2];         // good speech: open-loop lags of sub-frames 0-1 and 2-3
    int32_t postfilterOn;        // postfilter switch for both postfilters
};

// The filter memories of a stream (fields of DecoderState).
struct FilterState {
    float* synthBuf;  // [0..9] last synthesis outputs, [10..249] current frame
    float* postBuf;   // [0..9] last postfilter outputs, [10..249] current frame
    float* postTilt;  // smoothed tilt of the formant postfilter
};

// Gives the job of the next frame of the run, or returns false when the run
// ends. It is called once the previous frame's excitation is no longer read
// (so the frame routine may move the excitation history on).
using NextFilterJob = bool (*)(void* context, FilterJob* job);

// Filters the frames of a run: frame i's 240 samples go to samples + 240 i.
// Every sample equals what, frame by frame, the pitch postfilter
// (findPitchPostParams, applyPitchPostfilter) for good speech, then
// synthesize, formantPostfilter and toPcm give, with synthBuf[0..9] and
// postBuf[0..9] moved on between frames; after the last frame the buffers
// hold it, not yet moved on. Allocates nothing.
void runFilterPipeline(const FilterState& state, NextFilterJob next, void* context, int16_t* samples);

// One frame with a ready synthesis input: synthesize(synthBuf, frameExc,
// lpcSet), then formantPostfilter(postBuf + 10, synthBuf + 10, lpcSet,
// postTilt, postfilterOn), bit for bit, through the pipeline.
void synthesizeAndPostfilter(float* synthBuf, float* postBuf, const float* frameExc,
                             const float lpcSet[4][lpcOrder], float& postTilt, int32_t postfilterOn);
