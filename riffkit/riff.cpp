// RIFF chunk iteration.
#include "riff.h"

#include <algorithm>
#include <cstring>

#include "bytes.h"

namespace kit {

bool Chunk::is(const char* fourcc) const { return std::memcmp(id, fourcc, 4) == 0; }

bool Chunk::isList(const char* type) const { return (is("LIST") || is("RIFF")) && std::memcmp(listType, type, 4) == 0; }

bool ChunkWalker::next(Chunk& chunk) {
    uint8_t header[12];
    if (m_position >= m_end || m_end - m_position < 8) return false;
    const std::size_t got = m_file.readAt(m_position, header, std::size_t(std::min<uint64_t>(12, m_end - m_position)));
    if (got < 8) return false;
    std::memcpy(chunk.id, header, 4);
    std::memset(chunk.listType, ' ', 4);
    chunk.offset = m_position;
    chunk.declaredSize = readLe32(header + 4);
    chunk.dataEnd = std::min(m_position + 8 + chunk.declaredSize, m_end);
    if ((chunk.is("RIFF") || chunk.is("LIST")) && got == 12) std::memcpy(chunk.listType, header + 8, 4);
    m_position += 8 + chunk.declaredSize + (chunk.declaredSize & 1);
    return true;
}

std::string fourccText(const char* id) {
    std::string text(id, 4);
    for (char& c : text) {
        if (c < 0x20 || c > 0x7E) c = '?';
    }
    return text;
}

}  // namespace kit
