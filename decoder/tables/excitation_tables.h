// Constant tables of the excitation decoder: adaptive-codebook taps, pulse
// amplitudes, the enumerative pulse-position table and the lower-rate pitch
// sharpening tables.
#pragma once

#include <cstdint>

// Five taps b0..b4 of the adaptive-codebook filter per gain row. The 85-row
// table serves higher-rate half-frames with an open-loop lag below 58, the
// 170-row table every other case (and comfort noise). Row 0 is all zeros.
extern const float acbGainTable85[85][5];
extern const float acbGainTable170[170][5];

// Pulse amplitude per fixed-codebook gain index 0..23.
extern const float fixedGainTable[24];

// pulseCombTable[r][j] = C(29 - j, 5 - r), 0 where 29 - j < 5 - r: the
// binomial coefficients of the higher-rate enumerative position code.
extern const int32_t pulseCombTable[6][30];

// Lower-rate pitch sharpening per adaptive-codebook gain row: correction
// added to the open-loop lag, and the repetition gain.
extern const int32_t sharpenLagTable[170];
extern const float sharpenGainTable[170];
