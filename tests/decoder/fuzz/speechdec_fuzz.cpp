// libFuzzer entry point: any input is a stream of frames for the decoder;
// an unsound value or a disagreement between the exports and a decoder object
// aborts (the sanitizers catch memory errors and undefined behaviour).
#include <cstdlib>

#include "fuzz_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzing::decodeInput(data, size)) std::abort();
    return 0;
}
