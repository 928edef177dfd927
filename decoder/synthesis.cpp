// 10th-order all-pole synthesis filter running continuously across
// sub-frames and frames.
#include "synthesis.h"

void synthesize(float* synthBuf, const float* frameExc, const float lpcSet[4][lpcOrder])
{
    double history[lpcOrder + frameLength];
    for (int32_t i = 0; i < lpcOrder; ++i) history[i] = synthBuf[i];
    double* yd = history + lpcOrder;
    float* y = synthBuf + lpcOrder;
    double last = yd[-1];
    for (int32_t k = 0; k < 4; ++k) {
        const SynthesisCoefficients c = widenSynthesisCoefficients(lpcSet[k]);
        for (int32_t n = subframeLength * k; n < subframeLength * (k + 1); ++n) {
            last = synthesisStep(c, last, yd + n, frameExc[n], y + n);
        }
    }
}
