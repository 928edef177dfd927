// Concealment of bad speech frames from the excitation history, and the
// decoder's 16-bit pseudo-random generator.
#include "concealment.h"

#include <cmath>
#include <cstring>

#include "decoder_state.h"
#include "dot_product.h"
#include "excitation_grid.h"

namespace {

constexpr int32_t analysisStart = excitationHistory - 2 * subframeLength;  // element 145
constexpr int32_t analysisLength = 2 * subframeLength;                     // 120 samples
constexpr int32_t maxAnalysisLag = 142;
constexpr int32_t lagSearchRadius = 3;
constexpr float inverseAnalysisLength = 0.0083333338f;  // 1/120 in single precision
constexpr float noiseScale = 1.0f / 32768.0f;
constexpr int32_t silentErasureCount = 3;

// Correlation of the analysed block with itself `lag` samples earlier.
float historyCorrelation(const float* block, int32_t lag) {
    return static_cast<float>(dotProduct(block, block - lag, analysisLength));
}

}  // namespace

int32_t analyseHistory(const float* excitation, int32_t lag) {
    const float* block = excitation + analysisStart;
    const int32_t centre = lag < maxAnalysisLag ? lag : maxAnalysisLag;
    float best = 0.0f;
    int32_t result = 0;
    for (int32_t i = centre - lagSearchRadius; i <= centre + lagSearchRadius; ++i) {
        const float c = historyCorrelation(block, i);
        if (c > best) {
            best = c;
            result = i;
        }
    }
    if (result == 0) return 0;
    const float e0 = static_cast<float>(dotProduct(block, block, analysisLength));
    const float e1 = historyCorrelation(block - result, 0);
    return e0 * e1 < 5.0f * best * best ? result : 0;
}

float historyLevel(const float* excitation) {
    const float* block = excitation + analysisStart;
    const float energy = static_cast<float>(dotProduct(block, block, analysisLength));
    return std::sqrt(energy * inverseAnalysisLength);
}

void regenerateExcitation(float* excitation, float* frameExc, int32_t concealLag, float concealGain,
                          int32_t erasureCount, int16_t* concealSeed) {
    float* current = excitation + excitationHistory;
    if (erasureCount >= silentErasureCount) {
        for (int32_t n = 0; n < frameLength; ++n) current[n] = frameExc[n] = 0.0f;
        return;
    }
    if (concealLag != 0) {
        for (int32_t n = 0; n < frameLength; ++n) current[n] = current[n - concealLag];
        for (int32_t n = 0; n < frameLength; ++n) current[n] *= concealGain;
        putOnGrid(current, frameLength);
        std::memcpy(frameExc, current, sizeof(float) * frameLength);
        return;
    }
    const float g = concealGain * noiseScale;
    for (int32_t n = 0; n < frameLength; ++n) {
        current[n] = 0.0f;
        frameExc[n] = static_cast<float>(nextRandom(concealSeed)) * g;
    }
}

int16_t nextRandom(int16_t* seed) {
    const uint16_t next = static_cast<uint16_t>(static_cast<int32_t>(*seed) * 521 + 259);
    *seed = static_cast<int16_t>(next >= 0x8000 ? static_cast<int32_t>(next) - 0x10000 : next);
    return *seed;
}
