// WAV output through the kit's header layout; samples little-endian.
#include "sound_output.h"

#include "kit/wav.h"

namespace avsplay {

bool SoundOutput::open(const std::string& path, uint32_t sampleRate, int channels, std::string& error) {
    m_sampleRate = sampleRate;
    m_channels = channels;
    uint8_t header[kit::kWavHeaderSize];
    kit::buildPcmWavHeader(header, sampleRate, kit::kWavUnknownSize, kit::kWavUnknownSize, uint16_t(channels));
    if (!m_file.create(path) || !m_file.write(header, sizeof header)) {
        error = path + ": cannot create: " + m_file.lastError();
        return false;
    }
    m_path = path;
    return true;
}

bool SoundOutput::write(const std::vector<int16_t>& samples, std::string& error) {
    std::vector<uint8_t> bytes(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        bytes[2 * i] = uint8_t(samples[i]);
        bytes[2 * i + 1] = uint8_t(uint16_t(samples[i]) >> 8);
    }
    m_dataBytes += bytes.size();
    if (m_dataBytes > 0xFFFFFFFFu - kit::kWavHeaderSize)
        return error = m_path + ": the sound is too long for a WAV file", false;
    if (!m_file.write(bytes.data(), bytes.size()))
        return error = m_path + ": cannot write: " + m_file.lastError(), false;
    return true;
}

bool SoundOutput::finish(std::string& error) {
    uint8_t header[kit::kWavHeaderSize];
    const uint32_t data = uint32_t(m_dataBytes);
    kit::buildPcmWavHeader(header, m_sampleRate, data + uint32_t(kit::kWavHeaderSize) - 8, data, uint16_t(m_channels));
    if (!m_file.seekTo(0) || !m_file.write(header, sizeof header) || !m_file.commit()) {
        error = m_path + ": cannot write: " + m_file.lastError();
        return false;
    }
    return true;
}

}  // namespace avsplay
