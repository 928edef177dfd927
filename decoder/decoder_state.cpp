// The decoder object's life: reset, the per-call entry (frame kinds and word
// counts) and the replacement of lost frames from the last output.
#include "decoder_state.h"

#include <cstring>

#include "bit_unpack.h"
#include "tables/lsp_tables.h"

namespace {

constexpr int16_t maxLostCount = 10;
constexpr int16_t initialNoiseSeed = 12345;

}  // namespace

DecoderState::DecoderState()
{
    reset(0);
}

void DecoderState::reset(int32_t mode)
{
    erasureCount = 0;
    postTilt = 0.0f;
    concealSeed = 0;
    concealLag = 0;
    concealGain = 0.0f;
    std::memcpy(prevLsp, lspDcVector, sizeof prevLsp);
    std::memset(excitation, 0, sizeof excitation);
    std::memset(synthBuf, 0, sizeof synthBuf);
    std::memset(postBuf, 0, sizeof postBuf);
    prevFrameType = 1;
    noiseSeed = initialNoiseSeed;
    sidGainIndex = 0;
    noiseGain = 0.0f;

    lowRate = (mode & 0xFFFF) == 0 ? 1 : 0;
    postfilterOn = 1;
    lostCount = 0;
    std::memset(frameBuf, 0, sizeof frameBuf);
    std::memset(outBuf, 0, sizeof outBuf);
}

int32_t DecoderState::decodeSoundFrame(const void* frame, int16_t* samples)
{
    if (frame == nullptr) {
        replaceLostFrame(samples);
        return 1;
    }
    static const int32_t wordsOfKind[4] = {12, 10, 2, 1};
    int32_t kind = static_cast<const uint8_t*>(frame)[0] & 3;
    int32_t words = wordsOfKind[kind];
    lowRate = kind == 1 ? 1 : 0;
    lostCount = 0;
    std::memcpy(frameBuf, frame, 2 * static_cast<size_t>(words));
    decodeFrame(outBuf, frameBuf, lowRate, postfilterOn, 0);
    std::memcpy(samples, outBuf, sizeof outBuf);
    return words;
}

// Plays the last output backwards with the gain f^i, f = 0.995 - 0.001 *
// lostCount; the replacement becomes the last output. The decoder's history
// is left as the last received frame left it.
void DecoderState::replaceLostFrame(int16_t* samples)
{
    double step = lostCount * -0.001 + 0.995;
    double gain = 1.0;
    for (int32_t i = 0; i < frameLength; ++i) {
        samples[i] = static_cast<int16_t>(static_cast<int32_t>(outBuf[frameLength - 1 - i] * gain));
        gain *= step;
    }
    std::memcpy(outBuf, samples, sizeof outBuf);
    if (lostCount < maxLostCount) {
        ++lostCount;
    }
}
