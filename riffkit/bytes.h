// Little-endian 16- and 32-bit fields, as RIFF files store them.
#pragma once

#include <cstdint>
#include <vector>

namespace kit {

inline uint16_t readLe16(const uint8_t* in) { return uint16_t(in[0] | in[1] << 8); }

inline uint32_t readLe32(const uint8_t* in) {
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

inline void putLe16(uint8_t* out, uint32_t value) {
    out[0] = uint8_t(value);
    out[1] = uint8_t(value >> 8);
}

inline void putLe32(uint8_t* out, uint32_t value) {
    putLe16(out, value & 0xFFFF);
    putLe16(out + 2, value >> 16);
}

inline void appendLe16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

inline void appendLe32(std::vector<uint8_t>& out, uint32_t value) {
    appendLe16(out, value & 0xFFFF);
    appendLe16(out, value >> 16);
}

}  // namespace kit
