// Decoding speed of the speech decoder: frames per second and microseconds
// per frame for streams of 24-byte and of 20-byte speech frames (generated,
// all codes valid) and, when given, a bitstream file.
// Usage: speechdec_bench [BITSTREAM.g723]
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "decoder_state.h"
#include "frame_writer.h"

namespace {

using Stream = std::vector<std::vector<uint8_t>>;

Stream generated(bool lowRate, int count)
{
    frames::Random rng(lowRate ? 7 : 3);
    Stream stream;
    for (int i = 0; i < count; ++i) stream.push_back(frames::randomSpeechFrame(rng, lowRate));
    return stream;
}

Stream fromFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static const size_t bytesOfKind[4] = {24, 20, 4, 2};
    Stream stream;
    for (size_t pos = 0; pos < data.size();) {
        size_t size = bytesOfKind[data[pos] & 3];
        if (pos + size > data.size()) break;
        std::vector<uint8_t> frame(24, 0);
        std::memcpy(frame.data(), data.data() + pos, size);
        stream.push_back(frame);
        pos += size;
    }
    return stream;
}

// Decodes the stream over and over for at least a second; prints the rate.
void measure(const char* name, const Stream& stream)
{
    if (stream.empty()) {
        std::printf("%-28s no frames\n", name);
        return;
    }
    DecoderState decoder;
    int16_t samples[frameLength];
    long long frames = 0;
    int64_t checksum = 0;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    double seconds = 0.0;
    do {
        decoder.reset(0);
        for (const std::vector<uint8_t>& frame : stream) {
            decoder.decodeSoundFrame(frame.data(), samples);
            checksum += samples[frames % frameLength];
            ++frames;
        }
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < 1.0);
    std::printf("%-28s %9.0f frames/s %8.2f us/frame  (%lld frames, checksum %lld)\n", name,
                frames / seconds, 1e6 * seconds / frames, frames, static_cast<long long>(checksum));
}

}  // namespace

int main(int argc, char** argv)
{
    measure("24-byte frames (generated)", generated(false, 2000));
    measure("20-byte frames (generated)", generated(true, 2000));
    if (argc > 1) {
        measure(("file " + std::string(argv[1])).c_str(), fromFile(argv[1]));
    }
    return 0;
}
