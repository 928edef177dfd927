// The 8-byte header at the start of a clip stream: where the placed block
// belongs in the clip and how long it is (two little-endian words).
#pragma once

#include <cstddef>
#include <cstdint>

namespace avs {

constexpr std::size_t kStreamHeaderSize = 8;

struct StreamHeader {
    uint32_t blockOffset = 0;  // clip file offset at which the placed block belongs
    uint32_t blockLength = 0;  // bytes of the placed block that follow the header
};

// Writes the header as two little-endian 32-bit words into out[0..7].
void encodeStreamHeader(const StreamHeader& header, uint8_t out[kStreamHeaderSize]);

// Reads the header from the first 8 bytes of a stream.
StreamHeader decodeStreamHeader(const uint8_t in[kStreamHeaderSize]);

}  // namespace avs
