// The library's two exports: they drive the one decoder object that the
// library builds when it is loaded (one stream per process).
#include "speechdec.h"

#include "decoder_state.h"

namespace {

DecoderState libraryDecoder;

}  // namespace

extern "C" SPEECHDEC_EXPORT int32_t SPEECHDEC_CALL INITdec(int32_t mode) {
    libraryDecoder.reset(mode);
    return 0;
}

extern "C" SPEECHDEC_EXPORT int32_t SPEECHDEC_CALL DecSoundFrame(const void* frame, int16_t* samples) {
    return libraryDecoder.decodeSoundFrame(frame, samples);
}
