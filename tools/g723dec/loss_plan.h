// Which frames to replace by lost frames: listed frame numbers (from 0) and
// a deterministic random share of the frames.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace g723dec {

class LossPlan {
public:
    // Adds a comma-separated list of frame numbers and ranges ("4,10-12");
    // false with a message when the text is malformed.
    bool addList(const std::string& text, std::string& error);
    // Loses each frame with the given probability (0..1); the choice for a
    // frame depends only on the seed and the frame number.
    void setRate(double probability, uint64_t seed);

    bool isLost(uint64_t frame) const;
    bool empty() const { return ranges_.empty() && rate_ <= 0.0; }
    // Highest listed frame number; meaningful when a list was given.
    uint64_t highestListed() const;
    bool hasList() const { return !ranges_.empty(); }

private:
    void mergeRanges();

    std::vector<std::pair<uint64_t, uint64_t>> ranges_;  // listed frames: sorted, disjoint inclusive ranges
    double rate_ = 0.0;                                  // probability of losing any other frame
    uint64_t seed_ = 0;                                  // seed of the random choice
};

}  // namespace g723dec
