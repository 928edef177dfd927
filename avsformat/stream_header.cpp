// Little-endian encoding of the stream header.
#include "stream_header.h"

namespace avs {

namespace {

void putWord(uint32_t value, uint8_t* out) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t getWord(const uint8_t* in) {
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

}  // namespace

void encodeStreamHeader(const StreamHeader& header, uint8_t out[kStreamHeaderSize]) {
    putWord(header.blockOffset, out);
    putWord(header.blockLength, out + 4);
}

StreamHeader decodeStreamHeader(const uint8_t in[kStreamHeaderSize]) {
    StreamHeader header;
    header.blockOffset = getWord(in);
    header.blockLength = getWord(in + 4);
    return header;
}

}  // namespace avs
