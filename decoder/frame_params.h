// The unpacked form of one compressed frame: what bit unpacking produces and
// every later decoding stage reads.
#pragma once

#include <cstdint>

// Parameters of one 60-sample sub-frame of a speech frame.
struct SubframeParams {
    int32_t lagDelta;        // lag offset code: 1 in sub-frames 0 and 2, 0..3 in sub-frames 1 and 3
    int32_t acbGainIndex;    // row of the adaptive-codebook gain table
    int32_t pulseTrain;      // 1: repeat the pulses at the open-loop lag (higher rate, 85-row table only)
    int32_t fixedGainIndex;  // fixed-codebook gain index 0..23
    int32_t grid;            // pulse grid (parity of the pulse positions), 0 or 1
    int32_t pulseSigns;      // pulse sign bits: 6/5/6/5 bits at the higher rate, 4 at the lower rate
    int32_t pulsePos;        // pulse position code: combined enumerative code (higher rate) or 12-bit code
};

// One unpacked frame. Fields a frame kind does not carry are zero after unpacking.
struct FrameParams {
    int32_t badFrame;       // number of invalid codes found; 0 for a good frame
    int32_t frameType;      // 1 speech, 2 silence descriptor (SID), 0 untransmitted
    int32_t sidGainCode;    // SID frames: 6-bit comfort-noise gain code 0..63
    int32_t lspIndex[3];    // LSP codebook indices for LSPs 1-3, 4-6 and 7-10
    int32_t pitchLag[2];    // open-loop pitch lag of sub-frames 0-1 and 2-3 (18..141, or a raw invalid code)
    SubframeParams sub[4];  // one record per sub-frame
};
