// The per-frame routine: unpacking, LSP decoding, then speech, concealment or
// comfort noise into a filter job; then (through the filter pipeline) the
// pitch postfilter, synthesis, formant postfilter and output; and last the
// history shifts.
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
constexpr int16_t initialNoiseSeed = 12345;

}  // namespace

void DecoderState::prepareFrame(FilterJob* job, uint8_t* frame, int32_t lowRate, int32_t postfilterOn,
                                int32_t badFrame)
{
    FrameParams params;
    unpackFrame(&params, frame, lowRate, badFrame);
    if (params.badFrame != 0) {
        // A bad frame keeps the mode: concealed in speech, untransmitted in silence.
        params.frameType = prevFrameType == 1 ? 1 : 0;
    }

    float lspVect[lpcOrder];
    job->excitation = nullptr;
    job->postfilterOn = postfilterOn;
    if (params.frameType == 1) {
        if (decodeSpeech(params, lowRate, lspVect, job->lpcSet, job->frameExc)) {
            job->excitation = excitation + excitationHistory;
            job->pitchLag[0] = params.pitchLag[0];
            job->pitchLag[1] = params.pitchLag[1];
        }
    } else {
        comfortNoiseFrame(excitation + excitationHistory, &params, lspVect, prevLsp);
        interpolateLsp(job->lpcSet, lspVect, prevLsp);
        std::memcpy(job->frameExc, excitation + excitationHistory, sizeof job->frameExc);
    }
    prevFrameType = params.frameType;
    std::memcpy(prevLsp, lspVect, sizeof prevLsp);
}

namespace {

// The frame of decodeFrame as a run of one.
struct OneFrame {
    DecoderState* decoder;
    uint8_t* frame;
    int32_t lowRate;
    int32_t postfilterOn;
    int32_t badFrame;
    bool given;
};

bool nextOfOneFrame(void* context, FilterJob* job)
{
    OneFrame& one = *static_cast<OneFrame*>(context);
    if (one.given) {
        return false;
    }
    one.decoder->prepareFrame(job, one.frame, one.lowRate, one.postfilterOn, one.badFrame);
    one.given = true;
    return true;
}

}  // namespace

void DecoderState::decodeFrame(int16_t* out, uint8_t* frame, int32_t lowRate, int32_t postfilterOn,
                               int32_t badFrame)
{
    OneFrame one{this, frame, lowRate, postfilterOn, badFrame, false};
    runFilterPipeline(filterState(), nextOfOneFrame, &one, out);
    shiftExcitation();
    shiftFilterMemories();
}

FilterState DecoderState::filterState()
{
    return FilterState{synthBuf, postBuf, &postTilt};
}

// A good frame leaves its excitation to be pitch-postfiltered into frameExc
// (by the filter pipeline) and returns true; a concealed one writes frameExc.
bool DecoderState::decodeSpeech(const FrameParams& params, int32_t lowRate, float* lspVect,
                                float lpcSet[4][lpcOrder], float* frameExc)
{
    if (params.badFrame != 0) {
        erasureCount = erasureCount < maxErasureCount ? erasureCount + 1 : maxErasureCount;
    } else {
        erasureCount = 0;
    }
    decodeLsp(lspVect, prevLsp, params.lspIndex, params.badFrame);
    interpolateLsp(lpcSet, lspVect, prevLsp);

    noiseSeed = initialNoiseSeed;
    if (erasureCount == 0) {
        decodeExcitation(excitation, params, lowRate);
        return true;
    }
    concealFrame(params, frameExc);
    return false;
}

// The first bad frame of a run decides voiced or unvoiced from the history;
// further ones fade the gain.
void DecoderState::concealFrame(const FrameParams& params, float* frameExc)
{
    if (erasureCount == 1) {
        concealLag = analyseHistory(excitation, params.pitchLag[1]);
        concealGain = concealLag != 0 ? voicedConcealGain : historyLevel(excitation);
    } else {
        concealGain *= concealFade;
    }
    regenerateExcitation(excitation, frameExc, concealLag, concealGain, erasureCount, &concealSeed);
}

void DecoderState::shiftExcitation()
{
    std::memmove(excitation, excitation + frameLength, sizeof(float) * excitationHistory);
}

void DecoderState::shiftFilterMemories()
{
    std::memmove(synthBuf, synthBuf + frameLength, sizeof(float) * lpcOrder);
    std::memmove(postBuf, postBuf + frameLength, sizeof(float) * lpcOrder);
}
