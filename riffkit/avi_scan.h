// One walk over an AVI file: its RIFF "AVI " form and any RIFF "AVIX"
// extensions, with the index, the stream headers and the movie data lists.
#pragma once

#include <cstdint>
#include <vector>

#include "random_access.h"
#include "riff.h"
#include "wave_format.h"

namespace kit {

struct AviAudioStream {
    int number;             // position among all streams, from 0
    uint64_t formatOffset;  // file offset of its format record
    WaveFormat format;      // its format record
};

struct AviScan {
    bool hasIndex = false;              // an 'idx1' chunk is among the chunks of the first form
    uint64_t indexOffset = 0;           // file offset of that chunk's identifier (when hasIndex)
    bool hasOverrun = false;            // a chunk of the first form declares data past the end of the file
    Chunk overrun = {};                 // the first such chunk (when hasOverrun)
    bool hasHeader = false;             // saw the "hdrl" list
    uint64_t headerOffset = 0;          // its file offset
    int streamCount = 0;                // "strl" lists seen
    std::vector<AviAudioStream> audio;  // audio streams with a readable format
    std::vector<Chunk> movieLists;      // every "movi" list, in file order
};

// Walks the forms at the top of a file of fileSize bytes; false when a read
// failed (file.lastError() says why).
bool scanAvi(RandomAccessBytes& file, uint64_t fileSize, AviScan& scan);

}  // namespace kit
