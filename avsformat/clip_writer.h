// Destination of a rebuilt clip: positioned byte writes, as the plug-in makes
// into its temporary file, and a place aside for a placed block that may not
// be written yet.
#pragma once

#include <cstddef>
#include <cstdint>

namespace avs {

class ClipWriter {
public:
    virtual ~ClipWriter() = default;
    // Moves the write position to offset bytes from the start of the clip.
    virtual bool seekTo(uint64_t offset) = 0;
    // Writes length bytes at the write position and advances it.
    virtual bool write(const uint8_t* data, std::size_t length) = 0;
    // Keeps bytes of the placed block aside, in stream order; clipOffset is
    // where the first of them belongs.
    virtual bool holdBlock(uint64_t clipOffset, const uint8_t* data, std::size_t length) = 0;
    // Writes every byte held at the write position and forgets them.
    virtual bool writeHeldBlock() = 0;
};

}  // namespace avs
