// When a received stream counts as a complete clip.
#pragma once

#include <cstdint>

namespace avs {

// Complete when the stream went past its placed block with the block in its
// place, carried more than its header (a header alone is no clip), and its
// length was announced and every byte of it arrived.
bool isCompleteStream(bool blockInPlace, uint64_t bytesReceived, uint64_t announcedLength);

}  // namespace avs
