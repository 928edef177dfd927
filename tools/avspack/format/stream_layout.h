// Where the parts of a packed stream of known length land in the rebuilt
// clip, and whether the plug-in accepts the stream at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "stream_header.h"

namespace avs {

// Reasons for which the plug-in ends a stream right after its header.
enum class LayoutProblem {
    BlockBeyondStream,  // blockLength is more than the stream carries after the header
    BlockBeyondClip,    // a non-empty block lies past the clip data, so the gap would be padding
};

struct StreamLayout {
    StreamHeader header;                  // the stream's header words
    uint64_t streamLength = 0;            // bytes of the whole stream, header included
    uint64_t blockEnd = 0;                // blockOffset + blockLength, without 32-bit wrap
    uint64_t clipDataLength = 0;          // bytes after the placed block (written from offset 0)
    uint64_t clipLength = 0;              // length of the rebuilt clip (when accepted)
    uint64_t overlapLength = 0;           // bytes of the placed block that clip data writes over
    std::vector<LayoutProblem> problems;  // empty when the plug-in accepts the stream
};

// Lays out a stream of streamLength bytes (at least the 8 header bytes).
StreamLayout layStream(const StreamHeader& header, uint64_t streamLength);

bool isAccepted(const StreamLayout& layout);

// One sentence on a problem, with the layout's figures.
std::string describeProblem(LayoutProblem problem, const StreamLayout& layout);

}  // namespace avs
