// Which part of an AVI travels as the placed block, and how much of the file
// follows it as clip data.
#pragma once

#include <cstdint>
#include <string>

#include "avi_scan.h"
#include "stream_header.h"

namespace avspack {

struct BlockChoice {
    enum class Kind {
        Index,  // the tail from the 'idx1' chunk to the end of the file
        None,   // no placed block
        Range,  // the bytes offset .. offset + length - 1
    };
    Kind kind = Kind::Index;  // how the block is chosen
    uint32_t offset = 0;      // for Range: first file byte of the block
    uint32_t length = 0;      // for Range: bytes in the block
};

struct PackPlan {
    avs::StreamHeader header;     // block position and length, as written in the stream
    uint64_t clipDataLength = 0;  // file bytes from offset 0 that follow the block
};

// A block that ends the file is not repeated in the clip data; any other
// block is followed by the whole file. On failure error says why (no idx1,
// block outside the file, a file too large for the header's 32-bit words).
bool planPack(uint64_t fileSize, const kit::AviScan& scan, const BlockChoice& block, PackPlan& plan,
              std::string& error);

}  // namespace avspack
