// The G.723.1 frames of a WAV file (kit::findWavChunks): the "fmt " chunk
// must announce mono G.723.1, the "data" chunk holds the frames in the byte
// framing.
#include "wav_reader.h"

#include <algorithm>

#include "kit/wav.h"
#include "wave_format.h"

namespace g723dec {

namespace {

constexpr uint64_t riffHeaderSize = 12;

Status checkFormat(InputFile& file, const kit::Chunk& fmt) {
    uint8_t bytes[64];
    size_t size = std::min<uint64_t>(sizeof bytes, fmt.dataEnd - fmt.dataOffset());
    size = file.file().readAt(fmt.dataOffset(), bytes, size);
    kit::WaveFormat format;
    if (!kit::parseWaveFormat(bytes, size, format)) {
        return failure(exitNotG7231, atByte(file.name(), fmt.offset,
                                            "WAV format chunk is too short (" + std::to_string(size) + " bytes)"));
    }
    if (format.formatTag != kit::g7231FormatTag) {
        return failure(exitNotG7231, atByte(file.name(), fmt.dataOffset(),
                                            "WAV audio has format tag " + kit::formatTagText(format.formatTag) +
                                                ", not G.723.1 (0x0042)"));
    }
    if (format.channels > 1) {
        return failure(exitNotG7231, atByte(file.name(), fmt.dataOffset() + 2,
                                            "G.723.1 audio with " + std::to_string(format.channels) +
                                                " channels; only mono is supported"));
    }
    return Status{};
}

// The note for a data chunk that declares more than the file holds (an
// unknown size, as streaming writers leave it, declares nothing).
std::string cutShortNote(InputFile& file, const kit::Chunk& data) {
    if (!data.cutShort() || data.declaredSize == kit::kWavUnknownSize) {
        return "";
    }
    return atByte(file.name(), data.offset,
                  "the data chunk declares " + std::to_string(data.declaredSize) + " bytes, but the file ends after " +
                      std::to_string(data.dataEnd - data.dataOffset()));
}

}  // namespace

Status readWavLayout(InputFile& file, FrameData& data) {
    kit::WavChunks chunks;
    kit::findWavChunks(file.file(), file.size(), chunks);
    Status status = chunks.hasFormat ? checkFormat(file, chunks.format) : Status{};
    if (!status.ok()) {
        return status;
    }
    if (file.file().failed()) {
        return failure(exitUnreadable, atByte(file.name(), chunks.walkEnd, "cannot read: " + file.file().lastError()));
    }
    if (!chunks.hasFormat) {
        return failure(exitNotG7231, atByte(file.name(), riffHeaderSize, "WAV file has no format (fmt) chunk"));
    }
    if (!chunks.hasData) {
        return failure(exitNotG7231,
                       atByte(file.name(), std::min(chunks.walkEnd, file.size()), "WAV file has no data chunk"));
    }
    data.segments.push_back({chunks.data.dataOffset(), chunks.data.dataEnd - chunks.data.dataOffset()});
    data.cutShortNote = cutShortNote(file, chunks.data);
    data.description = "WAV";
    data.raw = false;
    return Status{};
}

}  // namespace g723dec
