// The decoder object: everything one speech stream keeps from frame to frame,
// and the per-frame routine that runs the decoding stages in their fixed order.
#pragma once

#include <cstdint>

#include "frame_params.h"
#include "speechdec.h"

struct FilterJob;
struct FilterMemories;

// Sizes shared by the decoding stages.
constexpr int32_t frameLength = 240;        // samples per frame (30 ms at 8 kHz)
constexpr int32_t subframeLength = 60;      // samples per sub-frame
constexpr int32_t excitationHistory = 265;  // past excitation kept: lag 143 + 2 and more for concealment
constexpr int32_t lpcOrder = 10;            // LSP/LPC order; also the synthesis/postfilter memory length
constexpr int32_t maxFrameBytes = SPEECHDEC_MAX_FRAME_BYTES;  // the largest frame (higher-rate speech)
constexpr int16_t initialNoiseSeed = 12345;                   // noiseSeed after a reset and after every speech frame

// Arithmetic convention of every stage: signal data is float. A sum of
// products is accumulated in double, each product formed from the operands
// widened to double (so the product itself is exact), and rounded to float
// when it is stored; a filter's output sum includes its input term in the
// same double sum. Everything else is evaluated in the type of its operands
// (float with float, no wider intermediates). The excitation history holds
// whole numbers in the 16-bit range (excitation_grid.h), and the 5-tap
// adaptive-codebook filter sums it in integers.

// One decoder, one stream. Any number of objects may exist; each decodes its
// own stream independently. The object holds its buffers itself, so creating
// one allocates nothing beyond the object and cannot fail half-way.
struct DecoderState {
    int32_t erasureCount;     // consecutive bad speech frames, 0..3
    float postTilt;           // smoothed tilt coefficient of the formant postfilter
    int16_t concealSeed;      // random seed of unvoiced concealment
    int32_t concealLag;       // period of voiced concealment; 0 = unvoiced
    float concealGain;        // gain (voiced) or noise level (unvoiced) of concealment
    float prevLsp[lpcOrder];  // previous frame's LSP vector, scale 0..256 for 0..pi
    float excitation[excitationHistory +
                     frameLength];           // [0..264] past excitation, oldest first; [265..504] current frame
    float synthBuf[lpcOrder + frameLength];  // [0..9] last synthesis outputs; [10..249] current frame
    float postBuf[lpcOrder + frameLength];   // [0..9] last postfilter outputs; [10..249] current frame
    int32_t prevFrameType;  // type of the previous frame after bad-frame mapping: 0 untransmitted, 1 speech, 2 SID
    int16_t noiseSeed;      // random seed of comfort noise; 12345 after every speech frame
    int32_t sidGainIndex;   // last received SID gain code 0..63
    float noiseGain;        // smoothed comfort-noise level

    int32_t lowRate;                  // 1 while decoding a 20-byte (lower-rate) frame, else 0
    int32_t postfilterOn;             // postfilter switch; always 1, both postfilters run
    int16_t lostCount;                // consecutive lost (null) frames, 0..10
    uint8_t frameBuf[maxFrameBytes];  // private copy of the received frame; unpacking may overwrite it
    int16_t outBuf[frameLength];      // the last 240 output samples, decoded or replaced

    // Constructs a reset decoder (as after reset(0)).
    DecoderState();

    // Resets the stream: every field to its initial value; prevLsp = the mean
    // LSP vector. Only the low 16 bits of mode are examined (0: lower rate).
    void reset(int32_t mode);

    // Decodes one frame (kind in bits 0-1 of its first byte) into 240 samples,
    // or replaces a lost frame when frame is null. Returns the number of
    // 16-bit words the frame occupies: 12, 10, 2, 1, and 1 for a null frame.
    // A received frame is copied into frameBuf and decoded by decodeFrame
    // into outBuf.
    int32_t decodeSoundFrame(const void* frame, int16_t* samples);

    // The same for count frames in a row (null pointers for lost frames):
    // frame i's samples go to samples + 240 i, exactly as count calls of
    // decodeSoundFrame would give them. Received frames that follow each
    // other go through one filter track (see filter_pipeline.h), which
    // overlaps the filter stages of one frame with those of the next.
    void decodeSoundFrames(const void* const* frames, int32_t count, int16_t* samples);

    // The frame routine: decodes the frame copy `frame` into `out`;
    // badFrame != 0 forces the bad-frame path. prepareFrame, the excitation
    // history moves on, then the filter stages of one frame's job.
    void decodeFrame(int16_t* out, uint8_t* frame, int32_t lowRate, int32_t postfilterOn, int32_t badFrame);

    // The frame routine up to the filter stages: unpacking, LSP decoding,
    // excitation (speech), concealment or comfort noise, written into job;
    // prevLsp and prevFrameType move on. The frame's excitation stays in
    // excitation[265..504] until the frame routine moves the history on.
    void prepareFrame(FilterJob* job, uint8_t* frame, int32_t lowRate, int32_t postfilterOn, int32_t badFrame);

    // Comfort noise for a SID or untransmitted frame: writes exc[0..239]
    // (exc = excitation + 265) and the frame's LSP vector, updates
    // sidGainIndex, noiseGain and noiseSeed. Uses prevFrameType of the previous frame.
    void comfortNoiseFrame(float* exc, FrameParams* params, float* lspVect, const float* prevLsp);

private:
    int32_t receiveFrame(const void* frame);
    void replaceLostFrame(int16_t* samples);
    void decodeReceivedRun(const void* const* frames, int32_t count, int16_t* samples);
    void decodeSpeech(const FrameParams& params, int32_t lowRate, float* lspVect, FilterJob* job);
    void concealFrame(const FrameParams& params, float* frameExc);
    FilterMemories filterMemories();
    void shiftExcitation();
};
