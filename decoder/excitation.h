// Excitation of good speech frames: the adaptive codebook (past excitation at
// the pitch lag through a 5-tap filter) plus the fixed codebook (signed pulses).
#pragma once

#include <cstdint>

#include "frame_params.h"

// Builds the four sub-frames of the current frame in excitation[265..504].
// excitation[0..264] is the history of earlier frames.
void decodeExcitation(float* excitation, const FrameParams& params, int32_t lowRate);

// For lag <= 61 copies buffer[pos - lag + i] to buffer[pos + i], i = 0..61-lag,
// in increasing i, so that the past repeats with period lag. Longer lags copy nothing.
void extendPeriodic(float* buffer, int32_t pos, int32_t lag);

// Writes the 60 adaptive-codebook samples buffer[pos..pos+59]: the past at
// lag `lag` (periodically extended first) filtered by the five taps b0..b4,
// buffer[pos+i] = sum_j taps[j] * buffer[pos + i - lag - 2 + j], formed on
// the grid of the history (excitation_grid.h): the taps as the standard's
// integers q = 2^14 taps[j], the past samples as whole numbers, the exact
// integer sum rounded (halves up) at the scale 2^14 and saturated to the
// 16-bit range. pos may be any offset with at least lag + 2 samples of
// history before it.
void buildAdaptiveVector(float* buffer, int32_t pos, int32_t lag, const float* taps);

// Adds the fixed-codebook vector of sub-frame k to buffer[pos..pos+59].
void addFixedVector(float* buffer, int32_t pos, const FrameParams& params, int32_t k, int32_t lowRate);

// vec[n] += gain * vec[n - period] for n = period..59 in increasing n (so
// repetitions repeat again); nothing for period >= 60.
void repeatPulses(float* vec, int32_t period, float gain);
