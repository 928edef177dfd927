// Checks the decoder's constant tables: the integer sums of the source
// tables, the decimal rounding of every entry and the rows known by heart.
#include "tables/excitation_tables.h"
#include "tables/lsp_tables.h"
#include "tables/sid_gain_table.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

// The float that the decimal text of q / scale gives when written with the
// given printf-style format and precision (ties to even, as printf rounds).
float fromDecimal(int64_t q, double scale, std::chars_format format, int precision) {
    char text[64];
    auto written = std::to_chars(text, text + sizeof text, static_cast<double>(q) / scale, format, precision);
    float value = 0.0f;
    std::from_chars(text, written.ptr, value);
    return value;
}

// Recovers the integer entries of a scaled table, checks that every value is
// exactly the float of its decimal text and returns the sum of the integers.
int64_t checkScaled(const float* values, int count, double scale, std::chars_format format, int precision) {
    int64_t sum = 0;
    for (int i = 0; i < count; ++i) {
        const int64_t q = std::llround(values[i] * scale);
        EXPECT_NEAR(values[i] * scale, static_cast<double>(q), 0.25) << "entry " << i;
        EXPECT_EQ(values[i], fromDecimal(q, scale, format, precision)) << "entry " << i;
        sum += q;
    }
    return sum;
}

int64_t checkLsp(const float* values, int count) {
    return checkScaled(values, count, 128.0, std::chars_format::general, 6);
}

int64_t checkTaps(const float* values, int count) {
    return checkScaled(values, count, 16384.0, std::chars_format::fixed, 6);
}

void expectRowQ7(const float* row, std::initializer_list<int> ints) {
    int k = 0;
    for (int q : ints) {
        EXPECT_EQ(std::llround(row[k] * 128.0), q) << "element " << k;
        ++k;
    }
}

void expectRow(const float* row, std::initializer_list<float> values) {
    int k = 0;
    for (float v : values) {
        EXPECT_EQ(row[k], v) << "element " << k;
        ++k;
    }
}

}  // namespace

TEST(LspTables, SumsAndDecimalTextMatchTheIntegerTables) {
    EXPECT_EQ(checkLsp(lspDcVector, 10), 151929);
    EXPECT_EQ(checkLsp(&lspCodebook0[0][0], 256 * 3), 285227);
    EXPECT_EQ(checkLsp(&lspCodebook1[0][0], 256 * 3), 64104);
    EXPECT_EQ(checkLsp(&lspCodebook2[0][0], 256 * 4), -47415);
}

TEST(LspTables, DcVectorHoldsTheListedDecimals) {
    expectRow(lspDcVector,
              {24.4609f, 36.8828f, 60.0781f, 84.4219f, 108.375f, 128.867f, 154.312f, 173.906f, 199.094f, 216.547f});
}

TEST(LspTables, CodebookRowsMatchTheListedIntegers) {
    expectRowQ7(lspCodebook0[0], {0, 0, 0});
    expectRowQ7(lspCodebook1[0], {0, 0, 0});
    expectRowQ7(lspCodebook2[0], {0, 0, 0, 0});
    expectRowQ7(lspCodebook0[1], {-270, -1372, -1032});
    expectRowQ7(lspCodebook0[2], {-541, -1650, -1382});
    expectRowQ7(lspCodebook0[3], {-723, -2011, -2213});
    expectRowQ7(lspCodebook0[4], {-941, -1122, -1942});
    expectRowQ7(lspCodebook0[255], {1693, 4793, 6012});
    expectRowQ7(lspCodebook1[1], {-2114, -1302, 76});
    expectRowQ7(lspCodebook1[2], {-2652, -1278, -1368});
    expectRowQ7(lspCodebook1[3], {-2847, -828, -349});
    expectRowQ7(lspCodebook1[4], {-3812, -2190, -349});
    expectRowQ7(lspCodebook1[255], {4035, 5334, 4912});
    expectRowQ7(lspCodebook2[1], {601, 512, -542, 334});
    expectRowQ7(lspCodebook2[2], {428, 1087, -484, -132});
    expectRowQ7(lspCodebook2[3], {652, 622, -391, -572});
    expectRowQ7(lspCodebook2[4], {378, 799, 141, -860});
    expectRowQ7(lspCodebook2[255], {2923, 3517, 2567, 1318});
}

TEST(LspTables, CosineTableIsTheRoundedCosineAtFourteenBits) {
    for (int i = 0; i < 512; ++i) {
        const int64_t q = std::llround(16384.0 * std::cos(2.0 * 3.14159265358979323846 * i / 512.0));
        EXPECT_EQ(cosineTable[i], fromDecimal(q, 16384.0, std::chars_format::general, 6)) << i;
    }
    EXPECT_EQ(cosineTable[0], 1.0f);
    EXPECT_EQ(cosineTable[1], 0.999939f);
    EXPECT_EQ(cosineTable[128], 0.0f);
    EXPECT_FALSE(std::signbit(cosineTable[128]));
    EXPECT_FALSE(std::signbit(cosineTable[384]));
    EXPECT_EQ(cosineTable[256], -1.0f);
}

TEST(LspTables, InterpolationWeights) { expectRow(interpWeights, {0.25f, 0.5f, 0.75f, 1.0f}); }

TEST(ExcitationTables, TapSumsAndDecimalTextMatchTheIntegerTables) {
    EXPECT_EQ(checkTaps(&acbGainTable85[0][0], 85 * 5), 1104891);
    EXPECT_EQ(checkTaps(&acbGainTable170[0][0], 170 * 5), 2153344);
}

TEST(ExcitationTables, TapRowsMatchTheListedValues) {
    expectRow(acbGainTable85[0], {0.0f, 0.0f, 0.0f, 0.0f, 0.0f});
    expectRow(acbGainTable170[0], {0.0f, 0.0f, 0.0f, 0.0f, 0.0f});
    expectRow(acbGainTable85[1], {0.048828f, 0.091309f, 0.010193f, -0.015625f, -0.020630f});
    expectRow(acbGainTable85[2], {-0.028198f, -0.041870f, 0.030090f, 0.157166f, 0.018982f});
    expectRow(acbGainTable85[84], {0.358948f, 0.560059f, 0.495544f, 0.240112f, 0.204773f});
    expectRow(acbGainTable170[1], {0.047363f, 0.012939f, 0.043640f, 0.040894f, 0.049377f});
    expectRow(acbGainTable170[2], {0.079102f, 0.080322f, -0.010254f, -0.019531f, -0.049744f});
    expectRow(acbGainTable170[169], {0.323303f, 0.511108f, 0.541504f, 0.469604f, 0.399048f});
}

TEST(ExcitationTables, FixedGainsAreTwiceTheCodebookGains) {
    const float expected[24] = {2,   4,   6,   8,   12,   18,   26,   36,   52,   76,   110,  160,
                                230, 332, 480, 696, 1004, 1452, 2100, 3034, 4386, 6340, 9164, 13246};
    double sum = 0.0;
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(fixedGainTable[i], expected[i]) << i;
        sum += fixedGainTable[i];
    }
    EXPECT_EQ(sum, 2.0 * 21487);
}

TEST(ExcitationTables, PulseCombTableHoldsBinomials) {
    // C(n, k) by Pascal's rule, independent of any closed formula.
    int64_t pascal[30][7] = {};
    for (int n = 0; n < 30; ++n) {
        pascal[n][0] = 1;
        for (int k = 1; k <= 6 && n > 0; ++k) pascal[n][k] = pascal[n - 1][k] + pascal[n - 1][k - 1];
    }
    for (int r = 0; r < 6; ++r)
        for (int j = 0; j < 30; ++j) EXPECT_EQ(pulseCombTable[r][j], pascal[29 - j][5 - r]) << r << "," << j;
    EXPECT_EQ(pulseCombTable[0][0], 118755);
    EXPECT_EQ(pulseCombTable[5][29], 1);
    EXPECT_EQ(pulseCombTable[0][25], 0);
}

TEST(ExcitationTables, SharpeningTables) {
    const int lagAt[][2] = {{0, 60}, {1, 0},    {8, -1},  {12, 2},   {13, -2}, {46, 60},
                            {95, 2}, {124, 60}, {165, 2}, {167, -2}, {169, 0}};
    for (const auto& entry : lagAt) EXPECT_EQ(sharpenLagTable[entry[0]], entry[1]) << entry[0];
    EXPECT_EQ(sharpenGainTable[1], 0.075958f);
    EXPECT_EQ(sharpenGainTable[25], 0.0f);
    EXPECT_EQ(sharpenGainTable[97], 0.986389f);
    EXPECT_EQ(sharpenGainTable[169], 0.549255f);
    int lagSum = 0, sixties = 0;
    for (int i = 0; i < 170; ++i) {
        lagSum += sharpenLagTable[i];
        if (sharpenLagTable[i] == 60) {
            ++sixties;
            EXPECT_EQ(sharpenGainTable[i], 0.0f) << i;
        } else {
            EXPECT_GE(sharpenLagTable[i], -2) << i;
            EXPECT_LE(sharpenLagTable[i], 2) << i;
        }
        const int64_t q = std::llround(sharpenGainTable[i] * 32768.0);
        EXPECT_EQ(sharpenGainTable[i], fromDecimal(q, 32768.0, std::chars_format::fixed, 6)) << i;
    }
    EXPECT_EQ(sixties, 22);
    EXPECT_EQ(lagSum, 22 * 60 + 11);
}

TEST(SidGainTable, PiecewiseLinearLevels) {
    EXPECT_EQ(sidGainTable[0], 0.0f);
    EXPECT_EQ(sidGainTable[1], 2.0f);
    EXPECT_EQ(sidGainTable[15], 30.0f);
    EXPECT_EQ(sidGainTable[16], 32.0f);
    EXPECT_EQ(sidGainTable[17], 36.0f);
    EXPECT_EQ(sidGainTable[31], 92.0f);
    EXPECT_EQ(sidGainTable[32], 96.0f);
    EXPECT_EQ(sidGainTable[33], 104.0f);
    EXPECT_EQ(sidGainTable[63], 344.0f);
    for (int i = 1; i < 64; ++i) EXPECT_GT(sidGainTable[i], sidGainTable[i - 1]) << i;
}
