// Double-precision sums of float products, the accumulation used by every
// correlation, energy and filter sum of the decoder.
#pragma once

#include <emmintrin.h>

#include <cstdint>

// sum of a[n] * b[n], n = 0..count-1, each product formed in double.
inline double dotProduct(const float* a, const float* b, int32_t count)
{
    double sum = 0.0;
    for (int32_t n = 0; n < count; ++n) {
        sum += static_cast<double>(a[n]) * static_cast<double>(b[n]);
    }
    return sum;
}

// Several independent sums at once, two per SSE2 register. Every lane is one
// sum accumulated exactly as dotProduct accumulates it (from 0.0, products
// in double, added in the order n = 0, 1, ...); only different sums share a
// register, so each result equals its dotProduct bit for bit.

// sums[j] = dotProduct(x, x + offset + j, count) for j = 0..7: the
// correlations of x[0..count-1] with the eight segments starting at
// x + offset .. x + offset + 7. Reads x[offset .. offset + count + 6].
inline void correlateEightOffsets(const float* x, int32_t offset, int32_t count, double sums[8])
{
    __m128d acc0 = _mm_setzero_pd();
    __m128d acc1 = _mm_setzero_pd();
    __m128d acc2 = _mm_setzero_pd();
    __m128d acc3 = _mm_setzero_pd();
    for (int32_t n = 0; n < count; ++n) {
        const __m128d xn = _mm_set1_pd(static_cast<double>(x[n]));
        const __m128 low = _mm_loadu_ps(x + n + offset);
        const __m128 high = _mm_loadu_ps(x + n + offset + 4);
        acc0 = _mm_add_pd(acc0, _mm_mul_pd(xn, _mm_cvtps_pd(low)));
        acc1 = _mm_add_pd(acc1, _mm_mul_pd(xn, _mm_cvtps_pd(_mm_movehl_ps(low, low))));
        acc2 = _mm_add_pd(acc2, _mm_mul_pd(xn, _mm_cvtps_pd(high)));
        acc3 = _mm_add_pd(acc3, _mm_mul_pd(xn, _mm_cvtps_pd(_mm_movehl_ps(high, high))));
    }
    _mm_storeu_pd(sums, acc0);
    _mm_storeu_pd(sums + 2, acc1);
    _mm_storeu_pd(sums + 4, acc2);
    _mm_storeu_pd(sums + 6, acc3);
}

// sums[0] = dotProduct(a, a, count), sums[1] = dotProduct(b, b, count).
inline void energyPair(const float* a, const float* b, int32_t count, double sums[2])
{
    __m128d acc = _mm_setzero_pd();
    for (int32_t n = 0; n < count; ++n) {
        const __m128d v = _mm_set_pd(static_cast<double>(b[n]), static_cast<double>(a[n]));
        acc = _mm_add_pd(acc, _mm_mul_pd(v, v));
    }
    _mm_storeu_pd(sums, acc);
}
