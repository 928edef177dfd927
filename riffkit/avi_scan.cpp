// AVI walk: stream headers in "hdrl" (one "strl" list per stream, numbered
// from 0), chunks of the first form checked against the end of the file,
// movie data in "movi" lists of every form.
#include "avi_scan.h"

#include <algorithm>
#include <cstring>

namespace kit {

namespace {

// Reads one "strl" list; records the stream when it is an audio stream.
void scanStreamList(RandomAccessBytes& file, const Chunk& list, AviScan& scan) {
    const int number = scan.streamCount++;
    bool isAudio = false;
    ChunkWalker walker(file, list.childrenOffset(), list.dataEnd);
    Chunk chunk;
    while (walker.next(chunk)) {
        uint8_t bytes[64];
        std::size_t size = std::size_t(std::min<uint64_t>(sizeof bytes, chunk.dataEnd - chunk.dataOffset()));
        if (chunk.is("strh")) {
            isAudio = file.readAt(chunk.dataOffset(), bytes, 4) == 4 && std::memcmp(bytes, "auds", 4) == 0;
        } else if (chunk.is("strf") && isAudio) {
            AviAudioStream stream{number, chunk.dataOffset(), {}};
            size = file.readAt(chunk.dataOffset(), bytes, size);
            if (parseWaveFormat(bytes, size, stream.format)) scan.audio.push_back(stream);
        }
    }
}

void scanHeaderList(RandomAccessBytes& file, const Chunk& hdrl, AviScan& scan) {
    scan.hasHeader = true;
    scan.headerOffset = hdrl.offset;
    ChunkWalker walker(file, hdrl.childrenOffset(), hdrl.dataEnd);
    Chunk chunk;
    while (walker.next(chunk)) {
        if (chunk.isList("strl")) scanStreamList(file, chunk, scan);
    }
}

// Notes the index and the first chunk that runs past the end of the file.
void checkFirstFormChunk(const Chunk& chunk, uint64_t fileSize, AviScan& scan) {
    if (!scan.hasOverrun && chunk.dataOffset() + chunk.declaredSize > fileSize) {
        scan.hasOverrun = true;
        scan.overrun = chunk;
    }
    if (!scan.hasIndex && chunk.is("idx1")) {
        scan.hasIndex = true;
        scan.indexOffset = chunk.offset;
    }
}

}  // namespace

bool scanAvi(RandomAccessBytes& file, uint64_t fileSize, AviScan& scan) {
    scan = AviScan();
    ChunkWalker top(file, 0, fileSize);
    Chunk riff;
    for (bool first = true; top.next(riff) && (riff.isList("AVI ") || riff.isList("AVIX")); first = false) {
        ChunkWalker walker(file, riff.childrenOffset(), riff.dataEnd);
        Chunk chunk;
        while (walker.next(chunk)) {
            if (first) checkFirstFormChunk(chunk, fileSize, scan);
            if (chunk.isList("hdrl") && !scan.hasHeader) {
                scanHeaderList(file, chunk, scan);
            } else if (chunk.isList("movi")) {
                scan.movieLists.push_back(chunk);
            }
        }
    }
    return !file.failed();
}

}  // namespace kit
