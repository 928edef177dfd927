// Bytes read at any offset: what the RIFF walk reads from (a file in the
// tools, a clip in memory in the player).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kit {

class RandomAccessBytes {
public:
    virtual ~RandomAccessBytes() = default;
    // Reads up to length bytes at offset; fewer at the end of the data or on a read error (failed()).
    virtual std::size_t readAt(uint64_t offset, void* data, std::size_t length) = 0;
    // True once a read failed for a reason other than the end of the data.
    virtual bool failed() const = 0;
};

}  // namespace kit
