// Rounding and saturation of the decoder's float output to 16-bit PCM.
#include "pcm_output.h"

#include <emmintrin.h>

#include "decoder_state.h"

namespace {

// toPcmSample for two values at once: x + 0.5 (x - 0.5 below zero) in double,
// not-a-number to 0, limited to -32768..32767 and truncated toward zero.
// The limit gives the same sample as the tests of toPcmSample: a value above
// 32766.5 rounds to more than 32767, one below -32767.5 to less than -32768,
// and every other value rounds inside the range. The additions are exact
// (a float below 2^24 plus one half fits a double).
__m128i pcmOfTwo(__m128d v)
{
    const __m128d negative = _mm_cmplt_pd(v, _mm_setzero_pd());
    const __m128d half = _mm_or_pd(_mm_and_pd(negative, _mm_set1_pd(-0.5)), _mm_andnot_pd(negative, _mm_set1_pd(0.5)));
    __m128d r = _mm_add_pd(v, half);
    r = _mm_and_pd(r, _mm_cmpord_pd(v, v));
    r = _mm_min_pd(_mm_max_pd(r, _mm_set1_pd(-32768.0)), _mm_set1_pd(32767.0));
    return _mm_cvttpd_epi32(r);
}

}  // namespace

int16_t toPcmSample(float x)
{
    double v = x;
    if (v >= 0.0) {
        return v > 32766.5 ? int16_t{32767} : static_cast<int16_t>(static_cast<int32_t>(v + 0.5));
    }
    if (v < 0.0) {
        return v < -32767.5 ? int16_t{-32768} : static_cast<int16_t>(static_cast<int32_t>(v - 0.5));
    }
    return 0;
}

void toPcm(int16_t* out, const float* in)
{
    for (int32_t n = 0; n < frameLength; n += 8) {
        const __m128 a = _mm_loadu_ps(in + n);
        const __m128 b = _mm_loadu_ps(in + n + 4);
        const __m128i lowA = pcmOfTwo(_mm_cvtps_pd(a));
        const __m128i highA = pcmOfTwo(_mm_cvtps_pd(_mm_movehl_ps(a, a)));
        const __m128i lowB = pcmOfTwo(_mm_cvtps_pd(b));
        const __m128i highB = pcmOfTwo(_mm_cvtps_pd(_mm_movehl_ps(b, b)));
        const __m128i first = _mm_unpacklo_epi64(lowA, highA);
        const __m128i second = _mm_unpacklo_epi64(lowB, highB);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), _mm_packs_epi32(first, second));
    }
}
