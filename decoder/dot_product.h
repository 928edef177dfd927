// Double-precision sums of float products, the accumulation used by every
// correlation, energy and filter sum of the decoder.
#pragma once

#include <cstdint>

// sum of a[n] * b[n], n = 0..count-1, each product formed in double.
inline double dotProduct(const float* a, const float* b, int32_t count) {
    double sum = 0.0;
    for (int32_t n = 0; n < count; ++n) {
        sum += static_cast<double>(a[n]) * static_cast<double>(b[n]);
    }
    return sum;
}
