// Opening a packed stream file and laying out its header.
#pragma once

#include <string>

#include "kit/file.h"
#include "stream_layout.h"

namespace avspack {

// Opens path, reads its header and lays the stream out for the file's size.
// Fails (error names the file) when it cannot be read or is shorter than the header.
bool openStreamFile(const std::string& path, kit::File& file, avs::StreamLayout& layout, std::string& error);

}  // namespace avspack
