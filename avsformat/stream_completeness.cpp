// The completeness rule of a received stream.
#include "stream_completeness.h"

#include "stream_header.h"

namespace avs {

bool isCompleteStream(bool blockInPlace, uint64_t bytesReceived, uint64_t announcedLength) {
    return blockInPlace && bytesReceived > kStreamHeaderSize && announcedLength != 0 &&
           bytesReceived == announcedLength;
}

}  // namespace avs
