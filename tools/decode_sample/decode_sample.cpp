// Decodes a raw bitstream file (frames back to back, as an encoder writes
// them) into an 8 kHz mono 16-bit WAV file. Usage: decode_sample IN OUT.wav
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "speechdec.h"

namespace {

void putLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> wavHeader(uint32_t sampleCount)
{
    const uint32_t dataBytes = sampleCount * 2;
    std::vector<uint8_t> h;
    h.insert(h.end(), {'R', 'I', 'F', 'F'});
    putLe(h, 36 + dataBytes, 4);
    h.insert(h.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLe(h, 16, 4);
    putLe(h, 1, 2);         // PCM
    putLe(h, 1, 2);         // mono
    putLe(h, 8000, 4);      // sample rate
    putLe(h, 16000, 4);     // bytes per second
    putLe(h, 2, 2);         // block align
    putLe(h, 16, 2);        // bits per sample
    h.insert(h.end(), {'d', 'a', 't', 'a'});
    putLe(h, dataBytes, 4);
    return h;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INPUT.g723 OUTPUT.wav\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    static const size_t bytesOfKind[4] = {24, 20, 4, 2};
    std::vector<uint8_t> pcm;
    INITdec(0);
    size_t pos = 0;
    while (pos < data.size()) {
        size_t size = bytesOfKind[data[pos] & 3];
        if (pos + size > data.size()) {
            std::fprintf(stderr, "%s: ignoring %zu bytes of an incomplete last frame\n", argv[0],
                         data.size() - pos);
            break;
        }
        uint8_t frame[24] = {};
        std::memcpy(frame, data.data() + pos, size);
        int16_t samples[240];
        pos += 2 * static_cast<size_t>(DecSoundFrame(frame, samples));
        for (int16_t s : samples) putLe(pcm, static_cast<uint16_t>(s), 2);
    }

    std::vector<uint8_t> header = wavHeader(static_cast<uint32_t>(pcm.size() / 2));
    std::FILE* out = std::fopen(argv[2], "wb");
    bool ok = out != nullptr && std::fwrite(header.data(), 1, header.size(), out) == header.size() &&
              std::fwrite(pcm.data(), 1, pcm.size(), out) == pcm.size();
    if (out != nullptr && std::fclose(out) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        std::remove(argv[2]);
        return 1;
    }
    std::printf("%zu frames, %zu samples written to %s\n", pcm.size() / 480, pcm.size() / 2, argv[2]);
    return 0;
}
