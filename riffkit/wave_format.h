// The audio format record shared by WAV "fmt " chunks and AVI audio "strf"
// chunks (WAVEFORMATEX), and the names of common format tags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kit {

constexpr uint16_t g7231FormatTag = 0x0042;

struct WaveFormat {
    uint16_t formatTag;  // the codec; for WAVE_FORMAT_EXTENSIBLE the tag inside its sub-format
    uint16_t channels;   // channel count
};

// Parses the record in bytes[0..size); false when it is shorter than the 16
// bytes every format record has.
bool parseWaveFormat(const uint8_t* bytes, size_t size, WaveFormat& format);

// "0x0001 (PCM)": the tag in hex, with its name when it is a common one.
std::string formatTagText(uint16_t tag);

}  // namespace kit
