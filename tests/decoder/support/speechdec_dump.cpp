// Decodes the sample bitstream and a set of generated streams (both rates,
// SID, untransmitted, bad and lost frames) through the shared library and
// writes every output sample to a file, so that two builds can be compared
// byte for byte. Usage: speechdec_dump LIBRARY SAMPLE.g723 OUTPUT
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "frame_writer.h"
#include "library_loader.h"
#include "speechdec.h"

namespace {

using Stream = std::vector<std::vector<uint8_t>>;

// Splits a bitstream file into frames by the kind of each first byte.
Stream framesOfFile(const std::vector<uint8_t>& data) {
    Stream frames;
    size_t pos = 0;
    while (pos < data.size()) {
        const size_t size = static_cast<size_t>(speechdecFrameBytes(data[pos] & 3));
        if (pos + size > data.size()) break;
        frames.emplace_back(data.begin() + pos, data.begin() + pos + size);
        pos += size;
    }
    return frames;
}

void decodeStream(SpeechdecLibrary& lib, const Stream& stream, std::vector<int16_t>& out) {
    lib.init(0);
    int16_t pcm[240];
    for (const std::vector<uint8_t>& frame : stream) {
        uint8_t padded[SPEECHDEC_MAX_FRAME_BYTES] = {};
        std::memcpy(padded, frame.data(), frame.size());
        lib.decode(frame.empty() ? nullptr : padded, pcm);
        out.insert(out.end(), pcm, pcm + 240);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s LIBRARY SAMPLE.g723 OUTPUT\n", argv[0]);
        return 2;
    }
    SpeechdecLibrary lib(argv[1]);
    if (!lib.loaded()) {
        std::fprintf(stderr, "cannot load INITdec/DecSoundFrame from %s\n", argv[1]);
        return 1;
    }
    std::ifstream sample(argv[2], std::ios::binary);
    if (!sample) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(sample)), std::istreambuf_iterator<char>());

    std::vector<int16_t> out;
    decodeStream(lib, framesOfFile(data), out);
    for (int rate = 0; rate < 2; ++rate) {
        frames::Random rng(100 + rate);
        Stream speech;
        for (int i = 0; i < 400; ++i) speech.push_back(frames::randomSpeechFrame(rng, rate == 1));
        decodeStream(lib, speech, out);
    }
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        decodeStream(lib, frames::mixedStream(seed, 500), out);
    }

    std::FILE* file = std::fopen(argv[3], "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    uint32_t hash = 2166136261u;
    for (int16_t s : out) {
        uint8_t bytes[2] = {static_cast<uint8_t>(s & 0xFF), static_cast<uint8_t>((s >> 8) & 0xFF)};
        std::fwrite(bytes, 1, 2, file);
        for (uint8_t b : bytes) hash = (hash ^ b) * 16777619u;
    }
    bool written = std::fclose(file) == 0;
    std::printf("%zu samples, FNV-1a %08x\n", out.size(), static_cast<unsigned>(hash));
    return written ? 0 : 1;
}
