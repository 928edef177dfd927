// A video decoder: coded frames in, RGBA pictures out. Each frame is decoded
// over the previous picture, so delta frames need the frames before them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "clip_headers.h"

namespace player {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width * height pixels, top row first, 4 bytes each (R, G, B, 255)
};

class VideoDecoder {
public:
    virtual ~VideoDecoder() = default;
    // Back to a black picture before a key frame.
    virtual void reset() = 0;
    // Decodes one frame into picture (sized by the decoder). False when the
    // data is damaged: what was decoded stays, the rest shows the previous
    // frame, and error says what was wrong.
    virtual bool decode(const uint8_t* data, std::size_t size, Picture& picture, std::string& error) = 0;
    // A palette change ("NNpc" chunk) before the next frame; pictures without a palette ignore it.
    virtual void changePalette(const uint8_t* /*data*/, std::size_t /*size*/) {}
};

// The decoder for the clip's codec, or null with a reason when none fits.
std::unique_ptr<VideoDecoder> makeVideoDecoder(const VideoFormat& format, std::string& error);

}  // namespace player
