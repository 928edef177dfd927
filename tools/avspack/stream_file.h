// Opening a packed stream file and laying out its header.
#pragma once

#include <string>

#include "kit/file.h"
#include "stream_layout.h"

namespace avspack {

// Opens path, reads its header and lays the stream out for the file's size.
// Answers kExitOk, or the exit code of the failure with error naming the file:
// it cannot be read, is shorter than the header, or is an AVI clip given by mistake.
int openStreamFile(const std::string& path, kit::File& file, avs::StreamLayout& layout, std::string& error);

}  // namespace avspack
