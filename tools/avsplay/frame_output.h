// Where avsplay's pictures go: one PPM file per frame in a folder, and/or one
// file of raw RGBA frames back to back.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "kit/output_file.h"
#include "video_decoder.h"

namespace avsplay {

class FrameOutput {
public:
    // Empty names write nothing of that kind.
    bool open(const std::string& framesDir, const std::string& rgbaPath, std::string& error);
    bool write(std::size_t number, const player::Picture& picture, std::string& error);
    // Moves the RGBA file into place.
    bool finish(std::string& error);

private:
    bool writePpm(std::size_t number, const player::Picture& picture, std::string& error);

    std::string m_framesDir;
    std::unique_ptr<kit::OutputFile> m_rgba;
};

}  // namespace avsplay
