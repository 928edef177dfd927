// Saturation of rebuilt excitation samples to the 16-bit range, as the
// fixed-point codec does. Valid code sequences can repeat adaptive-codebook
// rows whose taps sum to more than 2; without a limit the excitation would
// then grow until single precision overflows and never recover.
#pragma once

#include <cstdint>

constexpr float excitationMax = 32767.0f;
constexpr float excitationMin = -32768.0f;

inline void limitExcitation(float* x, int32_t count)
{
    for (int32_t n = 0; n < count; ++n) {
        if (x[n] > excitationMax) x[n] = excitationMax;
        if (x[n] < excitationMin) x[n] = excitationMin;
    }
}
