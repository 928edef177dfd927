// The recorded sample's frames, and the long streams of every frame kind whose
// decoded samples are pinned to checksums and compared with the plain
// whole-frame reference.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bitstream_file.h"
#include "frame_writer.h"

namespace pinnedStreams {

using Frame = std::vector<uint8_t>;  // empty: a lost frame
using Stream = std::vector<Frame>;

// The recorded sample, 24-byte higher-rate frames back to back.
inline Stream sampleFrames() {
    const Frame data = readFileBytes(SPEECHDEC_SAMPLES "/speech.g723");
    Stream frames;
    for (size_t pos = 0; pos + 24 <= data.size(); pos += 24) {
        frames.emplace_back(data.begin() + pos, data.begin() + pos + 24);
    }
    return frames;
}

// The recorded sample ten times in a row, histories carried across the joins.
inline Stream repeatedSample() {
    const Stream once = sampleFrames();
    Stream stream;
    for (int i = 0; i < 10; ++i) stream.insert(stream.end(), once.begin(), once.end());
    return stream;
}

// Sets the first lag code of a speech frame to an invalid value (124..127).
inline Frame withInvalidLag(Frame frame, uint32_t code) {
    for (int k = 0; k < 7; ++k) {
        const int bit = 26 + k;
        const uint8_t mask = static_cast<uint8_t>(1u << (bit & 7));
        if ((code >> k) & 1)
            frame[bit >> 3] |= mask;
        else
            frame[bit >> 3] &= static_cast<uint8_t>(~mask);
    }
    return frame;
}

// The recorded sample three times with lost frames, runs of one to four bad
// frames and silence periods (SID and untransmitted frames) cut into it.
inline Stream damagedSample() {
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

inline Stream generatedSpeech(bool lowRate, uint32_t seed) {
    frames::Random rng(seed);
    Stream stream;
    for (int i = 0; i < 800; ++i) stream.push_back(frames::randomSpeechFrame(rng, lowRate));
    return stream;
}

// Talk spurts at both rates separated by silence periods with SID updates,
// bad frames in speech (concealment up to silence) and in silence.
inline Stream silenceCompression() {
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
                stream.push_back(rng.below(6) == 0 ? frames::randomBytesFrame(rng, 1) : frames::untransmittedFrame());
            }
        }
    }
    return stream;
}

// Random frames of every kind, valid and invalid, and lost frames.
inline Stream mixed() {
    Stream stream;
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        const Stream part = frames::mixedStream(seed, 1000);
        stream.insert(stream.end(), part.begin(), part.end());
    }
    return stream;
}

// Valid codes whose gains make the excitation run into its 16-bit limit,
// at both rates, each followed by ordinary speech.
inline Stream runawayGains() {
    frames::Random rng(5);
    Stream stream;
    for (const Frame& runaway : {frames::runawayFrame(true), frames::runawayFrame(false)}) {
        for (int i = 0; i < 80; ++i) stream.push_back(runaway);
        for (int i = 0; i < 80; ++i) stream.push_back(frames::randomSpeechFrame(rng, i % 2 == 0));
    }
    return stream;
}

inline Stream highRate() { return generatedSpeech(false, 31); }
inline Stream lowRate() { return generatedSpeech(true, 32); }

struct NamedStream {
    const char* name;
    Stream (*build)();
};

// Every pinned stream, in the order of the checksum table.
const NamedStream streams[] = {
    {"repeated sample", repeatedSample}, {"damaged sample", damagedSample},           {"24-byte speech", highRate},
    {"20-byte speech", lowRate},         {"silence compression", silenceCompression}, {"mixed kinds and losses", mixed},
    {"runaway gains", runawayGains},
};

}  // namespace pinnedStreams
