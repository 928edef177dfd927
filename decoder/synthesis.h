// LPC synthesis filter: turns the frame's excitation into speech, one
// coefficient set per sub-frame, with the filter memory kept in the buffer.
#pragma once

#include "decoder_state.h"

// Writes synthBuf[10..249] from frameExc[0..239]; synthBuf[0..9] holds the
// previous frame's last outputs. y[n] = sum_i lpcSet[k][i] * y[n-1-i] + exc[n].
void synthesize(float* synthBuf, const float* frameExc, const float lpcSet[4][lpcOrder]);
