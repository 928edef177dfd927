// Frame files: binary PPM (P6, 8-bit RGB), each written in full under a
// temporary name first; the RGBA file is written as the frames come.
#include "frame_output.h"

#include <cstdio>
#include <vector>

namespace avsplay {

bool FrameOutput::open(const std::string& framesDir, const std::string& rgbaPath, std::string& error) {
    m_framesDir = framesDir;
    if (rgbaPath.empty()) return true;
    m_rgba = std::make_unique<kit::OutputFile>();
    if (rgbaPath == "-") {
        m_rgba->useStandardOutput();
    } else if (!m_rgba->create(rgbaPath)) {
        error = rgbaPath + ": cannot create: " + m_rgba->lastError();
        return false;
    }
    return true;
}

bool FrameOutput::writePpm(std::size_t number, const player::Picture& picture, std::string& error) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%05zu.ppm", number);
    const std::string path = m_framesDir + name;
    std::string data = "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
    const std::size_t header = data.size();
    data.resize(header + picture.rgba.size() / 4 * 3);
    for (std::size_t i = 0, o = header; i < picture.rgba.size(); i += 4, o += 3) {
        data[o] = char(picture.rgba[i]);
        data[o + 1] = char(picture.rgba[i + 1]);
        data[o + 2] = char(picture.rgba[i + 2]);
    }
    kit::OutputFile file;
    if (!file.create(path) || !file.write(data.data(), data.size()) || !file.commit()) {
        error = path + ": cannot write: " + file.lastError();
        return false;
    }
    return true;
}

bool FrameOutput::write(std::size_t number, const player::Picture& picture, std::string& error) {
    if (!m_framesDir.empty() && !writePpm(number, picture, error)) return false;
    if (m_rgba && !m_rgba->write(picture.rgba.data(), picture.rgba.size())) {
        error = "cannot write the RGBA frames: " + m_rgba->lastError();
        return false;
    }
    return true;
}

bool FrameOutput::finish(std::string& error) {
    if (m_rgba && !m_rgba->commit()) {
        error = "cannot write the RGBA frames: " + m_rgba->lastError();
        return false;
    }
    return true;
}

}  // namespace avsplay
