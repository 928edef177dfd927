// Concealment of bad speech frames: a faded periodic continuation of the last
// pitch period, or noise at the history's level, built from the excitation
// history; silence from the third bad frame on. Also the decoder's 16-bit
// pseudo-random generator.
#pragma once

#include <cstdint>

// All excitation pointers here address element 0 of the 505-sample
// excitation buffer: [0..264] history, [265..504] current frame.

// Decides whether the last 120 history samples (excitation[145..264]) are
// voiced near `lag` (an open-loop lag or a raw invalid lag code). Returns the
// period to repeat, or 0 for unvoiced.
int32_t analyseHistory(const float* excitation, int32_t lag);

// RMS level of the last 120 history samples: the unvoiced concealment gain.
float historyLevel(const float* excitation);

// Fills excitation[265..504] and frameExc[0..239] for a concealed frame:
// silence when erasureCount >= 3, else the last concealLag history samples
// repeated at concealGain and put on the grid of the history
// (excitation_grid.h), else (concealLag 0) noise of amplitude concealGain in
// frameExc only, advancing *concealSeed 240 times.
void regenerateExcitation(float* excitation, float* frameExc, int32_t concealLag, float concealGain,
                          int32_t erasureCount, int16_t* concealSeed);

// Advances the seed (seed * 521 + 259 modulo 2^16, as a signed 16-bit value)
// and returns its new value.
int16_t nextRandom(int16_t* seed);
