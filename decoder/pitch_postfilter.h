// Pitch postfilter: strengthens the periodicity of each good sub-frame's
// excitation by mixing in the best-matching segment one pitch period away.
// The plain forms here are what the filter pipeline's phased search
// (pitch_search.h) is tested against.
#pragma once

#include <cstdint>

// Filter parameters of one sub-frame: out[n] = x[n] * scale + x[n + offset] * lagGain.
struct PitchPostParams {
    int32_t offset;  // distance to the matching segment: < 0 earlier, > 0 later, 0 none
    float lagGain;   // weight of the matching segment
    float scale;     // weight of the sub-frame itself
};

// Search limits shared by both forms of the search.
constexpr int32_t pitchSearchHalfWidth = 3;  // lags searched each way: open-loop lag -3 .. +3
constexpr int32_t pitchMaxLag = 142;         // open-loop lags above this are searched at 142

// Chooses the parameters of sub-frame k, lag by lag: the best positive
// correlation backward and forward (forward segments end within the frame),
// the energies of the chosen segments, then the gain rule. x points at the
// sub-frame's first sample inside the excitation buffer; the frame it belongs
// to and the 145 samples before it are read (x[-145 - 60k .. 239 - 60k]).
// pitchLag is the sub-frame's open-loop lag.
PitchPostParams findPitchPostParams(const float* x, int32_t pitchLag, int32_t k, int32_t postfilterOn);

// Gain rule for a candidate at offset with sub-frame energy e0, correlation c
// and candidate energy e: weak periodicity leaves the sub-frame unchanged.
PitchPostParams pitchPostGains(int32_t offset, float e0, float c, float e);

// Writes out[0..59] from the sub-frame x with the parameters p.
void applyPitchPostfilter(float* out, const float* x, const PitchPostParams& p);
