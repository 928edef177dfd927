// WAV header layout and the chunk walk of a WAV file.
#include "wav.h"

#include <cstring>

#include "bytes.h"

namespace kit {

namespace {

constexpr uint64_t kRiffHeaderSize = 12;

}  // namespace

void buildPcmWavHeader(uint8_t* header, uint32_t sampleRate, uint32_t riffSize, uint32_t dataBytes, uint16_t channels) {
    std::memcpy(header, "RIFF", 4);
    putLe32(header + 4, riffSize);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    putLe32(header + 16, 16);  // format record size
    putLe16(header + 20, 1);   // PCM
    putLe16(header + 22, channels);
    putLe32(header + 24, sampleRate);
    putLe32(header + 28, sampleRate * 2 * channels);  // bytes per second
    putLe16(header + 32, 2 * channels);               // bytes per sample frame
    putLe16(header + 34, 16);                         // bits per sample
    std::memcpy(header + 36, "data", 4);
    putLe32(header + 40, dataBytes);
}

void findWavChunks(File& file, uint64_t fileSize, WavChunks& chunks) {
    chunks = WavChunks();
    ChunkWalker walker(file, kRiffHeaderSize, fileSize);
    Chunk chunk;
    while (!(chunks.hasFormat && chunks.hasData) && walker.next(chunk)) {
        if (chunk.is("fmt ") && !chunks.hasFormat) {
            chunks.hasFormat = true;
            chunks.format = chunk;
        } else if (chunk.is("data") && !chunks.hasData) {
            chunks.hasData = true;
            chunks.data = chunk;
        }
    }
    chunks.walkEnd = walker.position();
}

}  // namespace kit
