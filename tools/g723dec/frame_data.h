// Where an input's frames are: what a container reader reports.
#pragma once

#include <string>
#include <vector>

#include "byte_source.h"

namespace g723dec {

struct FrameData {
    std::vector<Segment> segments;  // file regions holding the frames, in stream order
    std::string description;        // the container, for messages: "raw frames", "WAV", ...
    bool raw = true;                // raw frames (the chosen framing applies); containers hold the byte framing
    std::string cutShortNote;       // set when the container declares more data than the file holds
};

}  // namespace g723dec
