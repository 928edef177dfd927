// Decodes one fuzzing input as a stream of frames, shared by the libFuzzer
// harness and the regression test that replays the kept inputs.
//
// Input layout: two bytes of loss mask (bit i % 16 set: frame i is lost and
// passed as a null frame), then frames back to back, each as long as its kind
// (bits 0-1 of its first byte) says; a short last frame is padded with zeros.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "decoder_state.h"
#include "speechdec.h"

namespace fuzzing {

inline bool allFinite(const float* v, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        if (!std::isfinite(v[i])) return false;
    }
    return true;
}

// True when every value the samples were made from is finite.
inline bool soundState(const DecoderState& s) {
    return std::isfinite(s.postTilt) && std::isfinite(s.concealGain) && std::isfinite(s.noiseGain) &&
           allFinite(s.prevLsp, lpcOrder) && allFinite(s.excitation, excitationHistory + frameLength) &&
           allFinite(s.synthBuf, lpcOrder + frameLength) && allFinite(s.postBuf, lpcOrder + frameLength);
}

// Decodes the input through the library's exports (reset with INITdec) and,
// frame by frame alongside, through a decoder object whose state is checked.
// Returns false on any unsound value, wrong word count or disagreement.
inline bool decodeInput(const uint8_t* data, size_t size) {
    if (size < 2) return true;
    const uint32_t lossMask = data[0] | (static_cast<uint32_t>(data[1]) << 8);
    INITdec(data[0]);
    auto shadow = std::make_unique<DecoderState>();
    shadow->reset(data[0]);

    int16_t samples[frameLength];
    int16_t shadowSamples[frameLength];
    size_t pos = 2;
    for (int32_t index = 0; pos < size; ++index) {
        const size_t length = static_cast<size_t>(speechdecFrameBytes(data[pos] & 3));
        const size_t available = size - pos < length ? size - pos : length;
        // Exactly as many bytes as the kind needs: a read beyond them is caught.
        std::vector<uint8_t> frame(data + pos, data + pos + available);
        frame.resize(length, 0);
        pos += available;

        const bool lost = ((lossMask >> (index % 16)) & 1) != 0;
        const void* frameOrNull = lost ? nullptr : frame.data();
        const int32_t words = DecSoundFrame(frameOrNull, samples);
        const int32_t shadowWords = shadow->decodeSoundFrame(frameOrNull, shadowSamples);
        if (words != (lost ? 1 : static_cast<int32_t>(length / 2)) || shadowWords != words) return false;
        if (std::memcmp(samples, shadowSamples, sizeof samples) != 0) return false;
        if (!soundState(*shadow)) return false;
    }
    return true;
}

}  // namespace fuzzing
