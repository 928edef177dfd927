// The pitch postfilter, the synthesis filter and the formant postfilter of a
// frame run as one pipeline, sub-frame by sub-frame.
#pragma once

#include "decoder_state.h"

// Same result, bit for bit, as synthesize(synthBuf, frameExc, lpcSet)
// followed by formantPostfilter(postBuf + 10, synthBuf + 10, lpcSet,
// postTilt, postfilterOn). For frames whose synthesis input is ready
// (concealment, comfort noise).
void synthesizeAndPostfilter(float* synthBuf, float* postBuf, const float* frameExc,
                             const float lpcSet[4][lpcOrder], float& postTilt, int32_t postfilterOn);

// For a good speech frame: first, for each sub-frame k, the pitch postfilter
// (findPitchPostParams with pitchLag[k / 2] and applyPitchPostfilter) from
// the frame's excitation (its first sample at `excitation`) into frameExc,
// then the two filters as synthesizeAndPostfilter; same result bit for bit.
void pitchPostfilterAndSynthesize(float* synthBuf, float* postBuf, float* frameExc, const float* excitation,
                                  const int32_t pitchLag[2], const float lpcSet[4][lpcOrder], float& postTilt,
                                  int32_t postfilterOn);
