// LPC synthesis filter: turns the frame's excitation into speech, one
// coefficient set per sub-frame, with the filter memory kept in the buffer.
#pragma once

#include "decoder_state.h"

// The filter runs one step per sample inside the filter pipeline
// (filter_pipeline.h): y[n] = sum_i a[i] * y[n-1-i] + exc[n], summed from 0.0
// in double, with the coefficients a of the sample's sub-frame.

// One sub-frame's coefficients widened to double (exact), once per sub-frame.
struct SynthesisCoefficients {
    double a[lpcOrder];
};

inline SynthesisCoefficients widenSynthesisCoefficients(const float* lpc) {
    SynthesisCoefficients c;
    for (int32_t i = 0; i < lpcOrder; ++i) c.a[i] = lpc[i];
    return c;
}

// The recursive filters' sums: products in double, added in order. The
// arithmetic convention starts every such sum from 0.0; starting from the
// first product instead differs only when every term is a zero and the
// result a zero of the other sign (0.0 + -0 is +0), and adding +0.0 to the
// result, which changes nothing else, restores it exactly. The filters feed
// the result before that addition back to their next samples, so that the
// addition stays out of the chain of dependent operations from one sample to
// the next; there such a zero of the other sign again only turns zero terms
// into zeros of the other sign, which the same addition undoes.
struct FilterSum {
    double chained;  // the sum without the leading 0.0, fed back
    float output;    // the sum from 0.0, rounded to float: the stored sample
};

inline FilterSum finishFilterSum(double sum) {
    return FilterSum{static_cast<double>(static_cast<float>(sum)), static_cast<float>(sum + 0.0)};
}

// One output sample: the ten products a[i] * y[n-1-i], then the excitation
// sample, summed in that order in double, stored rounded to float in *y.
// yd points at y[n] in a double copy of the outputs (the fed-back values,
// exact copies of floats), where the new value is stored too, so that the
// products of later samples need no conversion. last is y[n-1] as fed back,
// the previous step's result: passing it on directly keeps the chain from
// one sample to the next in registers. Returns y[n] as fed back.
inline double synthesisStep(const SynthesisCoefficients& c, double last, double* yd, float excitation, float* y) {
    double sum = c.a[0] * last;
    for (int32_t i = 1; i < lpcOrder; ++i) {
        sum += c.a[i] * yd[-1 - i];
    }
    sum += static_cast<double>(excitation);
    const FilterSum result = finishFilterSum(sum);
    *yd = result.chained;
    *y = result.output;
    return result.chained;
}
