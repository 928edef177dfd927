// What the decoder library's exports give for frames: INITdec once, then one
// DecSoundFrame per frame (an empty frame is a lost frame), and frames split
// from bytes by their kind bits as AVI and WAV data holds them.
#pragma once

#include <cstdint>
#include <vector>

typedef std::vector<std::vector<uint8_t>> FrameList;

// Whole frames of bytes; a frame the bytes end inside of is left out.
FrameList SplitFrames(const std::vector<uint8_t>& bytes);

// The frames back to back, as a file holds them.
std::vector<uint8_t> JoinFrames(const FrameList& frames);

// Decodes with speechdec.dll; an empty result when it cannot be loaded.
std::vector<int16_t> ReferenceSamples(const FrameList& frames);
