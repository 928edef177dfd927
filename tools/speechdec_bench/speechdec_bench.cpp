// Decoding speed of the speech decoder: frames per second and microseconds
// per frame for streams of 24-byte and of 20-byte speech frames (generated,
// all codes valid), of silence (SID and untransmitted frames), of speech with
// bad frames and, when given, a bitstream file.
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

// Silence as a sender with silence compression makes it: after a short
// talk spurt a SID frame, then untransmitted frames, a new SID now and then.
Stream silence(int count)
{
    frames::Random rng(11);
    Stream stream;
    while (static_cast<int>(stream.size()) < count) {
        stream.push_back(frames::randomSpeechFrame(rng, false));
        for (int sid = 0; sid < 4; ++sid) {
            const uint32_t lsp[3] = {rng.below(256), rng.below(256), rng.below(256)};
            stream.push_back(frames::sidFrame(lsp, rng.below(64)));
            for (int i = 0; i < 7; ++i) stream.push_back(frames::untransmittedFrame());
        }
    }
    stream.resize(count);
    return stream;
}

// Speech in which every other frame is bad (an invalid gain code), in runs of
// one and two, so that most bad frames go through concealment.
Stream withBadFrames(int count)
{
    frames::Random rng(13);
    Stream stream;
    for (int i = 0; static_cast<int>(stream.size()) < count; ++i) {
        stream.push_back(frames::randomSpeechFrame(rng, true));
        for (int bad = 0; bad <= i % 2; ++bad) {
            frames::SpeechFields f;
            f.lagCode[0] = f.lagCode[1] = rng.below(124);
            f.gainCode[rng.below(4)] = 170 * 24;
            stream.push_back(frames::speechFrame(f, true));
        }
    }
    stream.resize(count);
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
    measure("SID + untransmitted frames", silence(2000));
    measure("speech with bad frames", withBadFrames(2000));
    if (argc > 1) {
        measure(("file " + std::string(argv[1])).c_str(), fromFile(argv[1]));
    }
    return 0;
}
