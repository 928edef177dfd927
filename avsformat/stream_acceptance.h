// Whether a stream is taken, decided by its header and the stream length the
// sender announced (0 when not known): the placed block must fit the stream.
#pragma once

#include <cstdint>

#include "stream_header.h"

namespace avs {

// Farthest clip offset at which a placed block may begin: clip files are
// positioned with signed 32-bit offsets.
constexpr uint32_t kMaxBlockOffset = 0x7FFFFFFF;

enum class HeaderProblem {
    None,               // the stream is taken
    BlockBeyondStream,  // blockLength is more than the announced stream carries after the header
    BlockBeyondClip,    // the block lies past the clip data, so the gap would be padding
    BlockOutOfReach,    // the block begins beyond kMaxBlockOffset
    StreamTooShort,     // a whole stream shorter than its header (layStream only)
};

// An empty block needs no place and is always taken. Where a length is
// announced, the clip data fills offsets 0 .. length - 8 - blockLength - 1 and
// the block may not reach beyond that. Without an announced length any block
// within reach is taken.
HeaderProblem headerProblem(const StreamHeader& header, uint64_t announcedLength);

inline bool acceptsHeader(const StreamHeader& header, uint64_t announcedLength) {
    return headerProblem(header, announcedLength) == HeaderProblem::None;
}

}  // namespace avs
