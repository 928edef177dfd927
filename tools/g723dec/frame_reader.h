// Splits a byte stream into frames. The frame kind in bits 0-1 of the first
// byte fixes the length (speechdecFrameBytes), except that files hold the
// untransmitted kind 3 in one byte where the decoder library counts one
// 16-bit word.
#pragma once

#include <cstdint>

#include "byte_source.h"
#include "speechdec.h"

namespace g723dec {

enum class Framing {
    bytes,
    words
};

constexpr int maxFrameSize = SPEECHDEC_MAX_FRAME_BYTES;

// Length in bytes of a frame of the given kind (0..3) in the given framing.
int frameSize(int kind, Framing framing);

struct Frame {
    uint8_t bytes[maxFrameSize];  // the frame, zero beyond its length
    int kind;                     // bits 0-1 of the first byte
    int size;                     // bytes the frame occupies in the input
    uint64_t offset;              // file offset of its first byte
};

enum class ReadOutcome {
    frame,      // a complete frame was read
    end,        // the data ended at a frame boundary
    truncated,  // the data ended inside a frame; see truncatedBytes()
    failed,     // a read error; see the source's file()
};

class FrameReader {
public:
    FrameReader(ByteSource& source, Framing framing) : source_(source), framing_(framing) {}

    // Reads the next frame. On truncated, frame holds the kind, the expected
    // size and the offset of the incomplete frame.
    ReadOutcome next(Frame& frame);
    // Bytes present of the incomplete last frame after next() reported truncated.
    int truncatedBytes() const { return truncatedBytes_; }

private:
    ByteSource& source_;
    Framing framing_;
    int truncatedBytes_ = 0;
};

}  // namespace g723dec
