// LSP vector decoding, stabilisation, interpolation and LSP-to-LPC
// conversion. All arithmetic is in single precision.
#include "lsp.h"

#include <emmintrin.h>

#include <cmath>

#include "tables/lsp_tables.h"

namespace {

constexpr int order = 10;
constexpr int maxStabilisePasses = 4;

// -cos(pi * x / 256), linearly interpolated in the cosine table. The table
// index is kept inside 0..510 whatever x is.
float negatedCosine(float x) {
    float whole = std::floor(x);
    if (!(whole >= 0.0f)) whole = 0.0f;
    if (whole > 510.0f) whole = 510.0f;
    const int i = static_cast<int>(whole);
    const float c = cosineTable[i] + (cosineTable[i + 1] - cosineTable[i]) * (x - whole);
    return -c;
}

// Four single-precision values side by side, one per sub-frame: every
// operation acts on each lane exactly as the scalar operation would, so the
// conversion below gives the same coefficients for four LSP vectors at once
// as for each alone.
struct Float4 {
    __m128 v;
    Float4() = default;
    Float4(float x) : v(_mm_set1_ps(x)) {}
    explicit Float4(__m128 x) : v(x) {}
};
Float4 operator+(Float4 a, Float4 b) { return Float4(_mm_add_ps(a.v, b.v)); }
Float4 operator-(Float4 a, Float4 b) { return Float4(_mm_sub_ps(a.v, b.v)); }
Float4 operator*(Float4 a, Float4 b) { return Float4(_mm_mul_ps(a.v, b.v)); }
Float4& operator+=(Float4& a, Float4 b) { return a = a + b; }

// Half the coefficients 0..5 of the symmetric product of
// (1 + 2*v*z^-1 + z^-2) over v = c[0], c[2], c[4], c[6], c[8] (first = 0)
// or over c[1], c[3], ... (first = 1).
template <class T>
void halfSymmetricProduct(const T* c, int first, T f[6]) {
    const T a = c[first];
    const T b = c[first + 2];
    f[0] = 0.5f;
    f[1] = a + b;
    f[2] = T(2.0f) * a * b + T(1.0f);
    for (int j = 2; j <= 4; ++j) {
        const T e = c[2 * j + first];
        f[j + 1] = T(2.0f) * (f[j] * e + f[j - 1]);
        for (int m = j; m >= 2; --m) f[m] += T(2.0f) * e * f[m - 1] + f[m - 2];
        f[1] += e;
    }
}

// LPC coefficients from the negated cosines v[0..9], in place.
template <class T>
void lpcOfCosines(T v[10]) {
    T f1[6];
    T f2[6];
    halfSymmetricProduct(v, 0, f1);
    halfSymmetricProduct(v, 1, f2);
    for (int k = 0; k < 5; ++k) {
        v[k] = f2[k] - f2[k + 1] - f1[k + 1] - f1[k];
        v[9 - k] = f2[k + 1] - f2[k] - f1[k + 1] - f1[k];
    }
}

// negatedCosine of four values at once. The index is the truncation of x
// limited to 0..510 first (not-a-number to 0), which is floor(x) limited to
// 0..510 for every x; the one difference, -0 kept as -0 by floor, changes
// nothing: the fraction is then a zero either way and the cosine that of
// index 0.
Float4 negatedCosines(Float4 x) {
    const __m128 limited = _mm_min_ps(_mm_max_ps(x.v, _mm_setzero_ps()), _mm_set1_ps(510.0f));
    const __m128i index = _mm_cvttps_epi32(limited);
    const Float4 whole(_mm_cvtepi32_ps(index));
    int32_t i[4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(i), index);
    const Float4 low(_mm_set_ps(cosineTable[i[3]], cosineTable[i[2]], cosineTable[i[1]], cosineTable[i[0]]));
    const Float4 high(
        _mm_set_ps(cosineTable[i[3] + 1], cosineTable[i[2] + 1], cosineTable[i[1] + 1], cosineTable[i[0] + 1]));
    const Float4 c = low + (high - low) * (x - whole);
    return Float4(_mm_xor_ps(c.v, _mm_set1_ps(-0.0f)));
}

// Spaced at least `threshold` apart, and inside 0..256 (exclusive): the
// spreading can push the end values out of the frequency range, where the
// table cosine is no cosine any more and the synthesis filter would be
// unstable, so such a vector needs a further pass too.
bool wellFormed(const float* lsp, float threshold) {
    if (!(lsp[0] > 0.0f) || !(lsp[order - 1] < 256.0f)) return false;
    for (int k = 1; k < order; ++k) {
        if (lsp[k] - lsp[k - 1] < threshold) return false;
    }
    return true;
}

}  // namespace

void decodeLsp(float* lspVect, const float* prevLsp, const int32_t lspIndex[3], int32_t bad) {
    const float prediction = bad ? 0.71875f : 0.375f;
    const float minGap = bad ? 4.0f : 2.0f;
    for (int k = 0; k < order; ++k) lspVect[k] = (prevLsp[k] - lspDcVector[k]) * prediction + lspDcVector[k];
    if (!bad) {
        const float* row0 = lspCodebook0[lspIndex[0] & 0xFF];
        const float* row1 = lspCodebook1[lspIndex[1] & 0xFF];
        const float* row2 = lspCodebook2[lspIndex[2] & 0xFF];
        for (int k = 0; k < 3; ++k) lspVect[k] += row0[k];
        for (int k = 0; k < 3; ++k) lspVect[3 + k] += row1[k];
        for (int k = 0; k < 4; ++k) lspVect[6 + k] += row2[k];
    }
    stabiliseLsp(lspVect, prevLsp, minGap);
}

void stabiliseLsp(float* lsp, const float* prevLsp, float minGap) {
    const float threshold = minGap - 0.03125f;
    for (int pass = 0; pass < maxStabilisePasses; ++pass) {
        if (lsp[0] < 3.0f) lsp[0] = 3.0f;
        if (lsp[order - 1] > 252.0f) lsp[order - 1] = 252.0f;
        for (int k = 0; k < order - 1; ++k) {
            const float overlap = lsp[k] - lsp[k + 1] + minGap;
            if (overlap > 0.0f) {
                const float half = 0.5f * overlap;
                lsp[k] -= half;
                lsp[k + 1] += half;
            }
        }
        if (wellFormed(lsp, threshold)) return;
    }
    for (int k = 0; k < order; ++k) lsp[k] = prevLsp[k];
}

void interpolateLsp(float lpcSet[4][10], const float* lspVect, const float* prevLsp) {
    // Lane i of v[k] belongs to sub-frame i.
    const Float4 weights(_mm_loadu_ps(interpWeights));
    Float4 v[order];
    for (int k = 0; k < order; ++k) {
        v[k] = negatedCosines((Float4(lspVect[k]) - Float4(prevLsp[k])) * weights + Float4(prevLsp[k]));
    }
    lpcOfCosines(v);
    for (int k = 0; k < order; ++k) {
        float lanes[4];
        _mm_storeu_ps(lanes, v[k].v);
        for (int i = 0; i < 4; ++i) lpcSet[i][k] = lanes[i];
    }
}

void lspToLpc(float v[10]) {
    for (int k = 0; k < order; ++k) v[k] = negatedCosine(v[k]);
    lpcOfCosines(v);
}
