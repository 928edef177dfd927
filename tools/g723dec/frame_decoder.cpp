// Invalid-code check through the decoder's own unpacking.
#include "frame_decoder.h"

#include <cstring>

#include "bit_unpack.h"
#include "frame_params.h"

namespace g723dec {

bool hasInvalidCodes(const Frame& frame) {
    uint8_t copy[maxFrameSize];
    std::memcpy(copy, frame.bytes, sizeof copy);
    FrameParams params;
    unpackFrame(&params, copy, frame.kind == 1 ? 1 : 0, 0);
    return params.badFrame != 0;
}

}  // namespace g723dec
