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
    // Decodes count frames in a row into count * 240 samples (a null frame is
    // a lost frame), as one decodeSoundFrame call per frame would, but with
    // the frames overlapped in the decoder, which is faster.
    void decode(const Frame* const* frames, int count, int16_t* samples) {
        const void* bytes[maxBatchFrames];
        for (int first = 0; first < count; first += maxBatchFrames) {
            const int n = count - first < maxBatchFrames ? count - first : maxBatchFrames;
            for (int i = 0; i < n; ++i) {
                bytes[i] = frames[first + i] != nullptr ? frames[first + i]->bytes : nullptr;
            }
            state_.decodeSoundFrames(bytes, n, samples + 240 * first);
        }
    }

private:
    static constexpr int maxBatchFrames = 64;  // frames handed to the decoder at once
    DecoderState state_;                       // the stream's decoder, reset at construction
};

// True when unpacking finds an invalid pitch-lag or gain code in a speech
// frame, so that the decoder conceals it (or plays comfort noise).
bool hasInvalidCodes(const Frame& frame);

}  // namespace g723dec
