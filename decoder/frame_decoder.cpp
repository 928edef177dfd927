// The per-frame routine: unpacking, LSP decoding, then speech, concealment or
// comfort noise into a filter job; then (through the filter pipeline) the
// pitch postfilter, synthesis, formant postfilter and output, after which the
// histories have moved on by one frame.
#include <cstring>

#include "bit_unpack.h"
#include "comfort_noise.h"
#include "concealment.h"
#include "decoder_state.h"
#include "excitation.h"
#include "filter_pipeline.h"
#include "lsp.h"

namespace {

constexpr int32_t maxErasureCount = 3;
constexpr float voicedConcealGain = 0.875f;
constexpr float concealFade = 0.75f;

}  // namespace

void DecoderState::decodeFrame(int16_t* out, uint8_t* frame, int32_t lowRate, int32_t postfilterOn, int32_t badFrame) {
    FilterJob job;
    prepareFrame(&job, frame, lowRate, postfilterOn, badFrame);
    shiftExcitation();
    FilterTrack track;
    startFilterTrack(&track, filterMemories(), out);
    addFilterJob(track, &job);
    finishFilterTrack(track);
}

void DecoderState::prepareFrame(FilterJob* job, uint8_t* frame, int32_t lowRate, int32_t postfilterOn,
                                int32_t badFrame) {
    FrameParams params;
    unpackFrame(&params, frame, lowRate, badFrame);
    if (params.badFrame != 0) {
        // A bad frame keeps the mode: concealed in speech, untransmitted in silence.
        params.frameType = prevFrameType == 1 ? 1 : 0;
    }

    float lspVect[lpcOrder];
    job->pitchFiltered = false;
    job->postfilterOn = postfilterOn;
    if (params.frameType == 1) {
        decodeSpeech(params, lowRate, lspVect, job);
    } else {
        comfortNoiseFrame(excitation + excitationHistory, &params, lspVect, prevLsp);
        interpolateLsp(job->lpcSet, lspVect, prevLsp);
        std::memcpy(job->frameExc, excitation + excitationHistory, sizeof job->frameExc);
    }
    prevFrameType = params.frameType;
    std::memcpy(prevLsp, lspVect, sizeof prevLsp);
}

// A good frame leaves its excitation, widened into the job's pitch window,
// to be pitch-postfiltered into frameExc by the filter track; a concealed
// one writes frameExc.
void DecoderState::decodeSpeech(const FrameParams& params, int32_t lowRate, float* lspVect, FilterJob* job) {
    if (params.badFrame != 0) {
        erasureCount = erasureCount < maxErasureCount ? erasureCount + 1 : maxErasureCount;
    } else {
        erasureCount = 0;
    }
    decodeLsp(lspVect, prevLsp, params.lspIndex, params.badFrame);
    interpolateLsp(job->lpcSet, lspVect, prevLsp);

    noiseSeed = initialNoiseSeed;
    if (erasureCount == 0) {
        decodeExcitation(excitation, params, lowRate);
        widenPitchWindow(&job->window, excitation + excitationHistory);
        job->pitchFiltered = true;
        job->pitchLag[0] = params.pitchLag[0];
        job->pitchLag[1] = params.pitchLag[1];
        return;
    }
    concealFrame(params, job->frameExc);
}

// The first bad frame of a run decides voiced or unvoiced from the history;
// further ones fade the gain.
void DecoderState::concealFrame(const FrameParams& params, float* frameExc) {
    if (erasureCount == 1) {
        concealLag = analyseHistory(excitation, params.pitchLag[1]);
        concealGain = concealLag != 0 ? voicedConcealGain : historyLevel(excitation);
    } else {
        concealGain *= concealFade;
    }
    regenerateExcitation(excitation, frameExc, concealLag, concealGain, erasureCount, &concealSeed);
}

FilterMemories DecoderState::filterMemories() { return FilterMemories{synthBuf, postBuf, &postTilt}; }

// The excitation history moves on by one frame (the job keeps what the pitch
// postfilter reads of it).
void DecoderState::shiftExcitation() {
    std::memmove(excitation, excitation + frameLength, sizeof(float) * excitationHistory);
}
