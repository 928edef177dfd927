// Destination of a rebuilt clip: positioned byte writes, as the plug-in makes
// into its temporary file.
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
};

}  // namespace avs
