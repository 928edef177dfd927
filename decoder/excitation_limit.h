// Saturation of rebuilt excitation samples to the 16-bit range, as the
// fixed-point codec does. Valid code sequences can repeat adaptive-codebook
// rows whose taps sum to more than 2; without a limit the excitation would
// then grow until single precision overflows and never recover.
#pragma once

#include <xmmintrin.h>

#include <cstdint>
#include <cstring>

constexpr float excitationMax = 32767.0f;
constexpr float excitationMin = -32768.0f;

// Four samples at a time: min(max, x) and max(min, x) in SSE take their
// first operand only when the comparison holds, so they keep a value equal
// to a limit, and not-a-number, exactly as the two tests "if x > max then
// max; if x < min then min" do. A last group of fewer than four goes
// through a small copy.
inline __m128 limitFour(__m128 x) {
    return _mm_max_ps(_mm_set1_ps(excitationMin), _mm_min_ps(_mm_set1_ps(excitationMax), x));
}

inline void limitExcitation(float* x, int32_t count) {
    int32_t n = 0;
    for (; n + 4 <= count; n += 4) {
        _mm_storeu_ps(x + n, limitFour(_mm_loadu_ps(x + n)));
    }
    if (n < count) {
        float rest[4] = {};
        std::memcpy(rest, x + n, sizeof(float) * static_cast<size_t>(count - n));
        _mm_storeu_ps(rest, limitFour(_mm_loadu_ps(rest)));
        std::memcpy(x + n, rest, sizeof(float) * static_cast<size_t>(count - n));
    }
}
