// WAV files: the header of 16-bit mono PCM, and where the format and data
// chunks of a RIFF WAVE file are.
#pragma once

#include <cstddef>
#include <cstdint>

#include "file.h"
#include "riff.h"

namespace kit {

constexpr std::size_t kWavHeaderSize = 44;        // RIFF header, "fmt " chunk and "data" chunk header
constexpr uint32_t kWavUnknownSize = 0xFFFFFFFF;  // a size written by writers that cannot seek back

// The 44-byte header of 16-bit PCM (mono unless channels says otherwise) at
// sampleRate; the sizes are those of the RIFF form and of the data chunk.
void buildPcmWavHeader(uint8_t* header, uint32_t sampleRate, uint32_t riffSize, uint32_t dataBytes,
                       uint16_t channels = 1);

struct WavChunks {
    bool hasFormat = false;  // a "fmt " chunk was found
    Chunk format = {};       // the first one
    bool hasData = false;    // a "data" chunk was found
    Chunk data = {};         // the first one
    uint64_t walkEnd = 0;    // where the walk stopped: after both chunks, or at the end of the chunks
};

// Walks the chunks after the 12-byte RIFF header of a file of fileSize bytes.
void findWavChunks(File& file, uint64_t fileSize, WavChunks& chunks);

}  // namespace kit
