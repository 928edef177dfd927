// RIFF walk: "RIFF" size "AVI " followed by chunks of (identifier, 32-bit
// little-endian size, data padded to an even length). A file is truncated when
// the RIFF size or any chunk reaches past its end. Chunks are walked up to the
// end of the RIFF form; bytes after it (further RIFF forms) are not examined.
#include "avi_scan.h"

#include <cstring>

namespace avspack {

namespace {

constexpr uint64_t kRiffHeaderSize = 12;
constexpr uint64_t kChunkHeaderSize = 8;

uint32_t readWord(const uint8_t* in) {
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

// A four-character code for a message, with unprintable bytes as '?'.
std::string fourCc(const uint8_t* code) {
    std::string text = "'";
    for (int i = 0; i < 4; ++i) text += (code[i] >= 0x20 && code[i] < 0x7f) ? char(code[i]) : '?';
    return text + "'";
}

bool readAt(BinaryFile& file, uint64_t offset, uint8_t* data, std::size_t length, std::string& error) {
    if (file.seekTo(offset) && file.read(data, length)) return true;
    error = "cannot read it: " + file.lastError();
    return false;
}

// Checks the 12-byte RIFF header; riffEnd gets the end of the RIFF form.
bool checkRiffHeader(BinaryFile& file, uint64_t fileSize, uint64_t& riffEnd, std::string& error) {
    uint8_t header[kRiffHeaderSize] = {};
    const std::size_t present = std::size_t(fileSize < kRiffHeaderSize ? fileSize : kRiffHeaderSize);
    if (!readAt(file, 0, header, present, error)) return false;
    const bool riff = std::memcmp(header, "RIFF", present < 4 ? present : 4) == 0;
    if (present == 0 || !riff) {
        error = present ? "not a RIFF AVI file (it does not begin with 'RIFF')" : "not a RIFF AVI file (it is empty)";
        return false;
    }
    if (present < kRiffHeaderSize) {
        error = "truncated: " + std::to_string(fileSize) + " bytes, shorter than a RIFF header";
        return false;
    }
    if (std::memcmp(header + 8, "AVI ", 4) != 0) {
        error = "not a RIFF AVI file (its RIFF form is " + fourCc(header + 8) + ", not 'AVI ')";
        return false;
    }
    riffEnd = kChunkHeaderSize + readWord(header + 4);
    if (riffEnd > fileSize) {
        error = "truncated: its RIFF header announces " + std::to_string(riffEnd) + " bytes but the file has " +
                std::to_string(fileSize);
        return false;
    }
    return true;
}

}  // namespace

bool scanAvi(BinaryFile& file, AviScan& scan, std::string& error) {
    scan = AviScan();
    if (!file.size(scan.fileSize)) {
        error = "cannot read it: " + file.lastError();
        return false;
    }
    uint64_t riffEnd = 0;
    if (!checkRiffHeader(file, scan.fileSize, riffEnd, error)) return false;

    for (uint64_t pos = kRiffHeaderSize; pos + kChunkHeaderSize <= riffEnd;) {
        uint8_t chunk[kChunkHeaderSize];
        if (!readAt(file, pos, chunk, sizeof chunk, error)) return false;
        const uint32_t dataSize = readWord(chunk + 4);
        const uint64_t dataEnd = pos + kChunkHeaderSize + dataSize;
        if (dataEnd > scan.fileSize) {
            error = "truncated: chunk " + fourCc(chunk) + " at offset " + std::to_string(pos) + " ends at " +
                    std::to_string(dataEnd) + " but the file has " + std::to_string(scan.fileSize) + " bytes";
            return false;
        }
        if (!scan.hasIndex && std::memcmp(chunk, "idx1", 4) == 0) {
            scan.hasIndex = true;
            scan.indexOffset = pos;
        }
        pos = dataEnd + (dataSize & 1);
    }
    return true;
}

}  // namespace avspack
