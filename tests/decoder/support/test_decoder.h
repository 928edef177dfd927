// One decoder object for tests: reset at construction, frames in, 240
// samples out; an empty frame stands for a lost frame.
#pragma once

#include "decoder_state.h"

#include <cstdint>
#include <vector>

struct TestDecoder {
    DecoderState state;
    TestDecoder() { state.reset(1); }
    std::vector<int16_t> decode(const std::vector<uint8_t>& frame) {
        std::vector<int16_t> out(240);
        state.decodeSoundFrame(frame.empty() ? nullptr : frame.data(), out.data());
        return out;
    }
};
