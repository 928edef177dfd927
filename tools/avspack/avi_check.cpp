// A complete RIFF AVI: "RIFF" size "AVI " followed by chunks, none of which
// reaches past the end of the file, nor does the RIFF size. Bytes after the
// RIFF form (further RIFF forms) are not checked.
#include "avi_check.h"

#include <cstring>

#include "bytes.h"

namespace avspack {

namespace {

constexpr uint64_t kRiffHeaderSize = 12;

std::string quoted(const char* code) { return "'" + kit::fourccText(code) + "'"; }

// Checks the 12-byte RIFF header against the size of the file.
bool checkRiffHeader(kit::File& file, uint64_t fileSize, std::string& error) {
    uint8_t header[kRiffHeaderSize] = {};
    const std::size_t present = std::size_t(fileSize < kRiffHeaderSize ? fileSize : kRiffHeaderSize);
    if (!file.seekTo(0) || !file.readExactly(header, present)) {
        error = "cannot read it: " + file.lastError();
        return false;
    }
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
        error = "not a RIFF AVI file (its RIFF form is " + quoted(reinterpret_cast<const char*>(header + 8)) +
                ", not 'AVI ')";
        return false;
    }
    const uint64_t riffEnd = 8 + uint64_t(kit::readLe32(header + 4));
    if (riffEnd > fileSize) {
        error = "truncated: its RIFF header announces " + std::to_string(riffEnd) + " bytes but the file has " +
                std::to_string(fileSize);
        return false;
    }
    return true;
}

}  // namespace

bool checkAvi(kit::File& file, uint64_t& fileSize, kit::AviScan& scan, std::string& error) {
    if (!file.size(fileSize)) {
        error = "cannot read it: " + file.lastError();
        return false;
    }
    if (!checkRiffHeader(file, fileSize, error)) return false;
    if (!kit::scanAvi(file, fileSize, scan)) {
        error = "cannot read it: " + file.lastError();
        return false;
    }
    if (scan.hasOverrun) {
        const kit::Chunk& chunk = scan.overrun;
        error = "truncated: chunk " + quoted(chunk.id) + " at offset " + std::to_string(chunk.offset) + " ends at " +
                std::to_string(chunk.dataOffset() + chunk.declaredSize) + " but the file has " +
                std::to_string(fileSize) + " bytes";
        return false;
    }
    return true;
}

}  // namespace avspack
