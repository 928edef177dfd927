// RIFF chunk iteration and little-endian helpers.
#include "riff.h"

#include <algorithm>
#include <cstring>

namespace g723dec {

bool Chunk::is(const char* fourcc) const
{
    return std::memcmp(id, fourcc, 4) == 0;
}

bool Chunk::isList(const char* type) const
{
    return (is("LIST") || is("RIFF")) && std::memcmp(listType, type, 4) == 0;
}

ChunkWalker::ChunkWalker(InputFile& file, uint64_t begin, uint64_t end)
    : file_(file), position_(begin), end_(std::min(end, file.size()))
{
}

bool ChunkWalker::next(Chunk& chunk)
{
    uint8_t header[12];
    if (position_ >= end_ || end_ - position_ < 8) {
        return false;
    }
    size_t got = file_.readAt(position_, header, std::min<uint64_t>(12, end_ - position_));
    if (got < 8) {
        return false;
    }
    std::memcpy(chunk.id, header, 4);
    std::memset(chunk.listType, ' ', 4);
    chunk.offset = position_;
    chunk.declaredSize = readLe32(header + 4);
    chunk.dataEnd = std::min(position_ + 8 + chunk.declaredSize, end_);
    if ((chunk.is("RIFF") || chunk.is("LIST")) && got == 12) {
        std::memcpy(chunk.listType, header + 8, 4);
    }
    position_ += 8 + chunk.declaredSize + (chunk.declaredSize & 1);
    return true;
}

uint16_t readLe16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t readLe32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

std::string fourccText(const char* id)
{
    std::string text(id, 4);
    for (char& c : text) {
        if (c < 0x20 || c > 0x7E) {
            c = '?';
        }
    }
    return text;
}

}  // namespace g723dec
