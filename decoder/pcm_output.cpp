// Rounding and saturation of the decoder's float output to 16-bit PCM.
#include "pcm_output.h"

#include "decoder_state.h"

int16_t toPcmSample(float x) {
    double v = x;
    if (v >= 0.0) {
        return v > 32766.5 ? int16_t{32767} : static_cast<int16_t>(static_cast<int32_t>(v + 0.5));
    }
    if (v < 0.0) {
        return v < -32767.5 ? int16_t{-32768} : static_cast<int16_t>(static_cast<int32_t>(v - 0.5));
    }
    return 0;
}

void toPcm(int16_t* out, const float* in) {
    for (int32_t n = 0; n < frameLength; n += 4) {
        toPcmFour(out + n, in + n);
    }
}
