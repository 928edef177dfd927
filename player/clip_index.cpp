// Index entries: chunk identifier (stream number in two digits, then "dc" or
// "db" for pictures, "pc" for palette changes, "wb" for sound), flags,
// offset of the chunk header and data size.
#include "clip_index.h"

#include <cstdio>
#include <cstring>

#include "bytes.h"

namespace player {

namespace {

constexpr std::size_t kEntrySize = 16;
constexpr uint32_t kKeyFrameFlag = 0x10;

// Writers differ in numbering streams from 10 on in decimal or in hex.
bool isStreamChunk(const uint8_t* id, int stream, const char* kind) {
    if (stream < 0) return false;
    char decimal[8];
    char hex[8];
    std::snprintf(decimal, sizeof decimal, "%02d%s", stream % 100, kind);
    std::snprintf(hex, sizeof hex, "%02x%s", stream & 0xFF, kind);
    return std::memcmp(id, decimal, 4) == 0 || std::memcmp(id, hex, 4) == 0;
}

ChunkPlace placeOf(const uint8_t* entry, uint64_t base, uint64_t clipLength) {
    const uint64_t header = base + kit::readLe32(entry + 8);
    const uint32_t size = kit::readLe32(entry + 12);
    if (header + 8 + size > clipLength) return {0, 0};
    return {header + 8, size};
}

}  // namespace

bool readClipIndex(const uint8_t* indexData, std::size_t size, uint64_t moviTypeOffset, uint64_t clipLength,
                   int videoStream, int soundStream, ClipIndex& index, std::string& error) {
    index = ClipIndex();
    const std::size_t count = size / kEntrySize;
    // Offsets from the "movi" type field start small; absolute ones lie beyond it.
    const uint64_t base = count > 0 && kit::readLe32(indexData + 8) > moviTypeOffset ? 0 : moviTypeOffset;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t* entry = indexData + i * kEntrySize;
        if (isStreamChunk(entry, videoStream, "dc") || isStreamChunk(entry, videoStream, "db")) {
            FrameEntry frame;
            frame.data = placeOf(entry, base, clipLength);
            frame.key = (kit::readLe32(entry + 4) & kKeyFrameFlag) != 0;
            frame.paletteChanges = index.paletteChanges.size();
            index.frames.push_back(frame);
        } else if (isStreamChunk(entry, videoStream, "pc")) {
            index.paletteChanges.push_back(placeOf(entry, base, clipLength));
        } else if (isStreamChunk(entry, soundStream, "wb")) {
            index.sound.push_back(placeOf(entry, base, clipLength));
        }
    }
    if (index.frames.empty()) return error = "the clip's index lists no video frame", false;
    return true;
}

}  // namespace player
