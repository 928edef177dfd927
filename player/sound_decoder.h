// The clip's sound as 16-bit PCM: G.723.1 through a decoder object of its
// own, or 8- and 16-bit PCM, fed the sound chunks in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "clip_headers.h"
#include "decoder_state.h"

namespace player {

class SoundDecoder {
public:
    // False with a reason when the format is not one of those decoded.
    static bool supports(const SoundFormat& format, std::string& error);

    explicit SoundDecoder(const SoundFormat& format);

    int channels() const { return m_channels; }
    uint32_t sampleRate() const { return m_sampleRate; }
    // Decodes the data of the next sound chunk and appends its samples
    // (interleaved by channel); a frame or sample split between chunks is
    // completed by the next one.
    void decode(const uint8_t* data, std::size_t size, std::vector<int16_t>& samples);

private:
    void decodeSpeech(std::vector<int16_t>& samples);
    void decodePcm(std::vector<int16_t>& samples);

    bool m_speech;  // G.723.1, else PCM
    int m_channels;
    uint32_t m_sampleRate;
    int m_bytesPerSample;            // of PCM: 1 or 2
    std::vector<uint8_t> m_pending;  // bytes of an incomplete frame or sample
    std::unique_ptr<DecoderState> m_speechDecoder;
};

}  // namespace player
