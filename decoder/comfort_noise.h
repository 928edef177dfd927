// Comfort noise for silence-descriptor and untransmitted frames: a random
// excitation at the smoothed transmitted level. DecoderState::comfortNoiseFrame
// (defined in comfort_noise.cpp) drives it per frame.
#pragma once

#include <cstdint>

#include "frame_params.h"

// Advances the seed once and returns (n * (r & 0x7FFF)) >> 15 for the new
// value r: a number in 0..n-1.
int32_t randomBelow(int32_t n, int16_t* seed);

// Writes the 240-sample random excitation at exc (reading the history before
// it), so that each 120-sample block has RMS `gain` (as nearly as its
// samples, on the grid of the history, allow). Overwrites pitchLag,
// lagDelta and acbGainIndex of params with the random lags and gain rows.
void makeNoiseExcitation(float* exc, FrameParams* params, int16_t* seed, float gain);

// The amplitude x of the block's pulses: the smaller-magnitude root of
// x^2 + 2*a*x + w = 0, or -a when there is no real root; limited to +-5000.
float noisePulseAmplitude(float a, float w);

// Next comfort-noise level: the table level of sidGainIndex at once after
// speech (prevFrameType 1), otherwise one eighth of the way toward it.
float smoothNoiseGain(float noiseGain, int32_t sidGainIndex, int32_t prevFrameType);
