// Conversion of the postfiltered speech to 16-bit samples.
#pragma once

#include <emmintrin.h>

#include <cstdint>

// Each sample is x rounded to the nearest integer, halves away from zero,
// saturated to -32768..32767; a value that is not a number gives 0.

// Two values at once (floats widened to double): x + 0.5 (x - 0.5 below
// zero) in double, not-a-number to 0, limited to -32768..32767 and truncated
// toward zero. The limit gives the same sample as saturating after rounding:
// a value above 32766.5 rounds to more than 32767, one below -32767.5 to less
// than -32768, and every other value rounds inside the range. The additions are exact where it matters (a float below 2^24
// plus one half fits a double; larger ones are limited anyway).
inline __m128i pcmOfTwo(__m128d v) {
    const __m128d negative = _mm_cmplt_pd(v, _mm_setzero_pd());
    const __m128d half = _mm_or_pd(_mm_and_pd(negative, _mm_set1_pd(-0.5)), _mm_andnot_pd(negative, _mm_set1_pd(0.5)));
    __m128d r = _mm_add_pd(v, half);
    r = _mm_and_pd(r, _mm_cmpord_pd(v, v));
    r = _mm_min_pd(_mm_max_pd(r, _mm_set1_pd(-32768.0)), _mm_set1_pd(32767.0));
    return _mm_cvttpd_epi32(r);
}

// Converts the four samples in[0..3] into out[0..3].
inline void toPcmFour(int16_t* out, const float* in) {
    const __m128 four = _mm_loadu_ps(in);
    const __m128i low = pcmOfTwo(_mm_cvtps_pd(four));
    const __m128i high = pcmOfTwo(_mm_cvtps_pd(_mm_movehl_ps(four, four)));
    const __m128i both = _mm_unpacklo_epi64(low, high);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packs_epi32(both, both));
}

// Converts 240 samples.
void toPcm(int16_t* out, const float* in);
