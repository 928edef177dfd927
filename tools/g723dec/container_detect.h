// Tells raw frame files, WAV files and AVI clips apart by their first bytes,
// and finds the frames of an input accordingly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_source.h"
#include "frame_data.h"
#include "input_file.h"
#include "status.h"

namespace g723dec {

enum class Container {
    raw,
    wav,
    avi,
    otherRiff
};

// Classifies an input from its first bytes (12 are needed to see a RIFF form).
Container identifyContainer(const uint8_t* head, size_t size);

// Finds the frames of an opened input: a seekable file by its content,
// standard input and pipes as raw frames throughout.
Status locateFrames(InputFile& file, FrameData& data);

// Inputs that cannot seek are read as raw frames only; refuses a WAV or AVI
// file there (whose headers would otherwise decode as noise).
Status refuseContainerOnStream(ByteSource& source);

}  // namespace g723dec
