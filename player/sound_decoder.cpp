// Sound decoding. G.723.1 frames follow each other with their length given
// by the kind in bits 0-1 of their first byte (an untransmitted frame takes
// one byte); each gives 240 samples at 8 kHz. PCM: 8-bit unsigned or 16-bit
// little-endian signed samples.
#include "sound_decoder.h"

#include <cstring>

#include "speechdec.h"

namespace player {

namespace {

constexpr uint16_t kPcmTag = 0x0001;
constexpr uint16_t kG7231Tag = 0x0042;
constexpr int kSpeechFrameSamples = 240;
constexpr int kMaxChannels = 8;

std::size_t speechFrameSize(uint8_t first) { return (first & 3) == 3 ? 1 : std::size_t(speechdecFrameBytes(first)); }

}  // namespace

bool SoundDecoder::supports(const SoundFormat& format, std::string& error) {
    if (format.formatTag == kG7231Tag && format.channels == 1) return true;
    if (format.formatTag == kPcmTag && format.channels >= 1 && format.channels <= kMaxChannels &&
        (format.bitsPerSample == 8 || format.bitsPerSample == 16) && format.sampleRate > 0)
        return true;
    error = "sound of format tag " + std::to_string(format.formatTag) + " with " + std::to_string(format.channels) +
            " channels and " + std::to_string(format.bitsPerSample) +
            " bits is not decoded (G.723.1 mono, PCM of 8 or 16 bits are)";
    return false;
}

SoundDecoder::SoundDecoder(const SoundFormat& format)
    : m_speech(format.formatTag == kG7231Tag), m_channels(m_speech ? 1 : format.channels),
      m_sampleRate(m_speech ? 8000 : format.sampleRate), m_bytesPerSample(format.bitsPerSample == 8 ? 1 : 2) {
    if (m_speech) {
        m_speechDecoder = std::make_unique<DecoderState>();
        m_speechDecoder->reset(1);
    }
}

void SoundDecoder::decode(const uint8_t* data, std::size_t size, std::vector<int16_t>& samples) {
    m_pending.insert(m_pending.end(), data, data + size);
    if (m_speech) {
        decodeSpeech(samples);
    } else {
        decodePcm(samples);
    }
}

void SoundDecoder::decodeSpeech(std::vector<int16_t>& samples) {
    std::size_t at = 0;
    while (at < m_pending.size() && m_pending.size() - at >= speechFrameSize(m_pending[at])) {
        uint8_t frame[SPEECHDEC_MAX_FRAME_BYTES] = {};
        const std::size_t length = speechFrameSize(m_pending[at]);
        std::memcpy(frame, m_pending.data() + at, length);
        samples.resize(samples.size() + kSpeechFrameSamples);
        m_speechDecoder->decodeSoundFrame(frame, samples.data() + samples.size() - kSpeechFrameSamples);
        at += length;
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(at));
}

void SoundDecoder::decodePcm(std::vector<int16_t>& samples) {
    const std::size_t count = m_pending.size() / std::size_t(m_bytesPerSample);
    const uint8_t* in = m_pending.data();
    for (std::size_t i = 0; i < count; ++i, in += m_bytesPerSample) {
        samples.push_back(m_bytesPerSample == 1 ? int16_t((in[0] - 128) * 256) : int16_t(in[0] | in[1] << 8));
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(count * m_bytesPerSample));
}

}  // namespace player
