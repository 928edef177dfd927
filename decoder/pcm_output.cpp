// Rounding and saturation of the decoder's float output to 16-bit PCM.
#include "pcm_output.h"

#include "decoder_state.h"

void toPcm(int16_t* out, const float* in) {
    for (int32_t n = 0; n < frameLength; n += 4) {
        toPcmFour(out + n, in + n);
    }
}
