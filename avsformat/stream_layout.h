// Where the parts of a whole stream of known length land in the rebuilt clip,
// and whether the stream is taken at all (the acceptance rule).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "stream_acceptance.h"

namespace avs {

struct StreamLayout {
    StreamHeader header;                  // the stream's header words
    uint64_t streamLength = 0;            // bytes of the whole stream, header included
    uint64_t blockEnd = 0;                // blockOffset + blockLength, without 32-bit wrap
    uint64_t clipDataLength = 0;          // bytes after the placed block (written from offset 0)
    uint64_t clipLength = 0;              // length of the rebuilt clip (when accepted)
    uint64_t overlapLength = 0;           // bytes of the placed block that clip data writes over
    std::vector<HeaderProblem> problems;  // empty when the stream is taken
};

// Lays out a stream of streamLength bytes; one shorter than its header is refused.
StreamLayout layStream(const StreamHeader& header, uint64_t streamLength);

bool isAccepted(const StreamLayout& layout);

// One sentence on a problem, with the layout's figures.
std::string describeProblem(HeaderProblem problem, const StreamLayout& layout);

}  // namespace avs
