// 10th-order all-pole synthesis filter running continuously across
// sub-frames and frames, written plainly.
#include "synthesis.h"

void synthesize(float* synthBuf, const float* frameExc, const float lpcSet[4][lpcOrder]) {
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
