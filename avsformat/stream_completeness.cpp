// The completeness rule of a received stream.
#include "stream_completeness.h"

#include <algorithm>

#include "stream_acceptance.h"

namespace avs {

bool isCompleteStream(bool blockInPlace, uint64_t bytesReceived, uint64_t announcedLength) {
    return blockInPlace && bytesReceived > kStreamHeaderSize && announcedLength != 0 &&
           bytesReceived == announcedLength;
}

uint64_t riffFileLength(const uint8_t head[kStreamHeaderSize]) {
    if (head[0] != 'R' || head[1] != 'I' || head[2] != 'F' || head[3] != 'F') return 0;
    const uint32_t size =
        uint32_t(head[4]) | uint32_t(head[5]) << 8 | uint32_t(head[6]) << 16 | uint32_t(head[7]) << 24;
    return uint64_t(size) + 8;
}

uint64_t gaplessClipLength(const StreamHeader& header, bool blockInPlace, uint64_t clipWritten) {
    if (!blockInPlace || header.blockLength == 0 || header.blockOffset > clipWritten) return clipWritten;
    return std::max(clipWritten, uint64_t(header.blockOffset) + header.blockLength);
}

bool isCompleteStream(const StreamEnd& end) {
    if (!end.blockInPlace || end.bytesReceived <= kStreamHeaderSize) return false;
    if (end.announcedLength != 0)
        return acceptsHeader(end.header, end.announcedLength) && end.bytesReceived == end.announcedLength;
    return end.endedNormally && acceptsHeader(end.header, end.bytesReceived) && end.riffLength != 0 &&
           end.gaplessLength >= end.riffLength;
}

}  // namespace avs
