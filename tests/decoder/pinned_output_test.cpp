// Pins the decoder's output on long streams of every frame kind to checksums
// taken from a known-good build, so that work on the decoder's speed cannot
// change a single sample unnoticed. Each stream has two checksums: one of the
// 16-bit samples and one of the bit patterns of the float postfilter output
// they are rounded from (the stricter of the two).
#include "bit_unpack.h"
#include "decoder_state.h"
#include "pinned_streams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace pinnedStreams;

// 64-bit FNV-1a over bytes.
class Fnv64 {
public:
    void add(const void* data, size_t size) {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; ++i) m_hash = (m_hash ^ bytes[i]) * 0x100000001B3ull;
    }
    uint64_t value() const { return m_hash; }

private:
    uint64_t m_hash = 0xCBF29CE484222325ull;
};

void addLittleEndian(Fnv64& hash, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        const uint8_t b = static_cast<uint8_t>(value >> (8 * i));
        hash.add(&b, 1);
    }
}

struct Digest {
    uint64_t samples;
    uint64_t floats;
    int frames;
};

// Decodes the stream from a reset decoder; lost frames pass a null pointer.
// batch 0: one decodeSoundFrame call per frame; otherwise decodeSoundFrames
// calls of that many frames. The float checksum covers the postfilter output
// of the last frame of each call (and so of every frame with batch 0).
Digest decodeStream(const Stream& stream, int batch) {
    DecoderState decoder;
    decoder.reset(0);
    Fnv64 samples;
    Fnv64 floats;
    const frames::BatchFrames laidOut(stream);
    const std::vector<const void*>& pointers = laidOut.pointers;
    const size_t step = batch == 0 ? 1 : static_cast<size_t>(batch);
    for (size_t first = 0; first < stream.size(); first += step) {
        const size_t count = std::min(step, stream.size() - first);
        std::vector<int16_t> pcm(count * frameLength);
        if (batch == 0) {
            decoder.decodeSoundFrame(pointers[first], pcm.data());
        } else {
            decoder.decodeSoundFrames(&pointers[first], static_cast<int32_t>(count), pcm.data());
        }
        for (int16_t s : pcm) addLittleEndian(samples, static_cast<uint16_t>(s), 2);
        for (int32_t n = 0; n < frameLength; ++n) {
            uint32_t bits;
            std::memcpy(&bits, &decoder.postBuf[lpcOrder + n], sizeof bits);
            addLittleEndian(floats, bits, 4);
        }
    }
    return Digest{samples.value(), floats.value(), static_cast<int>(stream.size())};
}

// Frames of each kind in a stream (by first byte), then lost frames and
// speech frames with invalid codes.
std::vector<int> kindCounts(const Stream& stream) {
    std::vector<int> counts(6, 0);
    for (const Frame& f : stream) {
        if (f.empty()) {
            ++counts[4];
            continue;
        }
        const int kind = f[0] & 3;
        ++counts[kind];
        if (kind < 2) {
            FrameParams params;
            uint8_t copy[maxFrameBytes] = {};
            std::memcpy(copy, f.data(), f.size());
            unpackFrame(&params, copy, kind, 0);
            if (params.badFrame != 0) ++counts[5];
        }
    }
    return counts;
}

struct Pinned {
    const char* name;
    Stream (*build)();
    int frames;
    uint64_t samples;
    uint64_t floats;
};

const Pinned pinned[] = {
    {"repeated sample", repeatedSample, 2070, 0x245b4afe185177f0ull, 0x4d86ccaababafb3full},
    {"damaged sample", damagedSample, 699, 0xdc0259d299956fd3ull, 0xbbfc046a524def83ull},
    {"24-byte speech", highRate, 800, 0x12a72b7dad9aab37ull, 0xf8ee87bfc61b9505ull},
    {"20-byte speech", lowRate, 800, 0x620d3d92c352dbedull, 0xb92afa6fdeb14632ull},
    {"silence compression", silenceCompression, 2007, 0x07510e0af7ff0f4full, 0x21d0527d5a4837b2ull},
    {"mixed kinds and losses", mixed, 3000, 0x08fc85d38e0689d1ull, 0x6da1515e01907a0dull},
    {"runaway gains", runawayGains, 320, 0x9686a836f70c4616ull, 0x4d4b2726b6e3dfefull},
};

}  // namespace

TEST(PinnedOutput, StreamsCoverEveryFrameKind) {
    std::vector<int> total(6, 0);
    for (const Pinned& p : pinned) {
        const std::vector<int> counts = kindCounts(p.build());
        for (int k = 0; k < 6; ++k) total[k] += counts[k];
    }
    std::printf("24-byte %d, 20-byte %d, SID %d, untransmitted %d, lost %d, bad %d\n", total[0], total[1], total[2],
                total[3], total[4], total[5]);
    EXPECT_GT(total[0], 3000);  // 24-byte speech
    EXPECT_GT(total[1], 1000);  // 20-byte speech
    EXPECT_GT(total[2], 300);   // SID
    EXPECT_GT(total[3], 1000);  // untransmitted
    EXPECT_GT(total[4], 200);   // lost
    EXPECT_GT(total[5], 300);   // bad (invalid codes)
}

TEST(PinnedOutput, SamplesMatchTheStoredChecksums) {
    for (const Pinned& p : pinned) {
        const Digest d = decodeStream(p.build(), 0);
        std::printf("%-24s %5d frames  samples %016llx  floats %016llx\n", p.name, d.frames,
                    static_cast<unsigned long long>(d.samples), static_cast<unsigned long long>(d.floats));
        EXPECT_EQ(d.frames, p.frames) << p.name;
        EXPECT_EQ(d.samples, p.samples) << p.name;
        EXPECT_EQ(d.floats, p.floats) << p.name;
    }
}

TEST(PinnedOutput, BatchesGiveTheSameSamples) {
    for (const Pinned& p : pinned) {
        const Stream stream = p.build();
        for (int batch : {1, 2, 7, 32, static_cast<int>(stream.size())}) {
            EXPECT_EQ(decodeStream(stream, batch).samples, p.samples) << p.name << ", batches of " << batch;
        }
    }
}
