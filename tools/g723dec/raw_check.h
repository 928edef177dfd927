// Judges raw input before it is decoded: a known kind of file (MP3, FLAC,
// text, ...) is named and refused, and so is data of which too large a share
// of frames could not come from a G.723.1 coder. Damaged speech streams pass
// and decode with their warnings.
#pragma once

#include "byte_source.h"
#include "frame_reader.h"
#include "status.h"

namespace g723dec {

// Looks at the first bytes of raw frame data (without consuming them).
Status checkRawInput(ByteSource& source, Framing framing);

}  // namespace g723dec
