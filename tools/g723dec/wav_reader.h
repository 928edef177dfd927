// Finds the G.723.1 frames in a RIFF WAVE file (format tag 0x0042).
#pragma once

#include "frame_data.h"
#include "input_file.h"
#include "status.h"

namespace g723dec {

// Walks the chunks of the WAV file; on success data holds the data chunk.
// Fails (exitNotG7231) when there is no format or data chunk or the format
// is not mono G.723.1, naming the format tag found.
Status readWavLayout(InputFile& file, FrameData& data);

}  // namespace g723dec
