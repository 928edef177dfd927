// The placement rules of the placed block and the start threshold.
#include "stream_placement.h"

#include <algorithm>

namespace avs {

uint64_t blockPlacementPoint(const StreamHeader& header, uint32_t gapBound) {
    if (header.blockLength == 0 || header.blockOffset <= gapBound) return 0;
    return header.blockOffset - gapBound;
}

bool mayPlaceBlock(const StreamHeader& header, uint64_t clipWritten, uint32_t gapBound) {
    return clipWritten >= blockPlacementPoint(header, gapBound);
}

uint32_t startBytes(const StreamHeader& header, uint32_t gapBound) {
    uint64_t start = uint64_t(header.blockLength) + kStartAfterBlock;
    const uint64_t placement = blockPlacementPoint(header, gapBound);
    if (placement != 0) start = std::max<uint64_t>(start, kStreamHeaderSize + uint64_t(header.blockLength) + placement);
    return uint32_t(std::min<uint64_t>(start, 0xFFFFFFFF));
}

}  // namespace avs
