// What --stats reports for one input: frames of each kind, lost and bad
// frames, the audio duration and the decoder's speed.
#pragma once

#include <cstdint>
#include <string>

namespace g723dec {

struct DecodeStats {
    uint64_t kindCount[4] = {};  // decoded frames of kinds 0..3 (6.3k speech, 5.3k speech, SID, untransmitted)
    uint64_t lost = 0;           // frames replaced by lost frames
    uint64_t bad = 0;            // decoded speech frames with invalid codes
    double decodeSeconds = 0.0;  // time spent in the decoder

    uint64_t frames() const { return kindCount[0] + kindCount[1] + kindCount[2] + kindCount[3] + lost; }
};

// Multi-line report, each line starting with "NAME: ".
std::string formatStats(const std::string& name, const DecodeStats& stats);

}  // namespace g723dec
