// The filter stages written plainly, one frame or sub-frame at a time: the
// pitch postfilter's lag-by-lag search and filter, the synthesis filter, the
// formant postfilter and the conversion of one sample. The decoder's phased,
// pipelined and vectorised forms are tested against them bit for bit.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "decoder_state.h"
#include "dot_product.h"
#include "formant_postfilter.h"
#include "pitch_postfilter.h"

namespace plainStages {

// The best candidate of one search direction: offset 0 when no correlation
// was positive.
struct Candidate {
    int32_t offset = 0;
    float correlation = 0.0f;
    float energy = 0.0f;
};

// Lags first..last in direction (-1 backward, +1 forward): a later lag must
// correlate strictly more than the best so far as stored, so of equal maxima
// the smallest lag wins.
inline Candidate bestCandidate(const float* x, int32_t direction, int32_t first, int32_t last) {
    Candidate best;
    for (int32_t lag = first; lag <= last; ++lag) {
        const double c = dotProduct(x + direction * lag, x, subframeLength);
        if (c > best.correlation) {
            best.correlation = static_cast<float>(c);
            best.offset = direction * lag;
        }
    }
    if (best.offset != 0) {
        best.energy = static_cast<float>(dotProduct(x + best.offset, x + best.offset, subframeLength));
    }
    return best;
}

}  // namespace plainStages

// The pitch postfilter's parameters for sub-frame k, lag by lag: the best
// positive correlation backward and forward (forward segments end within the
// frame), the energies of the chosen segments, then the gain rule. x points
// at the sub-frame's first sample inside the excitation buffer; the frame and
// the 145 samples before it are read. pitchLag is the open-loop lag.
inline PitchPostParams findPitchPostParams(const float* x, int32_t pitchLag, int32_t k, int32_t postfilterOn) {
    const PitchPostParams neutral{0, 0.0f, 1.0f};
    if (postfilterOn == 0) {
        return neutral;
    }
    const int32_t lag = pitchLag < pitchMaxLag ? pitchLag : pitchMaxLag;
    const int32_t first = lag - pitchSearchHalfWidth;
    const int32_t lastInFrame = frameLength - subframeLength * (k + 1);
    const int32_t lastForward = lag + pitchSearchHalfWidth < lastInFrame ? lag + pitchSearchHalfWidth : lastInFrame;
    const plainStages::Candidate back = plainStages::bestCandidate(x, -1, first, lag + pitchSearchHalfWidth);
    const plainStages::Candidate fwd = plainStages::bestCandidate(x, 1, first, lastForward);
    if (back.offset == 0 && fwd.offset == 0) {
        return neutral;
    }
    const float e0 = static_cast<float>(dotProduct(x, x, subframeLength));
    bool backward = fwd.offset == 0;
    if (back.offset != 0 && fwd.offset != 0) {
        backward = back.correlation * back.correlation * fwd.energy > fwd.correlation * fwd.correlation * back.energy;
    }
    const plainStages::Candidate& chosen = backward ? back : fwd;
    return pitchPostGains(chosen.offset, e0, chosen.correlation, chosen.energy);
}

// out[n] = x[n] * scale + x[n + offset] * lagGain, n = 0..59.
inline void applyPitchPostfilter(float* out, const float* x, const PitchPostParams& p) {
    for (int32_t n = 0; n < subframeLength; ++n) {
        out[n] = x[n] * p.scale + x[n + p.offset] * p.lagGain;
    }
}

// Writes synthBuf[10..249] from frameExc[0..239]; synthBuf[0..9] holds the
// previous frame's last outputs. y[n] = sum_i lpcSet[k][i] * y[n-1-i] +
// exc[n], summed from 0.0 in double.
inline void synthesize(float* synthBuf, const float* frameExc, const float lpcSet[4][lpcOrder]) {
    float* y = synthBuf + lpcOrder;
    for (int32_t n = 0; n < frameLength; ++n) {
        const float* a = lpcSet[n / subframeLength];
        double sum = 0.0;
        for (int32_t i = 0; i < lpcOrder; ++i) {
            sum += static_cast<double>(a[i]) * static_cast<double>(y[n - 1 - i]);
        }
        sum += static_cast<double>(frameExc[n]);
        y[n] = static_cast<float>(sum);
    }
}

// Filters synth[0..239] into post[0..239]; post[-6..-1] and synth[-1] are the
// memories of the previous frame. Updates postTilt. With postfilterOn 0 the
// speech is copied unchanged and postTilt kept. Per sub-frame: the tilt r =
// sum s[m] s[m+1] / sum s[m]^2 (0 for silence) smoothed into postTilt, then
// p[m] = sum_i postWeights[i] a[i] p[m-1-i] + 1.03125 (s[m] - mu s[m-1]),
// mu = 0.21875 postTilt, summed from 0.0 in double.
inline void formantPostfilter(float* post, const float* synth, const float lpcSet[4][lpcOrder], float& postTilt,
                              int32_t postfilterOn) {
    if (postfilterOn == 0) {
        std::memcpy(post, synth, sizeof(float) * frameLength);
        return;
    }
    for (int32_t k = 0; k < 4; ++k) {
        const float* s = synth + subframeLength * k;
        float* p = post + subframeLength * k;
        float w[postPoleOrder];
        for (int32_t i = 0; i < postPoleOrder; ++i) w[i] = postWeights[i] * lpcSet[k][i];
        const float energy = static_cast<float>(dotProduct(s, s, subframeLength));
        const float r = energy == 0.0f ? 0.0f : static_cast<float>(dotProduct(s, s + 1, subframeLength - 1)) / energy;
        postTilt = postTilt + postTiltSmoothing * (r - postTilt);
        const float mu = postTiltFactor * postTilt;
        for (int32_t m = 0; m < subframeLength; ++m) {
            double sum = 0.0;
            for (int32_t i = 0; i < postPoleOrder; ++i) {
                sum += static_cast<double>(w[i]) * static_cast<double>(p[m - 1 - i]);
            }
            sum += postGain * (static_cast<double>(s[m]) - static_cast<double>(mu) * static_cast<double>(s[m - 1]));
            p[m] = static_cast<float>(sum);
        }
    }
}

// Rounds x to the nearest integer, halves away from zero, saturated to
// -32768..32767; not-a-number gives 0.
inline int16_t toPcmSample(float x) {
    double v = x;
    if (v >= 0.0) {
        return v > 32766.5 ? int16_t{32767} : static_cast<int16_t>(static_cast<int32_t>(v + 0.5));
    }
    if (v < 0.0) {
        return v < -32767.5 ? int16_t{-32768} : static_cast<int16_t>(static_cast<int32_t>(v - 0.5));
    }
    return 0;
}
