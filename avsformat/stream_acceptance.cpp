// The acceptance rule of a stream header.
#include "stream_acceptance.h"

namespace avs {

HeaderProblem headerProblem(const StreamHeader& header, uint64_t announcedLength) {
    if (header.blockLength == 0) return HeaderProblem::None;
    if (announcedLength != 0) {
        const uint64_t payload = announcedLength < kStreamHeaderSize ? 0 : announcedLength - kStreamHeaderSize;
        if (header.blockLength > payload) return HeaderProblem::BlockBeyondStream;
        if (uint64_t(header.blockOffset) + header.blockLength > payload) return HeaderProblem::BlockBeyondClip;
    }
    if (header.blockOffset > kMaxBlockOffset) return HeaderProblem::BlockOutOfReach;
    return HeaderProblem::None;
}

}  // namespace avs
