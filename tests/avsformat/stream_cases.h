// stream_cases.h - one table of streams and what becomes of them: refused or taken, the clip
// file they leave, complete or not. Every receiver of the format runs it: the format library,
// the plug-in (its stream file and its stream functions) and avspack --unpack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace streamcases {

typedef std::vector<uint8_t> Bytes;

struct StreamCase {
    std::string name;                              // what the case shows
    Bytes stream;                                  // the bytes delivered, in order
    std::vector<std::vector<uint32_t>> chunkings;  // chunk sizes of each delivery; the rest comes as one last chunk
    uint32_t announced = 0;                        // the stream length the sender announces, 0 = not known
    uint32_t gapBound = 0;                         // the receiver's gap bound, 0 = the standard one
    bool taken = true;                             // false: the chunk that completes the header is refused
    Bytes clip;                                    // the clip file once the stream has ended
    bool complete = false;                         // the clip counts as complete

    // A file of the stream's bytes stands for this case: its length is announced and the
    // standard gap bound applies.
    bool isWholeFile() const { return announced == stream.size() && gapBound == 0; }
};

// Stream builders for the format's tests: bytes of a seeded pseudo-random sequence, and a
// header followed by payload bytes of one value.
Bytes randomBytes(std::size_t length, uint32_t seed);
Bytes headerAndFill(uint32_t blockOffset, uint32_t blockLength, std::size_t payload, uint8_t fill);

// The table; built once.
const std::vector<StreamCase>& streamCases();

// The chunk sizes of one delivery: the chunking's sizes, cut at the end of the stream, and
// the rest as one more chunk (no chunk at all for an empty stream).
std::vector<uint32_t> chunksOf(const StreamCase& streamCase, const std::vector<uint32_t>& chunking);

// Index of the chunk that carries the header's last byte (chunks.size() when none does).
std::size_t headerChunkOf(const std::vector<uint32_t>& chunks);

// "name, chunks a b c ...", for failure messages.
std::string describe(const StreamCase& streamCase, const std::vector<uint32_t>& chunks);

}  // namespace streamcases
