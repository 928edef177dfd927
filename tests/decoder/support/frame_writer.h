// Builds compressed frames bit by bit from field values, for tests and the
// benchmark: speech frames of both rates, SID and untransmitted frames,
// reproducible pseudo-random streams of them, and streams laid out for the
// batch call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "speechdec.h"

namespace frames {

// Appends fields to a frame, least significant bit first.
class BitWriter {
public:
    explicit BitWriter(int bytes) : m_bytes(bytes, 0) {}
    void put(uint32_t value, int width) {
        for (int k = 0; k < width; ++k, ++m_pos) {
            if ((value >> k) & 1) {
                m_bytes[m_pos >> 3] |= static_cast<uint8_t>(1u << (m_pos & 7));
            }
        }
    }
    int position() const { return m_pos; }
    std::vector<uint8_t> bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    int m_pos = 0;
};

// The transmitted fields of a speech frame (codes as in the bitstream).
struct SpeechFields {
    uint32_t lsp[3] = {0, 0, 0};          // LSP indices 0, 1, 2
    uint32_t lagCode[2] = {40, 40};       // 7-bit lag codes (lag = code + 18)
    uint32_t lagDelta[2] = {1, 1};        // 2-bit offsets of sub-frames 1 and 3
    uint32_t gainCode[4] = {0, 0, 0, 0};  // 12-bit gain codes
    uint32_t grid[4] = {0, 0, 0, 0};
    uint32_t reserved = 0;                // higher rate only
    uint32_t combined = 0;                // higher rate: 13-bit index M
    uint32_t posLow[4] = {0, 0, 0, 0};    // higher rate: 16/14/16/14 low position bits
    uint32_t pulsePos[4] = {0, 0, 0, 0};  // lower rate: 12-bit position codes
    uint32_t signs[4] = {0, 0, 0, 0};     // 6/5/6/5 (higher) or 4 (lower) sign bits
};

inline std::vector<uint8_t> speechFrame(const SpeechFields& f, bool lowRate) {
    BitWriter w(lowRate ? 20 : 24);
    w.put(lowRate ? 1 : 0, 2);
    w.put(f.lsp[2], 8);
    w.put(f.lsp[1], 8);
    w.put(f.lsp[0], 8);
    w.put(f.lagCode[0], 7);
    w.put(f.lagDelta[0], 2);
    w.put(f.lagCode[1], 7);
    w.put(f.lagDelta[1], 2);
    for (uint32_t g : f.gainCode) w.put(g, 12);
    for (uint32_t g : f.grid) w.put(g, 1);
    if (lowRate) {
        for (uint32_t p : f.pulsePos) w.put(p, 12);
        for (uint32_t s : f.signs) w.put(s, 4);
    } else {
        static const int lowBits[4] = {16, 14, 16, 14};
        static const int signBits[4] = {6, 5, 6, 5};
        w.put(f.reserved, 1);
        w.put(f.combined, 13);
        for (int i = 0; i < 4; ++i) w.put(f.posLow[i], lowBits[i]);
        for (int i = 0; i < 4; ++i) w.put(f.signs[i], signBits[i]);
    }
    return w.bytes();
}

inline std::vector<uint8_t> sidFrame(const uint32_t lsp[3], uint32_t gainCode) {
    BitWriter w(4);
    w.put(2, 2);
    w.put(lsp[2], 8);
    w.put(lsp[1], 8);
    w.put(lsp[0], 8);
    w.put(gainCode, 6);
    return w.bytes();
}

inline std::vector<uint8_t> untransmittedFrame() { return {0x03, 0x00}; }

// Small deterministic generator (the same sequence on every platform).
class Random {
public:
    explicit Random(uint32_t seed) : m_state(seed * 2654435761u + 1u) {}
    uint32_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    uint32_t below(uint32_t n) { return next() % n; }

private:
    uint32_t m_state;
};

// A random speech frame whose codes are all valid (lag codes 0..123, gain
// rows inside their table), so that it decodes through the speech path.
inline std::vector<uint8_t> randomSpeechFrame(Random& rng, bool lowRate) {
    SpeechFields f;
    for (uint32_t& v : f.lsp) v = rng.below(256);
    for (uint32_t& v : f.lagCode) v = rng.below(124);
    for (uint32_t& v : f.lagDelta) v = rng.below(4);
    for (int i = 0; i < 4; ++i) {
        bool shortTable = !lowRate && f.lagCode[i / 2] + 18 < 58;
        uint32_t rows = shortTable ? 85 : 170;
        uint32_t code = rng.below(rows) * 24 + rng.below(24);
        if (shortTable) code |= rng.below(2) << 11;
        f.gainCode[i] = code;
        f.grid[i] = rng.below(2);
    }
    f.reserved = rng.below(2);
    f.combined = rng.below(8192);
    for (uint32_t& v : f.posLow) v = rng.below(1u << 16);
    f.posLow[1] &= 0x3FFF;
    f.posLow[3] &= 0x3FFF;
    for (uint32_t& v : f.pulsePos) v = rng.below(4096);
    for (int i = 0; i < 4; ++i) f.signs[i] = rng.below(lowRate ? 16 : (i % 2 ? 32 : 64));
    return speechFrame(f, lowRate);
}

// A frame of random bytes with the given kind in bits 0-1 (may carry invalid codes).
inline std::vector<uint8_t> randomBytesFrame(Random& rng, int kind) {
    std::vector<uint8_t> frame(static_cast<size_t>(speechdecFrameBytes(kind)));
    for (uint8_t& b : frame) b = static_cast<uint8_t>(rng.next() >> 24);
    frame[0] = static_cast<uint8_t>((frame[0] & ~3u) | static_cast<uint32_t>(kind));
    return frame;
}

// A mixed stream: runs of valid speech at both rates, random-byte frames of
// every kind (bad frames, SID, untransmitted) and lost frames (empty entries).
inline std::vector<std::vector<uint8_t>> mixedStream(uint32_t seed, int count) {
    Random rng(seed);
    std::vector<std::vector<uint8_t>> stream;
    while (static_cast<int>(stream.size()) < count) {
        uint32_t choice = rng.below(10);
        int run = 1 + static_cast<int>(rng.below(6));
        for (int i = 0; i < run; ++i) {
            if (choice < 3)
                stream.push_back(randomSpeechFrame(rng, false));
            else if (choice < 6)
                stream.push_back(randomSpeechFrame(rng, true));
            else if (choice < 9)
                stream.push_back(randomBytesFrame(rng, static_cast<int>(rng.below(4))));
            else
                stream.emplace_back();
        }
    }
    stream.resize(count);
    return stream;
}

// A stream laid out for the batch call: each frame at the start of a slot of
// the largest frame's size, a null pointer for each lost (empty) frame.
struct BatchFrames {
    std::vector<uint8_t> slots;
    std::vector<const void*> pointers;
    explicit BatchFrames(const std::vector<std::vector<uint8_t>>& stream)
        : slots(stream.size() * SPEECHDEC_MAX_FRAME_BYTES, 0) {
        for (size_t i = 0; i < stream.size(); ++i) {
            uint8_t* slot = &slots[i * SPEECHDEC_MAX_FRAME_BYTES];
            if (stream[i].empty()) {
                pointers.push_back(nullptr);
                continue;
            }
            std::memcpy(slot, stream[i].data(), stream[i].size());
            pointers.push_back(slot);
        }
    }
    BatchFrames(const BatchFrames&) = delete;
    BatchFrames& operator=(const BatchFrames&) = delete;
};

// Valid codes that make the excitation grow without bound, every sub-frame:
// at the lower rate the largest 170-row entry (taps summing to 2.24) with the
// largest pulse amplitude and lag 78; at the higher rate the largest 85-row
// entry with the pulse train and lag 38.
inline std::vector<uint8_t> runawayFrame(bool lowRate) {
    SpeechFields f;
    f.lagCode[0] = f.lagCode[1] = lowRate ? 60 : 20;
    for (int i = 0; i < 4; ++i) {
        if (lowRate) {
            f.gainCode[i] = 169 * 24 + 23;
            f.pulsePos[i] = 0x123;
            f.signs[i] = 0xF;
        } else {
            f.gainCode[i] = (1u << 11) | (84 * 24 + 23);
        }
    }
    return speechFrame(f, lowRate);
}

}  // namespace frames
