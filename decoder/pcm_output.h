// Conversion of the postfiltered speech to 16-bit samples.
#pragma once

#include <cstdint>

// Rounds x to the nearest integer, halves away from zero, saturated to
// -32768..32767. A value that is not a number (only a runaway, overflowing
// stream produces one) gives 0.
int16_t toPcmSample(float x);

// Converts 240 samples.
void toPcm(int16_t* out, const float* in);
