// When a received stream counts as a complete clip.
#pragma once

#include <cstdint>

#include "stream_header.h"

namespace avs {

// Complete when the stream went past its placed block with the block in its
// place, carried more than its header (a header alone is no clip), and its
// length was announced and every byte of it arrived.
bool isCompleteStream(bool blockInPlace, uint64_t bytesReceived, uint64_t announcedLength);

// The length of the clip file that its first 8 bytes ("RIFF" and the size of
// what follows) claim; 0 when they are no RIFF header.
uint64_t riffFileLength(const uint8_t head[kStreamHeaderSize]);

// Bytes of the clip from offset 0 on that arrived without a gap: the clip data
// written, and a placed block in its place that they reach.
uint64_t gaplessClipLength(const StreamHeader& header, bool blockInPlace, uint64_t clipWritten);

// What a receiver knows when a stream has ended.
struct StreamEnd {
    StreamHeader header;           // the stream's header (once it arrived)
    bool blockInPlace = false;     // the stream went past its placed block, the block in its place
    uint64_t bytesReceived = 0;    // stream bytes received, header included
    uint64_t announcedLength = 0;  // the stream length as the sender knows it at the end, 0 = never announced
    bool endedNormally = false;    // the sender reported the end of the stream, not an error or a break
    uint64_t gaplessLength = 0;    // gaplessClipLength of what arrived
    uint64_t riffLength = 0;       // riffFileLength of the clip's first bytes
};

// With a length announced, the header must fit that length and every byte of
// it must have arrived. Without one, the stream must have ended normally, its
// header must fit the bytes that arrived, and the clip must hold, without a
// gap, every byte its RIFF header claims.
bool isCompleteStream(const StreamEnd& end);

}  // namespace avs
