// One decoder object per stream (any number may run side by side), and the
// check for invalid codes that the frame statistics report.
#pragma once

#include <cstdint>

#include "decoder_state.h"
#include "frame_reader.h"

namespace g723dec {

class FrameDecoder {
public:
    // Starts a new stream.
    void reset() { state_.reset(1); }
    // Decodes frame into 240 samples; a null frame is a lost frame.
    void decode(const Frame* frame, int16_t* samples)
    {
        state_.decodeSoundFrame(frame != nullptr ? frame->bytes : nullptr, samples);
    }

private:
    DecoderState state_;  // the stream's decoder, reset at construction
};

// True when unpacking finds an invalid pitch-lag or gain code in a speech
// frame, so that the decoder conceals it (or plays comfort noise).
bool hasInvalidCodes(const Frame& frame);

}  // namespace g723dec
