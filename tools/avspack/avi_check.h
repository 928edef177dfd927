// Checks that a file is a complete RIFF AVI and finds its 'idx1' index chunk.
#pragma once

#include <cstdint>
#include <string>

#include "avi_scan.h"
#include "kit/file.h"

namespace avspack {

// fileSize gets the file's size, scan what the walk of its chunks found. On
// failure error says what is wrong (not a RIFF AVI, truncated, unreadable),
// without the file's name.
bool checkAvi(kit::File& file, uint64_t& fileSize, kit::AviScan& scan, std::string& error);

}  // namespace avspack
