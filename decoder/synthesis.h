// LPC synthesis filter: turns the frame's excitation into speech, one
// coefficient set per sub-frame, with the filter memory kept in the buffer.
#pragma once

#include "decoder_state.h"

// Writes synthBuf[10..249] from frameExc[0..239]; synthBuf[0..9] holds the
// previous frame's last outputs. y[n] = sum_i lpcSet[k][i] * y[n-1-i] + exc[n].
void synthesize(float* synthBuf, const float* frameExc, const float lpcSet[4][lpcOrder]);

// One sub-frame's coefficients widened to double (exact), once per sub-frame.
struct SynthesisCoefficients {
    double a[lpcOrder];
};

inline SynthesisCoefficients widenSynthesisCoefficients(const float* lpc)
{
    SynthesisCoefficients c;
    for (int32_t i = 0; i < lpcOrder; ++i) c.a[i] = lpc[i];
    return c;
}

// One output sample: the ten products a[i] * y[n-1-i], then the excitation
// sample, summed in that order in double and rounded to float. yd points at
// y[n] in a double copy of the outputs (exact, since every output is a
// float), so that the products of the next sample need no conversion; the
// new output is stored there too.
inline float synthesisStep(const SynthesisCoefficients& c, double* yd, float excitation)
{
    double sum = 0.0;
    for (int32_t i = 0; i < lpcOrder; ++i) {
        sum += c.a[i] * yd[-1 - i];
    }
    sum += static_cast<double>(excitation);
    const float y = static_cast<float>(sum);
    *yd = static_cast<double>(y);
    return y;
}
