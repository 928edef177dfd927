// The decoder object's life: reset, the per-call entry (frame kinds and word
// counts), runs of received frames and the replacement of lost frames from
// the last output.
#include "decoder_state.h"

#include <cstring>

#include "filter_pipeline.h"
#include "tables/lsp_tables.h"

namespace {

constexpr int16_t maxLostCount = 10;

}  // namespace

DecoderState::DecoderState() { reset(0); }

void DecoderState::reset(int32_t mode) {
    erasureCount = 0;
    postTilt = 0.0f;
    concealSeed = 0;
    concealLag = 0;
    concealGain = 0.0f;
    std::memcpy(prevLsp, lspDcVector, sizeof prevLsp);
    std::memset(excitation, 0, sizeof excitation);
    std::memset(synthBuf, 0, sizeof synthBuf);
    std::memset(postBuf, 0, sizeof postBuf);
    prevFrameType = 1;
    noiseSeed = initialNoiseSeed;
    sidGainIndex = 0;
    noiseGain = 0.0f;

    lowRate = (mode & 0xFFFF) == 0 ? 1 : 0;
    postfilterOn = 1;
    lostCount = 0;
    std::memset(frameBuf, 0, sizeof frameBuf);
    std::memset(outBuf, 0, sizeof outBuf);
}

int32_t DecoderState::decodeSoundFrame(const void* frame, int16_t* samples) {
    if (frame == nullptr) {
        replaceLostFrame(samples);
        return 1;
    }
    const int32_t words = receiveFrame(frame);
    decodeFrame(outBuf, frameBuf, lowRate, postfilterOn, 0);
    std::memcpy(samples, outBuf, sizeof outBuf);
    return words;
}

void DecoderState::decodeSoundFrames(const void* const* frames, int32_t count, int16_t* samples) {
    int32_t first = 0;
    while (first < count) {
        if (frames[first] == nullptr) {
            replaceLostFrame(samples + frameLength * first);
            ++first;
            continue;
        }
        int32_t end = first + 1;
        while (end < count && frames[end] != nullptr) ++end;
        decodeReceivedRun(frames + first, end - first, samples + frameLength * first);
        first = end;
    }
}

// A received frame as decodeSoundFrame takes it: the rate from its kind, the
// lost-frame count back to 0, the frame copied into frameBuf. Returns its
// length in 16-bit words.
int32_t DecoderState::receiveFrame(const void* frame) {
    const int32_t kind = static_cast<const uint8_t*>(frame)[0] & 3;
    const int32_t bytes = speechdecFrameBytes(kind);
    lowRate = kind == 1 ? 1 : 0;
    lostCount = 0;
    std::memcpy(frameBuf, frame, static_cast<size_t>(bytes));
    return bytes / 2;
}

// A run of received frames, each decoded as decodeSoundFrame does, but with
// one filter track for the run: the frame after is prepared while the track
// is inside the frame before (each job carries what its filter stages read,
// so the excitation history moves on as soon as a frame is prepared).
// Afterwards outBuf holds the last frame's samples.
void DecoderState::decodeReceivedRun(const void* const* frames, int32_t count, int16_t* samples) {
    FilterJob jobs[2];  // the frame being prepared and the one the track is inside
    FilterTrack track;
    startFilterTrack(&track, filterMemories(), samples);
    for (int32_t i = 0; i < count; ++i) {
        FilterJob* job = &jobs[i % 2];
        receiveFrame(frames[i]);
        prepareFrame(job, frameBuf, lowRate, postfilterOn, 0);
        shiftExcitation();
        addFilterJob(track, job);
    }
    finishFilterTrack(track);
    std::memcpy(outBuf, samples + frameLength * (count - 1), sizeof outBuf);
}

// Plays the last output backwards with the gain f^i, f = 0.995 - 0.001 *
// lostCount; the replacement becomes the last output. The decoder's history
// is left as the last received frame left it.
void DecoderState::replaceLostFrame(int16_t* samples) {
    double step = lostCount * -0.001 + 0.995;
    double gain = 1.0;
    for (int32_t i = 0; i < frameLength; ++i) {
        samples[i] = static_cast<int16_t>(static_cast<int32_t>(outBuf[frameLength - 1 - i] * gain));
        gain *= step;
    }
    std::memcpy(outBuf, samples, sizeof outBuf);
    if (lostCount < maxLostCount) {
        ++lostCount;
    }
}
