// Pins the decoder's output on long streams of every frame kind to checksums
// taken from a known-good build, so that work on the decoder's speed cannot
// change a single sample unnoticed. Each stream has two checksums: one of the
// 16-bit samples and one of the bit patterns of the float postfilter output
// they are rounded from (the stricter of the two).
#include "bit_unpack.h"
#include "decoder_state.h"
#include "frame_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Frame = std::vector<uint8_t>;  // empty: a lost frame
using Stream = std::vector<Frame>;

// 64-bit FNV-1a over bytes.
class Fnv64 {
public:
    void add(const void* data, size_t size)
    {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; ++i) m_hash = (m_hash ^ bytes[i]) * 0x100000001B3ull;
    }
    uint64_t value() const { return m_hash; }

private:
    uint64_t m_hash = 0xCBF29CE484222325ull;
};

void addLittleEndian(Fnv64& hash, uint32_t value, int bytes)
{
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
Digest decodeStream(const Stream& stream, int batch)
{
    DecoderState decoder;
    decoder.reset(0);
    Fnv64 samples;
    Fnv64 floats;
    std::vector<uint8_t> padded(stream.size() * maxFrameBytes, 0);
    std::vector<const void*> pointers;
    for (size_t i = 0; i < stream.size(); ++i) {
        std::memcpy(&padded[i * maxFrameBytes], stream[i].data(), stream[i].size());
        pointers.push_back(stream[i].empty() ? nullptr : &padded[i * maxFrameBytes]);
    }
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

Stream sampleFrames()
{
    std::ifstream in(SPEECHDEC_SAMPLES "/speech.g723", std::ios::binary);
    const Frame data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Stream frames;
    for (size_t pos = 0; pos + 24 <= data.size(); pos += 24) {
        frames.emplace_back(data.begin() + pos, data.begin() + pos + 24);
    }
    return frames;
}

// The recorded sample ten times in a row, histories carried across the joins.
Stream repeatedSample()
{
    const Stream once = sampleFrames();
    Stream stream;
    for (int i = 0; i < 10; ++i) stream.insert(stream.end(), once.begin(), once.end());
    return stream;
}

// Sets the first lag code of a speech frame to an invalid value (124..127).
Frame withInvalidLag(Frame frame, uint32_t code)
{
    for (int k = 0; k < 7; ++k) {
        const int bit = 26 + k;
        const uint8_t mask = static_cast<uint8_t>(1u << (bit & 7));
        if ((code >> k) & 1) frame[bit >> 3] |= mask;
        else frame[bit >> 3] &= static_cast<uint8_t>(~mask);
    }
    return frame;
}

// The recorded sample three times with lost frames, runs of one to four bad
// frames and silence periods (SID and untransmitted frames) cut into it.
Stream damagedSample()
{
    const Stream once = sampleFrames();
    frames::Random rng(2024);
    Stream stream;
    for (int pass = 0; pass < 3; ++pass) {
        for (size_t i = 0; i < once.size(); ++i) {
            const uint32_t event = rng.below(40);
            if (event < 3) {
                stream.emplace_back();  // lost instead of this frame
                continue;
            }
            if (event < 6) {
                // The run replaces as many frames of the sample.
                const size_t end = std::min(once.size(), i + 1 + rng.below(4));
                for (; i < end; ++i) stream.push_back(withInvalidLag(once[i], 124 + rng.below(4)));
                --i;
                continue;
            }
            if (event == 6) {
                const uint32_t lsp[3] = {rng.below(256), rng.below(256), rng.below(256)};
                stream.push_back(frames::sidFrame(lsp, rng.below(64)));
                for (uint32_t n = rng.below(12); n > 0; --n) stream.push_back(frames::untransmittedFrame());
                stream.push_back(withInvalidLag(once[i], 127));  // bad frame in silence
            }
            stream.push_back(once[i]);
        }
    }
    return stream;
}

Stream generatedSpeech(bool lowRate, uint32_t seed)
{
    frames::Random rng(seed);
    Stream stream;
    for (int i = 0; i < 800; ++i) stream.push_back(frames::randomSpeechFrame(rng, lowRate));
    return stream;
}

// Talk spurts at both rates separated by silence periods with SID updates,
// bad frames in speech (concealment up to silence) and in silence.
Stream silenceCompression()
{
    frames::Random rng(77);
    Stream stream;
    while (stream.size() < 2000) {
        const bool lowRate = rng.below(2) == 1;
        for (uint32_t n = 3 + rng.below(20); n > 0; --n) {
            if (rng.below(8) == 0) {
                frames::SpeechFields f;
                f.lagCode[0] = f.lagCode[1] = rng.below(128);
                f.gainCode[rng.below(4)] = 170 * 24 + rng.below(16);
                for (uint32_t r = 1 + rng.below(4); r > 0; --r) stream.push_back(frames::speechFrame(f, true));
            } else {
                stream.push_back(frames::randomSpeechFrame(rng, lowRate));
            }
        }
        for (uint32_t sid = 1 + rng.below(3); sid > 0; --sid) {
            const uint32_t lsp[3] = {rng.below(256), rng.below(256), rng.below(256)};
            stream.push_back(frames::sidFrame(lsp, rng.below(64)));
            for (uint32_t n = rng.below(16); n > 0; --n) {
                stream.push_back(rng.below(6) == 0 ? frames::randomBytesFrame(rng, 1)
                                                   : frames::untransmittedFrame());
            }
        }
    }
    return stream;
}

// Random frames of every kind, valid and invalid, and lost frames.
Stream mixed()
{
    Stream stream;
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        const Stream part = frames::mixedStream(seed, 1000);
        stream.insert(stream.end(), part.begin(), part.end());
    }
    return stream;
}

// Valid codes whose gains make the excitation run into its 16-bit limit,
// at both rates, each followed by ordinary speech.
Stream runawayGains()
{
    frames::Random rng(5);
    Stream stream;
    for (const Frame& runaway : {frames::runawayFrame(true), frames::runawayFrame(false)}) {
        for (int i = 0; i < 80; ++i) stream.push_back(runaway);
        for (int i = 0; i < 80; ++i) stream.push_back(frames::randomSpeechFrame(rng, i % 2 == 0));
    }
    return stream;
}

// Frames of each kind in a stream (by first byte), then lost frames and
// speech frames with invalid codes.
std::vector<int> kindCounts(const Stream& stream)
{
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

Stream highRate() { return generatedSpeech(false, 31); }
Stream lowRate() { return generatedSpeech(true, 32); }

const Pinned pinned[] = {
    {"repeated sample", repeatedSample, 2070, 0x00be1af015c24a8aull, 0x9fffac2352656149ull},
    {"damaged sample", damagedSample, 699, 0xd0b5875799bf1944ull, 0xd7542ae8334e7e96ull},
    {"24-byte speech", highRate, 800, 0x1ed0736e98bf7cedull, 0x0ad2aac43ab10d82ull},
    {"20-byte speech", lowRate, 800, 0x43c513f64aba7457ull, 0x1da2d0485979e387ull},
    {"silence compression", silenceCompression, 2007, 0x102d5a51e49bb0d4ull, 0x451dd7300f80d625ull},
    {"mixed kinds and losses", mixed, 3000, 0x79d0114d3a0ae476ull, 0xc4130ed7003d43adull},
    {"runaway gains", runawayGains, 320, 0x3db7bfbc78f98a3full, 0xdb5d3eb665a2eadaull},
};

}  // namespace

TEST(PinnedOutput, StreamsCoverEveryFrameKind)
{
    std::vector<int> total(6, 0);
    for (const Pinned& p : pinned) {
        const std::vector<int> counts = kindCounts(p.build());
        for (int k = 0; k < 6; ++k) total[k] += counts[k];
    }
    std::printf("24-byte %d, 20-byte %d, SID %d, untransmitted %d, lost %d, bad %d\n", total[0], total[1],
                total[2], total[3], total[4], total[5]);
    EXPECT_GT(total[0], 3000);  // 24-byte speech
    EXPECT_GT(total[1], 1000);  // 20-byte speech
    EXPECT_GT(total[2], 300);   // SID
    EXPECT_GT(total[3], 1000);  // untransmitted
    EXPECT_GT(total[4], 200);   // lost
    EXPECT_GT(total[5], 300);   // bad (invalid codes)
}

TEST(PinnedOutput, SamplesMatchTheStoredChecksums)
{
    for (const Pinned& p : pinned) {
        const Digest d = decodeStream(p.build(), 0);
        std::printf("%-24s %5d frames  samples %016llx  floats %016llx\n", p.name, d.frames,
                    static_cast<unsigned long long>(d.samples), static_cast<unsigned long long>(d.floats));
        EXPECT_EQ(d.frames, p.frames) << p.name;
        EXPECT_EQ(d.samples, p.samples) << p.name;
        EXPECT_EQ(d.floats, p.floats) << p.name;
    }
}

TEST(PinnedOutput, BatchesGiveTheSameSamples)
{
    for (const Pinned& p : pinned) {
        const Stream stream = p.build();
        for (int batch : {1, 2, 7, 32, static_cast<int>(stream.size())}) {
            EXPECT_EQ(decodeStream(stream, batch).samples, p.samples) << p.name << ", batches of " << batch;
        }
    }
}
