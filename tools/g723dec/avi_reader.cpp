// AVI walk: stream headers in "hdrl" (one "strl" list per stream, numbered
// from 0), audio data in "movi" as chunks named "NNwb" after the stream
// number, directly or inside "rec " lists.
#include "avi_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "riff.h"
#include "wave_format.h"

namespace g723dec {

namespace {

struct AudioStream {
    int number;            // position among all streams, from 0
    uint64_t formatOffset; // file offset of its format record
    WaveFormat format;     // its format record
};

struct AviScan {
    bool haveHeader = false;           // saw the "hdrl" list
    uint64_t headerOffset = 0;         // its file offset
    int streamCount = 0;               // "strl" lists seen
    std::vector<AudioStream> audio;    // audio streams with a readable format
    std::vector<Chunk> movieLists;     // every "movi" list, in file order
};

// Reads one "strl" list; records the stream when it is an audio stream.
void scanStreamList(InputFile& file, const Chunk& list, AviScan& scan)
{
    int number = scan.streamCount++;
    bool isAudio = false;
    ChunkWalker walker(file, list.childrenOffset(), list.dataEnd);
    Chunk chunk;
    while (walker.next(chunk)) {
        uint8_t bytes[64];
        size_t size = std::min<uint64_t>(sizeof bytes, chunk.dataEnd - chunk.dataOffset());
        if (chunk.is("strh")) {
            isAudio = file.readAt(chunk.dataOffset(), bytes, 4) == 4 && std::memcmp(bytes, "auds", 4) == 0;
        } else if (chunk.is("strf") && isAudio) {
            AudioStream stream{number, chunk.dataOffset(), {}};
            size = file.readAt(chunk.dataOffset(), bytes, size);
            if (parseWaveFormat(bytes, size, stream.format)) {
                scan.audio.push_back(stream);
            }
        }
    }
}

void scanHeaderList(InputFile& file, const Chunk& hdrl, AviScan& scan)
{
    scan.haveHeader = true;
    scan.headerOffset = hdrl.offset;
    ChunkWalker walker(file, hdrl.childrenOffset(), hdrl.dataEnd);
    Chunk chunk;
    while (walker.next(chunk)) {
        if (chunk.isList("strl")) {
            scanStreamList(file, chunk, scan);
        }
    }
}

// Walks the top level: the RIFF "AVI " chunk and RIFF "AVIX" extensions.
void scanFile(InputFile& file, AviScan& scan)
{
    ChunkWalker top(file, 0, file.size());
    Chunk riff;
    while (top.next(riff) && (riff.isList("AVI ") || riff.isList("AVIX"))) {
        ChunkWalker walker(file, riff.childrenOffset(), riff.dataEnd);
        Chunk chunk;
        while (walker.next(chunk)) {
            if (chunk.isList("hdrl") && !scan.haveHeader) {
                scanHeaderList(file, chunk, scan);
            } else if (chunk.isList("movi")) {
                scan.movieLists.push_back(chunk);
            }
        }
    }
}

// Stream chunks are named with the stream number in two digits; writers
// differ in writing numbers from 10 on in decimal or in hex.
bool isStreamAudioChunk(const Chunk& chunk, int number)
{
    char decimal[16];
    char hex[16];
    std::snprintf(decimal, sizeof decimal, "%02dwb", number % 100);
    std::snprintf(hex, sizeof hex, "%02xwb", number & 0xFF);
    return chunk.is(decimal) || chunk.is(hex);
}

void collectChunks(InputFile& file, const Chunk& list, int number, FrameData& data)
{
    ChunkWalker walker(file, list.childrenOffset(), list.dataEnd);
    Chunk chunk;
    while (walker.next(chunk)) {
        if (chunk.isList("rec ")) {
            collectChunks(file, chunk, number, data);
        } else if (isStreamAudioChunk(chunk, number)) {
            data.segments.push_back({chunk.dataOffset(), chunk.dataEnd - chunk.dataOffset()});
            if (chunk.cutShort()) {
                data.cutShortNote = atByte(file.name(), chunk.offset,
                                           "the audio chunk declares " + std::to_string(chunk.declaredSize) +
                                               " bytes, but the file ends after " +
                                               std::to_string(chunk.dataEnd - chunk.dataOffset()));
            }
        }
    }
}

std::string describeAudioStreams(const std::vector<AudioStream>& audio)
{
    std::string text;
    for (const AudioStream& stream : audio) {
        text += (text.empty() ? "" : ", ");
        text += "stream " + std::to_string(stream.number) + " has format tag " +
                formatTagText(stream.format.formatTag);
    }
    return text;
}

}  // namespace

Status readAviLayout(InputFile& file, FrameData& data)
{
    AviScan scan;
    scanFile(file, scan);
    if (file.failed()) {
        return failure(exitUnreadable, file.name() + ": cannot read: " + file.errorText());
    }
    if (!scan.haveHeader) {
        return failure(exitNotG7231, atByte(file.name(), 12, "AVI file has no header list (hdrl)"));
    }
    if (scan.audio.empty()) {
        return failure(exitNotG7231, atByte(file.name(), scan.headerOffset, "AVI file has no audio stream"));
    }
    auto g7231 = std::find_if(scan.audio.begin(), scan.audio.end(), [](const AudioStream& stream) {
        return stream.format.formatTag == g7231FormatTag;
    });
    if (g7231 == scan.audio.end()) {
        return failure(exitNotG7231, atByte(file.name(), scan.audio.front().formatOffset,
                                            "AVI file has no G.723.1 (0x0042) audio: " +
                                                describeAudioStreams(scan.audio)));
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
            data.cutShortNote = atByte(file.name(), list.offset,
                                       "the movie data list declares " + std::to_string(list.declaredSize) +
                                           " bytes, but the file ends after " +
                                           std::to_string(list.dataEnd - list.dataOffset()));
        }
    }
    if (file.failed()) {
        return failure(exitUnreadable, file.name() + ": cannot read: " + file.errorText());
    }
    data.description = "AVI audio stream " + std::to_string(g7231->number);
    data.raw = false;
    return Status{};
}

}  // namespace g723dec
