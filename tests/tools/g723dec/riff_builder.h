// Builds WAV files and AVI clips in memory around G.723.1 frames from the
// shared chunk builders (riff_chunks.h), also broken and unusual variants.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"
#include "riff_chunks.h"

namespace g723test {

using kit::appendLe16;
using kit::appendLe32;
using toolstest::Bytes;
using toolstest::chunk;
using toolstest::concat;
using toolstest::list;

// WAVEFORMATEX of a mono 8 kHz stream with the given tag; extensible wraps
// the tag into a WAVE_FORMAT_EXTENSIBLE sub-format.
Bytes waveFormat(uint16_t tag, uint16_t channels = 1, bool extensible = false);

// A WAV file: RIFF WAVE with a fmt chunk and a data chunk.
Bytes wavFile(const Bytes& frames, uint16_t tag = 0x0042);

// Describes an AVI clip: a video stream and audio streams, the movie data
// interleaving video chunks with audio chunks.
struct AviLayout {
    std::vector<uint16_t> audioTags = {0x0042};  // one audio stream per tag, after the video stream
    std::vector<Bytes> audioChunks;              // chunks of the first audio stream with tag 0x0042
    bool recLists = false;                       // wrap each audio chunk in a "rec " list
    size_t chunksInExtension = 0;                // the last N audio chunks go into a RIFF AVIX
};

Bytes aviFile(const AviLayout& layout);

// Splits bytes into chunks of at most `size` bytes.
std::vector<Bytes> splitInto(const Bytes& bytes, size_t size);

}  // namespace g723test
