// Format record parsing and format tag names.
#include "wave_format.h"

#include <cstdio>

#include "bytes.h"

namespace kit {

namespace {

constexpr uint16_t extensibleTag = 0xFFFE;
constexpr size_t extensibleSize = 40;   // WAVEFORMATEX (18) + 22 bytes of extension
constexpr size_t subFormatOffset = 24;  // the sub-format GUID starts with the format tag

const char* tagName(uint16_t tag) {
    switch (tag) {
    case 0x0001:
        return "PCM";
    case 0x0002:
        return "Microsoft ADPCM";
    case 0x0003:
        return "IEEE float";
    case 0x0006:
        return "A-law";
    case 0x0007:
        return "mu-law";
    case 0x0011:
        return "IMA ADPCM";
    case 0x0031:
        return "GSM 6.10";
    case 0x0042:
        return "G.723.1";
    case 0x0050:
        return "MPEG audio";
    case 0x0055:
        return "MP3";
    case 0x00FF:
        return "AAC";
    case 0x2000:
        return "AC-3";
    case 0xFFFE:
        return "extensible";
    default:
        return nullptr;
    }
}

}  // namespace

bool parseWaveFormat(const uint8_t* bytes, size_t size, WaveFormat& format) {
    if (size < 16) return false;
    format.formatTag = readLe16(bytes);
    format.channels = readLe16(bytes + 2);
    if (format.formatTag == extensibleTag && size >= extensibleSize)
        format.formatTag = readLe16(bytes + subFormatOffset);
    return true;
}

std::string formatTagText(uint16_t tag) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04X", tag);
    const char* name = tagName(tag);
    return name != nullptr ? std::string(hex) + " (" + name + ")" : std::string(hex);
}

}  // namespace kit
