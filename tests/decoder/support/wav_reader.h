// Reads the samples of a 16-bit mono PCM WAV file (any extra chunks skipped).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bitstream_file.h"

// Returns false when the file is missing or not 16-bit mono PCM.
inline bool readMonoWav(const std::string& path, std::vector<int16_t>& samples, uint32_t& rate) {
    const std::vector<uint8_t> d = readFileBytes(path);
    auto u32 = [&](size_t p) { return d[p] | d[p + 1] << 8 | d[p + 2] << 16 | static_cast<uint32_t>(d[p + 3]) << 24; };
    auto u16 = [&](size_t p) { return static_cast<uint16_t>(d[p] | d[p + 1] << 8); };
    if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) != 0 || std::memcmp(d.data() + 8, "WAVE", 4) != 0) {
        return false;
    }
    bool format = false;
    for (size_t p = 12; p + 8 <= d.size();) {
        const uint32_t size = u32(p + 4);
        const size_t body = p + 8;
        if (body + size > d.size()) return false;
        if (std::memcmp(d.data() + p, "fmt ", 4) == 0 && size >= 16) {
            format = u16(body) == 1 && u16(body + 2) == 1 && u16(body + 14) == 16;
            rate = u32(body + 4);
        } else if (std::memcmp(d.data() + p, "data", 4) == 0 && format) {
            samples.resize(size / 2);
            for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(u16(body + 2 * i));
            return true;
        }
        p = body + size + (size & 1);
    }
    return false;
}
