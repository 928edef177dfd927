// The decoder object's life: reset, the per-call entry (frame kinds and word
// counts) and the replacement of lost frames from the last output.
#include "decoder_state.h"

#include <cstring>

#include "bit_unpack.h"
#include "filter_pipeline.h"
#include "tables/lsp_tables.h"

namespace {

constexpr int16_t maxLostCount = 10;
constexpr int16_t initialNoiseSeed = 12345;

int32_t wordsOfKind(int32_t kind)
{
    static const int32_t words[4] = {12, 10, 2, 1};
    return words[kind];
}

}  // namespace

DecoderState::DecoderState()
{
    reset(0);
}

void DecoderState::reset(int32_t mode)
{
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

int32_t DecoderState::decodeSoundFrame(const void* frame, int16_t* samples)
{
    decodeSoundFrames(&frame, 1, samples);
    return frame == nullptr ? 1 : wordsOfKind(static_cast<const uint8_t*>(frame)[0] & 3);
}

void DecoderState::decodeSoundFrames(const void* const* frames, int32_t count, int16_t* samples)
{
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

// prepareFrame for a received frame as decodeSoundFrame takes it: rate from
// its kind, copied into frameBuf.
void DecoderState::receiveFrame(FilterJob* job, const void* frame)
{
    int32_t kind = static_cast<const uint8_t*>(frame)[0] & 3;
    lowRate = kind == 1 ? 1 : 0;
    lostCount = 0;
    std::memcpy(frameBuf, frame, 2 * static_cast<size_t>(wordsOfKind(kind)));
    prepareFrame(job, frameBuf, lowRate, postfilterOn, 0);
}

// A run of received frames: each frame is prepared and its job handed to
// the filter track, which then runs as far as it can before the frame after
// is needed (its pitch searches start in the second sub-frame's loop of the
// frame before); afterwards the histories have moved on past the last frame
// and outBuf holds its samples. A frame's pitch postfilter reads its own
// window, so the excitation history may move on as soon as a frame is
// prepared.
void DecoderState::decodeReceivedRun(const void* const* frames, int32_t count, int16_t* samples)
{
    FilterJob jobs[2];  // the frame being prepared and the one the track works on
    receiveFrame(&jobs[0], frames[0]);
    FilterTrack track;
    startFilterTrack(&track, filterState(), &jobs[0], samples);
    for (int32_t i = 1; i < count; ++i) {
        advanceFilterTrack(track);
        shiftExcitation();
        receiveFrame(&jobs[i % 2], frames[i]);
        queueFilterJob(track, &jobs[i % 2]);
    }
    finishFilterTrack(track);
    shiftExcitation();
    shiftFilterMemories();
    std::memcpy(outBuf, samples + frameLength * (count - 1), sizeof outBuf);
}

// Plays the last output backwards with the gain f^i, f = 0.995 - 0.001 *
// lostCount; the replacement becomes the last output. The decoder's history
// is left as the last received frame left it.
void DecoderState::replaceLostFrame(int16_t* samples)
{
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
