// The synthesis filter and the formant postfilter of a frame run as one
// pipeline, the postfilter one sub-frame behind the synthesis.
#pragma once

#include "decoder_state.h"

// Same result, bit for bit, as synthesize(synthBuf, frameExc, lpcSet)
// followed by formantPostfilter(postBuf + 10, synthBuf + 10, lpcSet,
// postTilt, postfilterOn).
void synthesizeAndPostfilter(float* synthBuf, float* postBuf, const float* frameExc,
                             const float lpcSet[4][lpcOrder], float& postTilt, int32_t postfilterOn);
