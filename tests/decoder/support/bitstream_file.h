// Whole files for the decoder tests: a file's bytes, and a stored bitstream
// (frames back to back, each as long as its kind says) decoded from a reset
// decoder.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "decoder_state.h"

// The file's bytes; empty when it cannot be read.
inline std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// 240 samples a frame; a frame cut short by the end of the stream is dropped.
inline std::vector<int16_t> decodeBitstream(const std::vector<uint8_t>& stream) {
    DecoderState decoder;
    std::vector<int16_t> out;
    for (size_t pos = 0; pos < stream.size();) {
        const size_t bytes = static_cast<size_t>(speechdecFrameBytes(stream[pos] & 3));
        if (pos + bytes > stream.size()) break;
        int16_t pcm[frameLength];
        decoder.decodeSoundFrame(stream.data() + pos, pcm);
        out.insert(out.end(), pcm, pcm + frameLength);
        pos += bytes;
    }
    return out;
}
