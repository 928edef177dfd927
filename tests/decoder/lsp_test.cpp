// LSP decoding, stabilisation, interpolation and LSP-to-LPC conversion.
#include "lsp.h"
#include "tables/lsp_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const int32_t zeroIndex[3] = {0, 0, 0};

std::vector<float> copyOf(const float* v) { return std::vector<float>(v, v + 10); }

// -cos of each LSP from the table, interpolated in double precision.
std::vector<double> tableNegCosines(const float* lsp) {
    std::vector<double> c(10);
    for (int k = 0; k < 10; ++k) {
        const int i = static_cast<int>(std::floor(lsp[k]));
        const double t = lsp[k] - i;
        c[k] = -(cosineTable[i] + (static_cast<double>(cosineTable[i + 1]) - cosineTable[i]) * t);
    }
    return c;
}

std::vector<double> multiply(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> r(a.size() + b.size() - 1, 0.0);
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t j = 0; j < b.size(); ++j) r[i + j] += a[i] * b[j];
    return r;
}

// LPC coefficients a1..a10 by full polynomial products in double precision:
// A(z) = (P(z)(1 + 1/z) + Q(z)(1 - 1/z)) / 2, a(k) = -A_k.
std::vector<double> referenceLpc(const float* lsp) {
    const std::vector<double> c = tableNegCosines(lsp);
    std::vector<double> p{1.0}, q{1.0};
    for (int k = 0; k < 10; k += 2) p = multiply(p, {1.0, 2.0 * c[k], 1.0});
    for (int k = 1; k < 10; k += 2) q = multiply(q, {1.0, 2.0 * c[k], 1.0});
    p = multiply(p, {1.0, 1.0});
    q = multiply(q, {1.0, -1.0});
    std::vector<double> a(10);
    for (int k = 0; k < 10; ++k) a[k] = -0.5 * (p[k + 1] + q[k + 1]);
    return a;
}

// True when all reflection coefficients of 1/A(z) lie strictly inside the
// unit circle (the synthesis filter is stable).
bool stableFilter(const float* lpc) {
    std::vector<double> a(lpc, lpc + 10);
    for (int m = 9; m >= 0; --m) {
        const double k = a[m];
        if (!(std::fabs(k) < 1.0)) return false;
        std::vector<double> lower(m);
        for (int i = 0; i < m; ++i) lower[i] = (a[i] + k * a[m - 1 - i]) / (1.0 - k * k);
        a = lower;
    }
    return true;
}

}  // namespace

TEST(DecodeLsp, ZeroIndicesFromTheMeanVectorGiveTheMeanVector) {
    float out[10];
    decodeLsp(out, lspDcVector, zeroIndex, 0);
    EXPECT_EQ(copyOf(out), copyOf(lspDcVector));
    decodeLsp(out, lspDcVector, zeroIndex, 1);
    EXPECT_EQ(copyOf(out), copyOf(lspDcVector));
}

TEST(DecodeLsp, GoodFramePredictsAndAddsTheCodebookRows) {
    float prev[10];
    for (int k = 0; k < 10; ++k) prev[k] = lspDcVector[k] + 8.0f;
    const int32_t index[3] = {13, 19, 1};
    float out[10];
    decodeLsp(out, prev, index, 0);
    const float residual[10] = {lspCodebook0[13][0], lspCodebook0[13][1], lspCodebook0[13][2], lspCodebook1[19][0],
                                lspCodebook1[19][1], lspCodebook1[19][2], lspCodebook2[1][0],  lspCodebook2[1][1],
                                lspCodebook2[1][2],  lspCodebook2[1][3]};
    for (int k = 0; k < 10; ++k) EXPECT_EQ(out[k], 8.0f * 0.375f + lspDcVector[k] + residual[k]) << k;
}

TEST(DecodeLsp, BadFrameIgnoresIndicesAndDriftsTowardTheMean) {
    float prev[10];
    for (int k = 0; k < 10; ++k) prev[k] = lspDcVector[k] + 16.0f;
    const int32_t index[3] = {200, 100, 50};
    float out[10];
    decodeLsp(out, prev, index, 1);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(out[k], 16.0f * 0.71875f + lspDcVector[k]) << k;
}

TEST(StabiliseLsp, LimitsTheEndsBeforeSpacing) {
    float lsp[10] = {1.5f, 20, 40, 60, 80, 100, 120, 140, 160, 255.0f};
    stabiliseLsp(lsp, lspDcVector, 2.0f);
    EXPECT_EQ(lsp[0], 3.0f);
    EXPECT_EQ(lsp[9], 252.0f);
    EXPECT_EQ(lsp[1], 20.0f);
}

TEST(StabiliseLsp, PushesCloseNeighboursApartSymmetrically) {
    float lsp[10] = {10, 20, 30, 40, 50, 51, 70, 80, 90, 100};
    stabiliseLsp(lsp, lspDcVector, 2.0f);
    EXPECT_EQ(lsp[4], 49.5f);
    EXPECT_EQ(lsp[5], 51.5f);
    EXPECT_EQ(lsp[6], 70.0f);
    float wide[10] = {10, 20, 30, 40, 50, 51, 70, 80, 90, 100};
    stabiliseLsp(wide, lspDcVector, 4.0f);
    EXPECT_EQ(wide[4], 48.5f);
    EXPECT_EQ(wide[5], 52.5f);
}

TEST(StabiliseLsp, SpreadsAClusterOverSeveralPasses) {
    // The second step of the first pass pulls lsp[1] back toward lsp[0],
    // so a further pass is needed.
    float lsp[10] = {10, 11.5f, 12, 40, 50, 60, 70, 80, 90, 100};
    stabiliseLsp(lsp, lspDcVector, 2.0f);
    EXPECT_NE(lsp[0], lspDcVector[0]);
    EXPECT_LT(lsp[0], 9.75f);
    for (int k = 1; k < 10; ++k) EXPECT_GE(lsp[k] - lsp[k - 1], 2.0f - 0.03125f) << k;
    EXPECT_EQ(lsp[3], 40.0f);
}

TEST(StabiliseLsp, SpreadingOutOfTheFrequencyRangeNeedsAnotherPass) {
    // One pass spaces these well but leaves the first two below 0 (or the
    // last two above 256): a further pass brings them back.
    float low[10] = {3.0f, -14.6f, 13.9f, 10.6f, 40, 60, 80, 100, 120, 140};
    float high[10] = {20, 40, 60, 80, 100, 120, 253.2f, 251.7f, 264.9f, 252.0f};
    for (float* lsp : {low, high}) {
        stabiliseLsp(lsp, lspDcVector, 2.0f);
        EXPECT_GT(lsp[0], 0.0f);
        EXPECT_LT(lsp[9], 256.0f);
        for (int k = 1; k < 10; ++k) EXPECT_GE(lsp[k] - lsp[k - 1], 2.0f - 0.03125f) << k;
        float lpc[10];
        std::copy(lsp, lsp + 10, lpc);
        lspToLpc(lpc);
        EXPECT_TRUE(stableFilter(lpc));
    }
}

TEST(LspToLpc, ValuesOutsideTheFrequencyRangeGiveUnstableFilters) {
    // Why the range matters: the spaced vector of the first pass above.
    float lpc[10] = {-6.8f, -4.8f, 11.25f, 13.25f, 40, 60, 80, 100, 120, 140};
    lspToLpc(lpc);
    EXPECT_FALSE(stableFilter(lpc));
}

TEST(StabiliseLsp, FallsBackToThePreviousVectorWhenStillTooClose) {
    float lsp[10];
    for (float& v : lsp) v = 128.0f;
    float prev[10];
    for (int k = 0; k < 10; ++k) prev[k] = 20.0f + 21.0f * k;
    stabiliseLsp(lsp, prev, 2.0f);
    EXPECT_EQ(copyOf(lsp), copyOf(prev));
}

TEST(LspToLpc, MatchesTheFullPolynomialProduct) {
    const float vectors[3][10] = {
        {24.4609f, 36.8828f, 60.0781f, 84.4219f, 108.375f, 128.867f, 154.312f, 173.906f, 199.094f, 216.547f},
        {3.0f, 5.0f, 7.0f, 64.5f, 128.0f, 130.0f, 200.0f, 230.0f, 240.0f, 252.0f},
        {10.25f, 30.5f, 31.75f, 90.0f, 95.0f, 150.0f, 152.5f, 180.0f, 181.0f, 250.0f}};
    for (const auto& lsp : vectors) {
        float v[10];
        for (int k = 0; k < 10; ++k) v[k] = lsp[k];
        lspToLpc(v);
        const std::vector<double> expected = referenceLpc(lsp);
        for (int k = 0; k < 10; ++k) EXPECT_NEAR(v[k], expected[k], 2e-4 * (1.0 + std::fabs(expected[k]))) << k;
        EXPECT_TRUE(stableFilter(v));
    }
}

TEST(LspToLpc, KeepsTheTableIndexInsideTheTable) {
    float v[10] = {-3.5f, 0.0f, 0.25f, 255.9f, 256.0f, 300.0f, 509.99f, 510.5f, 600.0f, -1000.0f};
    lspToLpc(v);
    for (float a : v) EXPECT_TRUE(std::isfinite(a));
}

TEST(InterpolateLsp, MovesFromThePreviousToTheCurrentVector) {
    float prev[10], cur[10];
    for (int k = 0; k < 10; ++k) {
        prev[k] = 20.0f + 20.0f * k;
        cur[k] = 24.0f + 21.0f * k;
    }
    float lpcSet[4][10];
    interpolateLsp(lpcSet, cur, prev);
    for (int i = 0; i < 4; ++i) {
        float expected[10];
        const float w = 0.25f * (i + 1);
        for (int k = 0; k < 10; ++k) expected[k] = (cur[k] - prev[k]) * w + prev[k];
        lspToLpc(expected);
        EXPECT_EQ(copyOf(lpcSet[i]), copyOf(expected)) << "sub-frame " << i;
    }
    EXPECT_NE(copyOf(lpcSet[0]), copyOf(lpcSet[3]));
}

TEST(InterpolateLsp, EqualVectorsGiveOneSetForAllSubframes) {
    float lpcSet[4][10];
    interpolateLsp(lpcSet, lspDcVector, lspDcVector);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(copyOf(lpcSet[i]), copyOf(lpcSet[0]));
    EXPECT_TRUE(stableFilter(lpcSet[0]));
}
