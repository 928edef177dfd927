// Whether the clip a stream rebuilds is a RIFF AVI whose sizes agree, read
// from the stream file (where each clip byte comes from) without rebuilding it.
#pragma once

#include <string>

#include "kit/file.h"
#include "stream_layout.h"

namespace avspack {

enum class ClipVerdict {
    Avi,         // a RIFF AVI form whose chunks fit in it, and it in the clip
    NotAvi,      // problem says what is wrong
    ReadFailed,  // the stream file could not be read (its lastError says why)
};

// layout must be accepted (avs::isAccepted).
ClipVerdict checkRebuiltClip(kit::File& stream, const avs::StreamLayout& layout, std::string& problem);

// True when the file at the start of a stream is itself an AVI clip ("RIFF" .... "AVI ").
bool isAviFile(kit::File& file);

}  // namespace avspack
