// Constant tables of the LSP decoder: the mean LSP vector, the three split
// residual codebooks, the cosine table of the LSP-to-LPC conversion and the
// sub-frame interpolation weights. LSP values use the scale 0..256 for 0..pi.
#pragma once

// Mean LSP vector, LSPs 1-10.
extern const float lspDcVector[10];

// Residual codebooks, indexed by the frame's LSP indices 0, 1 and 2:
// LSPs 1-3, 4-6 and 7-10. Row 0 of each is all zeros.
extern const float lspCodebook0[256][3];
extern const float lspCodebook1[256][3];
extern const float lspCodebook2[256][4];

// cosineTable[i] is cos(2*pi*i/512) at 14 fractional bits.
extern const float cosineTable[512];

// Interpolation weight of the current frame's LSPs in sub-frames 0-3.
extern const float interpWeights[4];
