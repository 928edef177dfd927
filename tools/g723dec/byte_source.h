// The frame data of an input as one byte stream: the file regions a container
// reader found (or the whole input), read in order through one buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "input_file.h"

namespace g723dec {

// A region of the input file that holds frame data.
struct Segment {
    uint64_t offset;  // file offset of the first byte
    uint64_t length;  // bytes; unboundedLength reads to the end of the input
};

constexpr uint64_t unboundedLength = UINT64_MAX;

class ByteSource {
public:
    ByteSource(InputFile& file, std::vector<Segment> segments);

    // Copies up to n bytes to dst; fewer only at the end of the data or on a
    // read error (failed()).
    size_t read(uint8_t* dst, size_t n);
    // Makes up to n bytes available without consuming them (within the
    // current segment) and copies them to dst; returns how many.
    size_t peek(uint8_t* dst, size_t n);
    // File offset of the next byte read() returns.
    uint64_t offset() const { return bufferOffset_ + pos_; }

    InputFile& file() { return file_; }
    // True once reading the input failed.
    bool failed() { return file_.file().failed(); }

private:
    bool refill();
    bool startNextSegment();

    InputFile& file_;
    std::vector<Segment> segments_;  // regions still to read, in order
    size_t nextSegment_ = 0;         // index of the segment after the current one
    uint64_t segmentLeft_ = 0;       // bytes of the current segment not yet buffered
    std::vector<uint8_t> buffer_;    // bytes read from the current segment
    uint64_t bufferOffset_ = 0;      // file offset of buffer_[0]
    size_t pos_ = 0;                 // next unread byte in buffer_
    size_t end_ = 0;                 // end of the valid bytes in buffer_
};

}  // namespace g723dec
