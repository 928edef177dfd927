// Formant postfilter: a weighted 6th-order LPC pole filter with adaptive tilt
// compensation, applied to the synthesized speech.
#pragma once

#include <array>

#include "decoder_state.h"

// The pole weights 0.135^1 .. 0.135^6 in single precision.
extern const std::array<float, 6> postWeights;

// Filters synth[0..239] into post[0..239]; post[-6..-1] and synth[-1] are the
// memories of the previous frame. Updates postTilt. With postfilterOn 0 the
// speech is copied unchanged and postTilt kept.
void formantPostfilter(float* post, const float* synth, const float lpcSet[4][lpcOrder],
                       float& postTilt, int32_t postfilterOn);
