// Spectral envelope of a frame: LSP vector decoding with prediction from the
// previous frame, stabilisation, sub-frame interpolation and conversion of an
// LSP vector into direct-form LPC coefficients.
#pragma once

#include <cstdint>

// Decodes the frame's LSP vector (scale 0..256 for 0..pi) from the previous
// vector and the three codebook indices. A bad frame (bad != 0) ignores the
// indices, drifts further toward the mean vector and keeps a wider spacing.
void decodeLsp(float* lspVect, const float* prevLsp, const int32_t lspIndex[3], int32_t bad);

// Spreads lsp[0..9] (ends limited to 3 and 252 first) until they are at
// least minGap apart (less 1/32) and inside 0..256, in at most four passes;
// a vector still not so after them becomes prevLsp.
void stabiliseLsp(float* lsp, const float* prevLsp, float minGap);

// Writes one LPC set per 60-sample sub-frame, interpolating from prevLsp
// toward lspVect (weights 0.25, 0.5, 0.75, 1). lpcSet[i][k] is a(k+1) of the
// synthesis filter 1/A(z), A(z) = 1 - sum a(j) z^-j.
void interpolateLsp(float lpcSet[4][10], const float* lspVect, const float* prevLsp);

// Converts one LSP vector into its 10 LPC coefficients, in place.
void lspToLpc(float v[10]);
