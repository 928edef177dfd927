// stream_cases.cpp - the streams of the table and their expected outcomes.
#include "stream_cases.h"

#include <algorithm>
#include <random>

#include "stream_header.h"
#include "stream_placement.h"

namespace streamcases {

namespace {

Bytes headerOf(uint32_t blockOffset, uint32_t blockLength) {
    Bytes header(avs::kStreamHeaderSize);
    avs::encodeStreamHeader(avs::StreamHeader{blockOffset, blockLength}, header.data());
    return header;
}

Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t to) {
    return Bytes(bytes.begin() + std::ptrdiff_t(from), bytes.begin() + std::ptrdiff_t(to));
}

// The clip's bytes from offset to the end travel first as the placed block (a tail such as the
// index), then the clip data up to them.
Bytes tailFirst(const Bytes& clip, uint32_t offset) {
    return joined(
        {headerOf(offset, uint32_t(clip.size()) - offset), slice(clip, offset, clip.size()), slice(clip, 0, offset)});
}

// A range from inside the clip travels first, then the whole clip.
Bytes rangeFirst(const Bytes& clip, uint32_t offset, uint32_t length) {
    return joined({headerOf(offset, length), slice(clip, offset, offset + length), clip});
}

// Chunk sizes from 1 to maxChunk, drawn with the seed, covering total bytes.
std::vector<uint32_t> randomChunking(std::size_t total, uint32_t maxChunk, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint32_t> sizes;
    for (std::size_t at = 0; at < total;) {
        const uint32_t size = uint32_t(std::min<std::size_t>(1 + random() % maxChunk, total - at));
        sizes.push_back(size);
        at += size;
    }
    return sizes;
}

StreamCase complete(const std::string& name, const Bytes& clip, const Bytes& stream,
                    std::vector<std::vector<uint32_t>> chunkings) {
    StreamCase c;
    c.name = name;
    c.stream = stream;
    c.chunkings = std::move(chunkings);
    c.announced = uint32_t(stream.size());
    c.clip = clip;
    c.complete = true;
    return c;
}

StreamCase incomplete(const std::string& name, const Bytes& stream, uint32_t announced, const Bytes& clip,
                      std::vector<std::vector<uint32_t>> chunkings = {{}}) {
    StreamCase c;
    c.name = name;
    c.stream = stream;
    c.chunkings = std::move(chunkings);
    c.announced = announced;
    c.clip = clip;
    return c;
}

StreamCase refused(const std::string& name, const Bytes& stream, uint32_t announced,
                   std::vector<std::vector<uint32_t>> chunkings = {{}}) {
    StreamCase c = incomplete(name, stream, announced, Bytes(), std::move(chunkings));
    c.taken = false;
    return c;
}

void addRebuilt(std::vector<StreamCase>& cases) {
    const Bytes far = randomBytes(1005000, 1);
    cases.push_back(complete("tail block far out, the first chunk carries header, block and clip data", far,
                             tailFirst(far, 1000000), {{8 + 5000 + 3000}, {8 + 5000, 4000}}));
    const Bytes spread = randomBytes(45000, 3);
    cases.push_back(complete("tail block over several chunks, the header split", spread, tailFirst(spread, 40000),
                             {{8 + 1000, 1000, 1000, 1000, 1000 + 500, 7000}, {1, 2, 3, 2 + 4999, 1 + 100}}));
    const Bytes noBlock = randomBytes(30000, 4);
    cases.push_back(complete("empty block: every byte after the header goes from offset 0 on", noBlock,
                             tailFirst(noBlock, uint32_t(noBlock.size())), {{8, 9000}}));

    const Bytes clip = randomBytes(20000, 5);
    const uint32_t size = uint32_t(clip.size());
    struct Shape {
        const char* name;
        Bytes stream;
    };
    const Shape shapes[] = {
        {"tail block", tailFirst(clip, 17000)},
        {"block inside the clip, then the whole clip", rangeFirst(clip, 1000, 5000)},
        {"no block", tailFirst(clip, size)},
        {"the whole clip as the block", tailFirst(clip, 0)},
        {"the clip's last byte as the block", tailFirst(clip, size - 1)},
    };
    uint32_t seed = 6;
    for (const Shape& shape : shapes) {
        std::vector<std::vector<uint32_t>> chunkings = {{}};
        for (uint32_t maxChunk : {1u, 7u, 4096u})
            chunkings.push_back(randomChunking(shape.stream.size(), maxChunk, seed++));
        cases.push_back(complete(std::string(shape.name) + ", chunks of every size", clip, shape.stream, chunkings));
    }

    const Bytes longClip = randomBytes(3000000, 10);
    const Bytes longStream = tailFirst(longClip, 2400000);
    std::vector<std::vector<uint32_t>> chunkings;
    for (uint32_t maxChunk : {4096u, 65536u, 1u << 20})
        chunkings.push_back(randomChunking(longStream.size(), maxChunk, seed++));
    cases.push_back(complete("long clip with its index first, random chunks", longClip, longStream, chunkings));
}

void addIncomplete(std::vector<StreamCase>& cases) {
    const Bytes clip = randomBytes(12000, 30);
    const Bytes stream = tailFirst(clip, 11000);
    cases.push_back(incomplete("length never announced", stream, 0, clip, {{}, {4096}}));
    cases.push_back(incomplete("one byte fewer than announced", stream, uint32_t(stream.size()) + 1, clip));
    Bytes lastMissing = clip;
    lastMissing[10999] = 0;
    cases.push_back(incomplete("stream cut one byte short", slice(stream, 0, stream.size() - 1),
                               uint32_t(stream.size()), lastMissing));
    cases.push_back(incomplete("nothing announced, nothing received", Bytes(), 0, Bytes()));
    cases.push_back(incomplete("stream shorter than its header", slice(stream, 0, 5), 5, Bytes()));
    for (uint32_t blockOffset : {0u, 5000u, 11000u})
        cases.push_back(
            incomplete("a stream of nothing but its header is no clip", headerOf(blockOffset, 0), 8, Bytes()));
}

void addRefused(std::vector<StreamCase>& cases) {
    cases.push_back(
        refused("block longer than the announced stream", headerAndFill(0, 100000 - 7, 4000, 0x5A), 100000));
    cases.push_back(refused("block of 4 GiB", headerAndFill(0, 0xFFFFFFFF, 4000, 0x5A), 100000));
    cases.push_back(refused("stream announced shorter than its header", headerAndFill(0, 1, 4000, 0x5A), 7));
    cases.push_back(refused("block one byte beyond the clip data", headerAndFill(94993, 5000, 4000, 0x5A), 100000));
    cases.push_back(refused("block 2 GiB out in a stream of 100000 bytes", headerAndFill(0x7FFF0000, 5000, 6000, 0x33),
                            100000, {{}, {8 + 6000}}));
    cases.push_back(
        refused("offset plus length wrapping 32 bits", headerAndFill(0xFFFFFFF0, 0x20, 4000, 0x5A), 100000));
    cases.push_back(refused("offset beyond where the file can be positioned", headerAndFill(0x90000000, 16, 4000, 0x5A),
                            0xFFFFFFFF));
    cases.push_back(
        refused("refusal comes with the chunk that completes a split header", headerOf(0x40000000, 100), 1000, {{5}}));
    struct Header {
        uint32_t offset, length, payload;
    };
    const Header wholeFiles[] = {{0, 1001, 1000},  {0xFFFFFFFF, 0xFFFFFFFF, 1000},
                                 {901, 100, 1000}, {0xFFFFFFFF, 1, 1000},
                                 {1000, 1, 1000},  {0, 101, 100},
                                 {100, 1, 100},    {0xFFFFFFFF, 1, 100}};
    for (const Header& h : wholeFiles)
        cases.push_back(refused("block the stream cannot carry or that needs padding (" + std::to_string(h.offset) +
                                    ":" + std::to_string(h.length) + " in " + std::to_string(h.payload) + ")",
                                headerAndFill(h.offset, h.length, h.payload, 0), 8 + h.payload));
}

void addUnusualBlocks(std::vector<StreamCase>& cases) {
    Bytes fits(94992, 0);
    fits.resize(94992 + 4000, 0x5A);
    cases.push_back(
        incomplete("block that just fits the announced stream", headerAndFill(94992, 5000, 4000, 0x5A), 100000, fits));
    cases.push_back(incomplete("empty block far away needs no place", headerAndFill(0xFFFFFFFF, 0, 4000, 0x5A), 5000,
                               Bytes(4000, 0x5A)));
    cases.push_back(complete("empty block far away in a whole stream", Bytes(1000, 0),
                             headerAndFill(0xFFFFFFFF, 0, 1000, 0), {{}}));

    // A server announcing 0x80000010 bytes and sending {0x7FFF0000, 16}: taken, but the block
    // waits aside and the file holds only the clip data that arrived.
    const Bytes lying = headerAndFill(0x7FFF0000, 16, 16 + 20000, 0x44);
    cases.push_back(incomplete("lying announced length cannot make the file grow", joined({lying, lying}), 0x80000010,
                               joined({Bytes(20000, 0x44), lying}), {{uint32_t(lying.size())}}));
    cases.push_back(
        incomplete("unannounced block 2 GiB out waits aside", headerAndFill(0x7FFF0000, 5000, 4000, 0x5A), 0, Bytes()));
    cases.push_back(incomplete("unannounced block just beyond the gap bound waits aside",
                               headerAndFill(avs::kMaxGapAhead + 1, 5000, 4000, 0x5A), 0, Bytes()));
    Bytes nearBlock(1000000, 0);
    nearBlock.resize(1000000 + 4000, 0x5A);
    cases.push_back(incomplete("unannounced block within reach goes to its place at once",
                               headerAndFill(1000000, 5000, 4000, 0x5A), 0, nearBlock));
    cases.push_back(incomplete("unannounced long clip with its index first is taken",
                               headerAndFill(200u << 20, 60000, 70000 + 10000, 0x55), 0, Bytes(20000, 0x55),
                               {{8 + 70000}}));
}

// Clips as avspack packs them, with a gap bound small enough to test: a block further out
// than the bound waits aside and lands in place, with the length announced or not.
void addHeldBlocks(std::vector<StreamCase>& cases) {
    const uint32_t gap = 40000;
    const Bytes clip = randomBytes(300000, 32);
    const Bytes streams[] = {tailFirst(clip, 250000), rangeFirst(clip, 200000, 30000)};
    uint32_t seed = 33;
    for (const Bytes& stream : streams) {
        std::vector<std::vector<uint32_t>> chunkings;
        for (uint32_t maxChunk : {997u, 65536u}) chunkings.push_back(randomChunking(stream.size(), maxChunk, seed++));
        StreamCase announced =
            complete("block beyond the gap bound waits aside and lands in place", clip, stream, chunkings);
        announced.gapBound = gap;
        cases.push_back(announced);
        StreamCase unannounced =
            incomplete("unannounced block beyond the gap bound lands in place", stream, 0, clip, chunkings);
        unannounced.gapBound = gap;
        cases.push_back(unannounced);
    }
}

}  // namespace

Bytes randomBytes(std::size_t length, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(length);
    for (uint8_t& byte : bytes) byte = uint8_t(random());
    return bytes;
}

Bytes headerAndFill(uint32_t blockOffset, uint32_t blockLength, std::size_t payload, uint8_t fill) {
    return joined({headerOf(blockOffset, blockLength), Bytes(payload, fill)});
}

const std::vector<StreamCase>& streamCases() {
    static const std::vector<StreamCase> cases = [] {
        std::vector<StreamCase> all;
        addRebuilt(all);
        addIncomplete(all);
        addRefused(all);
        addUnusualBlocks(all);
        addHeldBlocks(all);
        return all;
    }();
    return cases;
}

std::vector<uint32_t> chunksOf(const StreamCase& streamCase, const std::vector<uint32_t>& chunking) {
    std::vector<uint32_t> chunks;
    std::size_t at = 0;
    for (uint32_t size : chunking) {
        if (at == streamCase.stream.size()) break;
        chunks.push_back(uint32_t(std::min<std::size_t>(size, streamCase.stream.size() - at)));
        at += chunks.back();
    }
    if (at < streamCase.stream.size()) chunks.push_back(uint32_t(streamCase.stream.size() - at));
    return chunks;
}

std::size_t headerChunkOf(const std::vector<uint32_t>& chunks) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        at += chunks[i];
        if (at >= avs::kStreamHeaderSize) return i;
    }
    return chunks.size();
}

std::string describe(const StreamCase& streamCase, const std::vector<uint32_t>& chunks) {
    std::string text = streamCase.name + ", chunks";
    for (std::size_t i = 0; i < chunks.size() && i < 12; ++i) text += " " + std::to_string(chunks[i]);
    if (chunks.size() > 12) text += " ... (" + std::to_string(chunks.size()) + " chunks)";
    return text;
}

}  // namespace streamcases
