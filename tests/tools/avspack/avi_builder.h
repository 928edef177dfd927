// Builds small RIFF AVI files in memory for the avspack tests: a header list,
// a 'movi' list of video frames and, if wanted, an 'idx1' index.
#pragma once

#include <cstdint>
#include <vector>

namespace avstest {

struct AviRecipe {
    int frames = 10;               // video frames in the 'movi' list
    uint32_t frameBytes = 600;     // bytes of the first frame; frame i has frameBytes + i * frameGrowth
    uint32_t frameGrowth = 0;      // an odd value gives odd-sized, padded chunks
    uint32_t junkBeforeIndex = 0;  // bytes of a 'JUNK' chunk between 'movi' and the index (0 = none)
    bool withIndex = true;         // write an 'idx1' chunk after 'movi'
    uint32_t junkAfterIndex = 0;   // bytes of a 'JUNK' chunk after the index (0 = none)
    uint32_t bytesAfterRiff = 0;   // bytes of a second RIFF form after the first (0 = none)
    uint32_t seed = 1;             // frame contents
};

std::vector<uint8_t> buildAvi(const AviRecipe& recipe);

// File offset of the 'idx1' chunk in a file built with an index.
uint64_t indexOffsetOf(const AviRecipe& recipe);

}  // namespace avstest
