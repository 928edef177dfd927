// The G.723.1 audio of an AVI walk (kit::scanAvi): its data in "movi" lists
// as chunks named "NNwb" after the stream number, directly or inside "rec " lists.
#include "avi_reader.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "avi_scan.h"

namespace g723dec {

namespace {

using kit::AviAudioStream;
using kit::Chunk;

// Stream chunks are named with the stream number in two digits; writers
// differ in writing numbers from 10 on in decimal or in hex.
bool isStreamAudioChunk(const Chunk& chunk, int number) {
    char decimal[16];
    char hex[16];
    std::snprintf(decimal, sizeof decimal, "%02dwb", number % 100);
    std::snprintf(hex, sizeof hex, "%02xwb", number & 0xFF);
    return chunk.is(decimal) || chunk.is(hex);
}

void collectChunks(InputFile& file, const Chunk& list, int number, FrameData& data) {
    kit::ChunkWalker walker(file.file(), list.childrenOffset(), list.dataEnd);
    Chunk chunk;
    while (walker.next(chunk)) {
        if (chunk.isList("rec ")) {
            collectChunks(file, chunk, number, data);
        } else if (isStreamAudioChunk(chunk, number)) {
            data.segments.push_back({chunk.dataOffset(), chunk.dataEnd - chunk.dataOffset()});
            if (chunk.cutShort()) {
                data.cutShortNote =
                    atByte(file.name(), chunk.offset,
                           "the audio chunk declares " + std::to_string(chunk.declaredSize) +
                               " bytes, but the file ends after " + std::to_string(chunk.dataEnd - chunk.dataOffset()));
            }
        }
    }
}

std::string describeAudioStreams(const std::vector<AviAudioStream>& audio) {
    std::string text;
    for (const AviAudioStream& stream : audio) {
        text += (text.empty() ? "" : ", ");
        text += "stream " + std::to_string(stream.number) + " has format tag " +
                kit::formatTagText(stream.format.formatTag);
    }
    return text;
}

}  // namespace

Status readAviLayout(InputFile& file, FrameData& data) {
    kit::AviScan scan;
    if (!kit::scanAvi(file.file(), file.size(), scan)) {
        return failure(exitUnreadable, file.name() + ": cannot read: " + file.file().lastError());
    }
    if (!scan.hasHeader) {
        return failure(exitNotG7231, atByte(file.name(), 12, "AVI file has no header list (hdrl)"));
    }
    if (scan.audio.empty()) {
        return failure(exitNotG7231, atByte(file.name(), scan.headerOffset, "AVI file has no audio stream"));
    }
    auto g7231 = std::find_if(scan.audio.begin(), scan.audio.end(), [](const AviAudioStream& stream) {
        return stream.format.formatTag == kit::g7231FormatTag;
    });
    if (g7231 == scan.audio.end()) {
        return failure(exitNotG7231,
                       atByte(file.name(), scan.audio.front().formatOffset,
                              "AVI file has no G.723.1 (0x0042) audio: " + describeAudioStreams(scan.audio)));
    }
    if (g7231->format.channels > 1) {
        return failure(exitNotG7231, atByte(file.name(), g7231->formatOffset + 2,
                                            "G.723.1 audio with " + std::to_string(g7231->format.channels) +
                                                " channels; only mono is supported"));
    }
    if (scan.movieLists.empty()) {
        return failure(exitNotG7231, atByte(file.name(), file.size(), "AVI file has no movie data (movi list)"));
    }
    for (const Chunk& list : scan.movieLists) {
        collectChunks(file, list, g7231->number, data);
        if (list.cutShort() && data.cutShortNote.empty()) {
            data.cutShortNote =
                atByte(file.name(), list.offset,
                       "the movie data list declares " + std::to_string(list.declaredSize) +
                           " bytes, but the file ends after " + std::to_string(list.dataEnd - list.dataOffset()));
        }
    }
    if (file.file().failed()) {
        return failure(exitUnreadable, file.name() + ": cannot read: " + file.file().lastError());
    }
    data.description = "AVI audio stream " + std::to_string(g7231->number);
    data.raw = false;
    return Status{};
}

}  // namespace g723dec
