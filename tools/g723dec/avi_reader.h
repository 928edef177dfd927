// Finds the G.723.1 audio of an AVI clip: the first audio stream whose format
// tag is 0x0042, and the chunks of that stream in the movie data.
#pragma once

#include "frame_data.h"
#include "input_file.h"
#include "status.h"

namespace g723dec {

// Walks the AVI file (its RIFF "AVI " chunk and any RIFF "AVIX" extensions);
// on success data holds the stream's chunks in file order. Fails
// (exitNotG7231) when the clip has no G.723.1 audio stream, naming the format
// tags of the audio streams it has.
Status readAviLayout(InputFile& file, FrameData& data);

}  // namespace g723dec
