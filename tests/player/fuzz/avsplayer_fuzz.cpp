// libFuzzer entry point of the player core: AVI reading and both video decoders.
#include "fuzz_play.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    playerfuzz::playInput(data, size);
    return 0;
}
