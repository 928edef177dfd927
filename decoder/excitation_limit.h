// Saturation of rebuilt excitation samples to the 16-bit range, as the
// fixed-point codec does. Valid code sequences can repeat adaptive-codebook
// rows whose taps sum to more than 2; without a limit the excitation would
// then grow until single precision overflows and never recover.
#pragma once

#include <xmmintrin.h>

#include <cstdint>

constexpr float excitationMax = 32767.0f;
constexpr float excitationMin = -32768.0f;

// Four samples at a time: min(max, x) and max(min, x) in SSE take their
// first operand only when the comparison holds, so they keep a value equal
// to a limit, and not-a-number, exactly as the two tests below do.
inline void limitExcitation(float* x, int32_t count)
{
    const __m128 high = _mm_set1_ps(excitationMax);
    const __m128 low = _mm_set1_ps(excitationMin);
    int32_t n = 0;
    for (; n + 4 <= count; n += 4) {
        _mm_storeu_ps(x + n, _mm_max_ps(low, _mm_min_ps(high, _mm_loadu_ps(x + n))));
    }
    for (; n < count; ++n) {
        if (x[n] > excitationMax) x[n] = excitationMax;
        if (x[n] < excitationMin) x[n] = excitationMin;
    }
}
