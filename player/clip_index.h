// The clip's index ("idx1"): where each video frame, palette change and sound
// chunk lies in the clip, in the order they are played.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "random_access.h"

namespace player {

struct ChunkPlace {
    uint64_t offset = 0;  // clip offset of the chunk's data (after its 8-byte header)
    uint32_t size = 0;    // bytes of data
};

struct FrameEntry {
    ChunkPlace data;                 // the coded picture
    bool key = false;                // decodable without the frames before it
    std::size_t paletteChanges = 0;  // palette changes that come before this frame in the index
};

struct ClipIndex {
    std::vector<FrameEntry> frames;
    std::vector<ChunkPlace> paletteChanges;  // "NNpc" chunks of the video stream
    std::vector<ChunkPlace> sound;           // "NNwb" chunks of the sound stream
};

// Reads the index whose 16-byte entries are indexData[0..size). Entries name
// their chunk's header by its offset from the "movi" list's type field
// (moviTypeOffset) or, in some writers, from the start of the clip. Chunks
// that reach beyond clipLength are kept with no data. False when the index
// has no frame of videoStream.
bool readClipIndex(const uint8_t* indexData, std::size_t size, uint64_t moviTypeOffset, uint64_t clipLength,
                   int videoStream, int soundStream, ClipIndex& index, std::string& error);

}  // namespace player
