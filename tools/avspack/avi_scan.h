// Checks that a file is a complete RIFF AVI and finds its 'idx1' index
// chunk by walking the top-level chunks of the RIFF form.
#pragma once

#include <cstdint>
#include <string>

#include "binary_file.h"

namespace avspack {

struct AviScan {
    uint64_t fileSize = 0;     // bytes in the file
    bool hasIndex = false;     // an 'idx1' chunk is among the top-level chunks
    uint64_t indexOffset = 0;  // file offset of that chunk's identifier (when hasIndex)
};

// On failure error says what is wrong (not a RIFF AVI, truncated, unreadable),
// without the file's name.
bool scanAvi(BinaryFile& file, AviScan& scan, std::string& error);

}  // namespace avspack
