// Comfort noise for silence-descriptor and untransmitted frames: level
// smoothing, the SID envelope and the random excitation (random lags and
// gain rows for the adaptive part, random signed pulses that set the energy).
#include "comfort_noise.h"

#include <cmath>
#include <cstring>

#include "concealment.h"
#include "decoder_state.h"
#include "dot_product.h"
#include "excitation.h"
#include "excitation_grid.h"
#include "lsp.h"
#include "tables/excitation_tables.h"
#include "tables/sid_gain_table.h"

namespace {

constexpr int32_t blockLength = 2 * subframeLength;  // 120 samples: two sub-frames
constexpr int32_t blockPulses = 11;                  // six in the even, five in the odd sub-frame
constexpr int32_t gridPlaces = 30;
constexpr float inverseBlockPulses = 0.09090909f;  // 1/11 in single precision
constexpr float maxPulseAmplitude = 5000.0f;
constexpr int32_t lagDeltas[4] = {1, 0, 1, 3};

// Random pulse positions and signs of one frame, per 120-sample block.
struct NoisePulses {
    int32_t position[2][blockPulses];  // offsets inside the block
    float sign[2][blockPulses];        // +1.0 or -1.0
};

// The draws of steps in order: grid offsets and signs per block, then the
// positions of sub-frames 0..3, each on distinct places of its grid.
void drawPulses(NoisePulses* pulses, int16_t* seed) {
    int32_t offset[4];
    for (int32_t b = 0; b < 2; ++b) {
        const int32_t bits = randomBelow(8192, seed);
        offset[2 * b] = bits & 1;
        offset[2 * b + 1] = subframeLength + ((bits >> 1) & 1);
        for (int32_t j = 0; j < blockPulses; ++j) pulses->sign[b][j] = ((bits >> (2 + j)) & 1) ? 1.0f : -1.0f;
    }
    for (int32_t i = 0; i < 4; ++i) {
        const int32_t count = (i % 2 == 0) ? 6 : 5;
        int32_t* out = pulses->position[i / 2] + ((i % 2 == 0) ? 0 : 6);
        int32_t candidates[gridPlaces];
        for (int32_t c = 0; c < gridPlaces; ++c) candidates[c] = c;
        for (int32_t j = 0; j < count; ++j) {
            const int32_t m = randomBelow(gridPlaces - j, seed);
            out[j] = offset[i] + 2 * candidates[m];
            candidates[m] = candidates[gridPlaces - 1 - j];
        }
    }
}

// Adds the block's pulses with the amplitude that brings its energy to
// 120 * gain^2 (energyOffset = -120 * gain^2), as far as that is reachable.
void addBlockPulses(float* block, const int32_t* position, const float* sign, float energyOffset) {
    double correlation = 0.0;
    for (int32_t j = 0; j < blockPulses; ++j)
        correlation += static_cast<double>(block[position[j]]) * static_cast<double>(sign[j]);
    const float a = static_cast<float>(correlation) * inverseBlockPulses;
    const float energy = static_cast<float>(dotProduct(block, block, blockLength));
    const float w = (energy + energyOffset) * inverseBlockPulses;
    const float x = noisePulseAmplitude(a, w);
    for (int32_t j = 0; j < blockPulses; ++j) block[position[j]] += sign[j] * x;
}

}  // namespace

int32_t randomBelow(int32_t n, int16_t* seed) {
    const int32_t r = static_cast<uint16_t>(nextRandom(seed)) & 0x7FFF;
    return (n * r) >> 15;
}

float noisePulseAmplitude(float a, float w) {
    float x = -a;
    const float square = a * a;
    if (square > w) {
        const float delta = std::sqrt(square - w);
        const float x1 = -(a + delta);
        const float x2 = delta - a;
        x = std::fabs(x1) > std::fabs(x2) ? x2 : x1;
    }
    if (x > maxPulseAmplitude) x = maxPulseAmplitude;
    if (x < -maxPulseAmplitude) x = -maxPulseAmplitude;
    return x;
}

float smoothNoiseGain(float noiseGain, int32_t sidGainIndex, int32_t prevFrameType) {
    const float target = sidGainTable[sidGainIndex & 63];
    if (prevFrameType == 1) return target;
    return 0.125f * target + 0.875f * noiseGain;
}

void makeNoiseExcitation(float* exc, FrameParams* params, int16_t* seed, float gain) {
    params->pitchLag[0] = 123 + randomBelow(21, seed);
    params->pitchLag[1] = 123 + randomBelow(21, seed);
    for (int32_t i = 0; i < 4; ++i) params->sub[i].lagDelta = lagDeltas[i];
    for (int32_t i = 0; i < 4; ++i) params->sub[i].acbGainIndex = 1 + randomBelow(50, seed);
    NoisePulses pulses;
    drawPulses(&pulses, seed);

    const float energyOffset = -120.0f * (gain * gain);
    for (int32_t b = 0; b < 2; ++b) {
        for (int32_t i = 2 * b; i <= 2 * b + 1; ++i) {
            const int32_t lag = params->pitchLag[i / 2] + params->sub[i].lagDelta - 1;
            buildAdaptiveVector(exc, subframeLength * i, lag, acbGainTable170[params->sub[i].acbGainIndex]);
        }
        addBlockPulses(exc + blockLength * b, pulses.position[b], pulses.sign[b], energyOffset);
        putOnGrid(exc + blockLength * b, blockLength);
    }
}

void DecoderState::comfortNoiseFrame(float* exc, FrameParams* params, float* lspVect, const float* prevLsp) {
    if (params->frameType == 2) {
        sidGainIndex = params->sidGainCode;
        decodeLsp(lspVect, prevLsp, params->lspIndex, 0);
    }
    noiseGain = smoothNoiseGain(noiseGain, sidGainIndex, prevFrameType);
    makeNoiseExcitation(exc, params, &noiseSeed, noiseGain);
    if (params->frameType == 0) std::memcpy(lspVect, prevLsp, sizeof(float) * lpcOrder);
}
