// The grid of the excitation history: whole numbers in the 16-bit range.
//
// The encoder keeps its past excitation as 16-bit integers and chooses each
// sub-frame's lag and taps so that its own history stays on track. On a
// steady tone those taps may sum to a little more than 1, which the
// encoder's integer history tolerates; but any deviation from that history,
// even by less than one unit, is amplified once per pitch period, so a
// history kept exactly in float drifts away until it saturates. So every path that writes the history (good
// frames, concealment, comfort noise) leaves there what a 16-bit history
// holds: each sample rounded to a whole number and saturated to
// -32768..32767. The values stay floats, and the rest of the decoder stays
// float.
#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

constexpr float excitationMax = 32767.0f;
constexpr float excitationMin = -32768.0f;

// Four samples limited to the 16-bit range. A value that is not a number
// (no stage produces one) gives 32767: min takes its second operand when
// the comparison fails.
inline __m128 limitFour(__m128 x) {
    return _mm_max_ps(_mm_min_ps(x, _mm_set1_ps(excitationMax)), _mm_set1_ps(excitationMin));
}

// Four samples limited, then rounded to the nearest whole number (halves to
// even, the processor's rounding of every float operation).
inline __m128 onGridFour(__m128 x) { return _mm_cvtepi32_ps(_mm_cvtps_epi32(limitFour(x))); }

// Puts x[0..count-1] on the grid. A last group of fewer than four goes
// through a small copy.
inline void putOnGrid(float* x, int32_t count) {
    int32_t n = 0;
    for (; n + 4 <= count; n += 4) {
        _mm_storeu_ps(x + n, onGridFour(_mm_loadu_ps(x + n)));
    }
    if (n < count) {
        float rest[4] = {};
        std::memcpy(rest, x + n, sizeof(float) * static_cast<size_t>(count - n));
        _mm_storeu_ps(rest, onGridFour(_mm_loadu_ps(rest)));
        std::memcpy(x + n, rest, sizeof(float) * static_cast<size_t>(count - n));
    }
}
