// Walking the chunks of a RIFF file (WAV, AVI): chunk headers, list types and
// four-character codes.
#pragma once

#include <cstdint>
#include <string>

#include "random_access.h"

namespace kit {

struct Chunk {
    char id[4];             // four-character code
    char listType[4];       // form or list type of RIFF and LIST chunks, else blanks
    uint64_t offset;        // file offset of the chunk header
    uint64_t declaredSize;  // size field: bytes of data after the 8-byte header
    uint64_t dataEnd;       // end of the data, limited to the enclosing region

    uint64_t dataOffset() const { return offset + 8; }
    // Data beyond the chunk header of a RIFF or LIST chunk (after its type).
    uint64_t childrenOffset() const { return offset + 12; }
    // True when the enclosing region (or the file) ends before the declared data does.
    bool cutShort() const { return offset + 8 + declaredSize > dataEnd; }
    bool is(const char* fourcc) const;
    bool isList(const char* type) const;
};

// Iterates over the chunks in the file region [begin, end), which lies within
// the file. A chunk's data is followed by a pad byte when its size is odd.
class ChunkWalker {
public:
    ChunkWalker(RandomAccessBytes& file, uint64_t begin, uint64_t end) : m_file(file), m_position(begin), m_end(end) {}

    // Reads the next chunk header; false when fewer than 8 bytes remain.
    bool next(Chunk& chunk);
    // Offset of the next chunk header.
    uint64_t position() const { return m_position; }

private:
    RandomAccessBytes& m_file;
    uint64_t m_position;  // next chunk header
    uint64_t m_end;       // end of the region
};

// A four-character code as text, unprintable bytes as '?'.
std::string fourccText(const char* id);

}  // namespace kit
