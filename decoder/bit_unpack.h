// Bit unpacking: turns a compressed frame into a FrameParams record and
// counts the invalid codes in it.
#pragma once

#include <cstdint>

#include "frame_params.h"

// Read position in a frame. Bit 8*b + j is bit j of byte b; a field's first
// bit is its least significant bit.
struct BitCursor {
    const uint8_t* bytes;  // the frame
    int32_t bitPos;        // next bit to read
};

// Returns the next n bits (1 <= n <= 16), first bit read as the least
// significant, and advances the cursor by n.
int32_t readBits(BitCursor& cursor, int32_t n);

// Fills params from frame. lowRate selects the 20-byte layout after the grid
// bits. A non-zero bad is stored in badFrame and nothing is read. Every field
// the frame kind does not carry is zero.
void unpackFrame(FrameParams* params, uint8_t* frame, int32_t lowRate, int32_t bad);
