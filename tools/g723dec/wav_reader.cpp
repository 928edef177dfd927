// WAV chunk walk: the "fmt " chunk must announce G.723.1, the "data" chunk
// holds the frames in the byte framing.
#include "wav_reader.h"

#include <algorithm>

#include "riff.h"
#include "wave_format.h"

namespace g723dec {

namespace {

constexpr uint64_t riffHeaderSize = 12;
constexpr uint32_t unknownSize = 0xFFFFFFFF;  // written by writers that cannot seek back

Status checkFormat(InputFile& file, const Chunk& fmt)
{
    uint8_t bytes[64];
    size_t size = std::min<uint64_t>(sizeof bytes, fmt.dataEnd - fmt.dataOffset());
    size = file.readAt(fmt.dataOffset(), bytes, size);
    WaveFormat format;
    if (!parseWaveFormat(bytes, size, format)) {
        return failure(exitNotG7231, atByte(file.name(), fmt.offset,
                                            "WAV format chunk is too short (" + std::to_string(size) + " bytes)"));
    }
    if (format.formatTag != g7231FormatTag) {
        return failure(exitNotG7231, atByte(file.name(), fmt.dataOffset(),
                                            "WAV audio has format tag " + formatTagText(format.formatTag) +
                                                ", not G.723.1 (0x0042)"));
    }
    if (format.channels > 1) {
        return failure(exitNotG7231, atByte(file.name(), fmt.dataOffset() + 2,
                                            "G.723.1 audio with " + std::to_string(format.channels) +
                                                " channels; only mono is supported"));
    }
    return Status{};
}

}  // namespace

Status readWavLayout(InputFile& file, FrameData& data)
{
    ChunkWalker walker(file, riffHeaderSize, file.size());
    Chunk chunk;
    bool haveFormat = false;
    bool haveData = false;
    while (!(haveFormat && haveData) && walker.next(chunk)) {
        if (chunk.is("fmt ") && !haveFormat) {
            Status status = checkFormat(file, chunk);
            if (!status.ok()) {
                return status;
            }
            haveFormat = true;
        } else if (chunk.is("data") && !haveData) {
            data.segments.push_back({chunk.dataOffset(), chunk.dataEnd - chunk.dataOffset()});
            if (chunk.cutShort() && chunk.declaredSize != unknownSize) {
                data.cutShortNote = atByte(file.name(), chunk.offset,
                                           "the data chunk declares " + std::to_string(chunk.declaredSize) +
                                               " bytes, but the file ends after " +
                                               std::to_string(chunk.dataEnd - chunk.dataOffset()));
            }
            haveData = true;
        }
    }
    if (file.failed()) {
        return failure(exitUnreadable, atByte(file.name(), walker.position(), "cannot read: " + file.errorText()));
    }
    if (!haveFormat) {
        return failure(exitNotG7231, atByte(file.name(), riffHeaderSize, "WAV file has no format (fmt) chunk"));
    }
    if (!haveData) {
        return failure(exitNotG7231, atByte(file.name(), std::min(walker.position(), file.size()),
                                            "WAV file has no data chunk"));
    }
    data.description = "WAV";
    data.raw = false;
    return Status{};
}

}  // namespace g723dec
