// Pitch postfilter: strengthens the periodicity of each good sub-frame's
// excitation by mixing in the best-matching segment one pitch period away.
#pragma once

#include <cstdint>

// Filter parameters of one sub-frame: out[n] = x[n] * scale + x[n + offset] * lagGain.
struct PitchPostParams {
    int32_t offset;  // distance to the matching segment: < 0 earlier, > 0 later, 0 none
    float lagGain;   // weight of the matching segment
    float scale;     // weight of the sub-frame itself
};

// Chooses the parameters of sub-frame k. x points at the sub-frame's first
// sample inside the excitation buffer (x[-145..] and x[..+204] readable);
// pitchLag is the sub-frame's open-loop lag.
PitchPostParams findPitchPostParams(const float* x, int32_t pitchLag, int32_t k, int32_t postfilterOn);

// Gain rule for a candidate at offset with sub-frame energy e0, correlation c
// and candidate energy e: weak periodicity leaves the sub-frame unchanged.
PitchPostParams pitchPostGains(int32_t offset, float e0, float c, float e);

// Writes out[0..59] from the sub-frame x with the parameters p.
void applyPitchPostfilter(float* out, const float* x, const PitchPostParams& p);
