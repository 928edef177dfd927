// 10th-order all-pole synthesis filter running continuously across
// sub-frames and frames.
#include "synthesis.h"

void synthesize(float* synthBuf, const float* frameExc, const float lpcSet[4][lpcOrder])
{
    float* y = synthBuf + lpcOrder;
    for (int32_t k = 0; k < 4; ++k) {
        const float* a = lpcSet[k];
        for (int32_t n = subframeLength * k; n < subframeLength * (k + 1); ++n) {
            double sum = 0.0;
            for (int32_t i = 0; i < lpcOrder; ++i) {
                sum += static_cast<double>(a[i]) * static_cast<double>(y[n - 1 - i]);
            }
            sum += frameExc[n];
            y[n] = static_cast<float>(sum);
        }
    }
}
