// Pitch postfilter: strengthens the periodicity of each good sub-frame's
// excitation by mixing in the best-matching segment one pitch period away.
// The parameters and limits of the search and its gain rule; the search and
// the filter themselves run phased in the filter pipeline (pitch_search.h).
#pragma once

#include <cstdint>

// Filter parameters of one sub-frame: out[n] = x[n] * scale + x[n + offset] * lagGain.
struct PitchPostParams {
    int32_t offset;  // distance to the matching segment: < 0 earlier, > 0 later, 0 none
    float lagGain;   // weight of the matching segment
    float scale;     // weight of the sub-frame itself
};

// The lags searched around the open-loop lag.
constexpr int32_t pitchSearchHalfWidth = 3;  // lags searched each way: open-loop lag -3 .. +3
constexpr int32_t pitchMaxLag = 142;         // open-loop lags above this are searched at 142

// Gain rule for a candidate at offset with sub-frame energy e0, correlation c
// and candidate energy e: weak periodicity leaves the sub-frame unchanged.
PitchPostParams pitchPostGains(int32_t offset, float e0, float c, float e);
