// avsplay's sound: a 16-bit PCM WAV file whose header gets its sizes at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kit/output_file.h"

namespace avsplay {

class SoundOutput {
public:
    bool open(const std::string& path, uint32_t sampleRate, int channels, std::string& error);
    bool isOpen() const { return !m_path.empty(); }
    bool write(const std::vector<int16_t>& samples, std::string& error);
    // Writes the sizes into the header and moves the file into place.
    bool finish(std::string& error);

private:
    kit::OutputFile m_file;
    std::string m_path;
    uint32_t m_sampleRate = 0;
    int m_channels = 0;
    uint64_t m_dataBytes = 0;
};

}  // namespace avsplay
