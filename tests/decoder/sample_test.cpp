// The shipped sample: its bitstream decodes to speech that matches the
// original recording, once the coder's 60-sample (7.5 ms) look-ahead delay
// is allowed for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "bitstream_file.h"
#include "wav_reader.h"

namespace {

constexpr int32_t coderDelay = 60;

// Normalised cross-correlation of a[n] with b[n + lag] over their overlap.
double correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int32_t lag) {
    double ab = 0.0, aa = 0.0, bb = 0.0;
    for (int64_t n = 0; n < static_cast<int64_t>(a.size()); ++n) {
        const int64_t m = n + lag;
        if (m < 0 || m >= static_cast<int64_t>(b.size())) continue;
        ab += static_cast<double>(a[n]) * b[m];
        aa += static_cast<double>(a[n]) * a[n];
        bb += static_cast<double>(b[m]) * b[m];
    }
    return aa > 0.0 && bb > 0.0 ? ab / std::sqrt(aa * bb) : 0.0;
}

struct Best {
    int32_t lag;
    double value;
};

Best bestWithin(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int32_t centre, int32_t radius) {
    Best best{centre - radius, -2.0};
    for (int32_t lag = centre - radius; lag <= centre + radius; ++lag) {
        const double c = correlation(a, b, lag);
        if (c > best.value) best = Best{lag, c};
    }
    return best;
}

TEST(Sample, DecodesToTheRecordedSpeech) {
    std::vector<int16_t> original;
    uint32_t rate = 0;
    ASSERT_TRUE(readMonoWav(SPEECHDEC_SAMPLES "/speech.wav", original, rate));
    EXPECT_EQ(rate, 8000u);
    std::vector<int16_t> decoded = decodeBitstream(readFileBytes(SPEECHDEC_SAMPLES "/speech.g723"));
    ASSERT_EQ(decoded.size(), (original.size() + frameLength - 1) / frameLength * frameLength);

    const Best aligned = bestWithin(original, decoded, coderDelay, 5);
    const Best undelayed = bestWithin(original, decoded, 0, 5);
    std::printf("normalised cross-correlation: %.4f at a delay of %d samples "
                "(best within +-5 of no delay: %.4f at %d)\n",
                aligned.value, aligned.lag, undelayed.value, undelayed.lag);
    EXPECT_EQ(aligned.lag, coderDelay);
    EXPECT_GT(aligned.value, 0.9);
}

}  // namespace
