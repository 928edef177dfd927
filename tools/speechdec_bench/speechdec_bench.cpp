// Decoding speed of the speech decoder. Prints microseconds per frame for each
// frame kind (24-byte and 20-byte speech, SID, untransmitted, bad and lost
// frames), once for single calls (one decodeSoundFrame per frame, as through
// the library's export) timed call by call inside a realistic mixed stream,
// and once for frames decoded in runs of 32 (decodeSoundFrames, as g723dec
// decodes); then the throughput on whole streams and, when given, a
// bitstream file. A benchmark, not a test: it prints figures and checks none.
// Each stream's checksum covers the samples of its first decoding, so that
// it is the same from run to run however often the timing repeats it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "bit_unpack.h"
#include "decoder_state.h"
#include "frame_writer.h"
#include "kit/arguments.h"
#include "kit/file.h"
#include "speechdec.h"

namespace {

using Frame = std::vector<uint8_t>;  // empty: a lost frame
using Stream = std::vector<Frame>;
using Clock = std::chrono::steady_clock;

enum Kind {
    highRate,
    lowRate,
    sid,
    untransmitted,
    bad,
    lost,
    kindCount
};
const char* const kindNames[kindCount] = {"24-byte speech", "20-byte speech",  "SID",
                                          "untransmitted",  "bad (concealed)", "lost"};

// CPU time of the process where the platform offers it (so that other load
// on the machine counts less), wall-clock time otherwise.
double processSeconds() {
#if defined(CLOCK_PROCESS_CPUTIME_ID)
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
#else
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
#endif
}

Stream generated(bool lowRate, int count) {
    frames::Random rng(lowRate ? 7 : 3);
    Stream stream;
    for (int i = 0; i < count; ++i) stream.push_back(frames::randomSpeechFrame(rng, lowRate));
    return stream;
}

// A speech frame with an invalid gain code: concealed after speech.
Frame badFrame(frames::Random& rng) {
    frames::SpeechFields f;
    f.lagCode[0] = f.lagCode[1] = rng.below(124);
    f.gainCode[rng.below(4)] = 170 * 24;
    return frames::speechFrame(f, rng.below(2) == 1);
}

// Talk spurts at both rates with single and double bad frames and lost
// frames inside them, separated by silence periods of SID and untransmitted
// frames, as a sender with silence compression over a lossy link makes them.
Stream mixedStream(int count) {
    frames::Random rng(11);
    Stream stream;
    while (static_cast<int>(stream.size()) < count) {
        const bool low = rng.below(2) == 1;
        for (int i = 0; i < 40; ++i) {
            const uint32_t event = rng.below(20);
            if (event == 0) {
                stream.push_back(badFrame(rng));
                if (rng.below(2) == 0) stream.push_back(badFrame(rng));
            } else if (event == 1) {
                stream.emplace_back();
            }
            stream.push_back(frames::randomSpeechFrame(rng, low));
        }
        for (int s = 0; s < 3; ++s) {
            const uint32_t lsp[3] = {rng.below(256), rng.below(256), rng.below(256)};
            stream.push_back(frames::sidFrame(lsp, rng.below(64)));
            for (int i = 0; i < 8; ++i) stream.push_back(frames::untransmittedFrame());
        }
    }
    stream.resize(count);
    return stream;
}

// The frames of a bitstream file (a last incomplete frame is left out).
bool fromFile(const std::string& path, Stream& stream, std::string& error) {
    kit::File file;
    Frame data;
    if (file.openForReading(path)) {
        uint8_t chunk[4096];
        for (size_t got; (got = file.read(chunk, sizeof chunk)) > 0;) data.insert(data.end(), chunk, chunk + got);
    }
    if (!file.isOpen() || file.failed()) {
        error = "cannot read " + path + ": " + file.lastError();
        return false;
    }
    for (size_t pos = 0; pos < data.size();) {
        const size_t size = static_cast<size_t>(speechdecFrameBytes(data[pos] & 3));
        if (pos + size > data.size()) break;
        stream.emplace_back(data.begin() + static_cast<std::ptrdiff_t>(pos),
                            data.begin() + static_cast<std::ptrdiff_t>(pos + size));
        pos += size;
    }
    if (stream.empty()) {
        error = path + " holds no complete frame";
        return false;
    }
    return true;
}

// Frames padded to the largest frame size, so that the decoder may read any kind.
std::vector<std::vector<uint8_t>> padded(const Stream& stream) {
    std::vector<std::vector<uint8_t>> out;
    for (const Frame& f : stream) {
        std::vector<uint8_t> p(maxFrameBytes, 0);
        std::copy(f.begin(), f.end(), p.begin());
        out.push_back(f.empty() ? std::vector<uint8_t>() : p);
    }
    return out;
}

Kind kindOf(const Frame& frame) {
    if (frame.empty()) return lost;
    const int kind = frame[0] & 3;
    if (kind >= 2) return kind == 2 ? sid : untransmitted;
    FrameParams params;
    uint8_t copy[maxFrameBytes] = {};
    std::memcpy(copy, frame.data(), std::min(frame.size(), sizeof copy));
    unpackFrame(&params, copy, kind, 0);
    if (params.badFrame != 0) return bad;
    return kind == 0 ? highRate : lowRate;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// The cost of reading the clock twice, subtracted from every timed call.
double clockOverheadSeconds() {
    std::vector<double> t;
    for (int i = 0; i < 10000; ++i) {
        const Clock::time_point a = Clock::now();
        const Clock::time_point b = Clock::now();
        t.push_back(std::chrono::duration<double>(b - a).count());
    }
    return median(t);
}

// Times every call in the mixed stream (decoded several times over) and
// prints the median per frame kind; the median is robust against the calls
// that other processes interrupt.
void perKind(int rounds) {
    const Stream stream = mixedStream(4000);
    const std::vector<std::vector<uint8_t>> frames = padded(stream);
    std::vector<Kind> kinds;
    for (const Frame& f : stream) kinds.push_back(kindOf(f));
    const double overhead = clockOverheadSeconds();

    std::vector<double> times[kindCount];
    DecoderState decoder;
    int16_t samples[frameLength];
    for (int r = 0; r < rounds; ++r) {
        decoder.reset(0);
        for (size_t i = 0; i < frames.size(); ++i) {
            const uint8_t* frame = frames[i].empty() ? nullptr : frames[i].data();
            const Clock::time_point start = Clock::now();
            decoder.decodeSoundFrame(frame, samples);
            const Clock::time_point end = Clock::now();
            times[kinds[i]].push_back(std::chrono::duration<double>(end - start).count() - overhead);
        }
    }
    std::printf("per frame kind, single calls (median of decodeSoundFrame calls in a mixed stream, clock\n"
                "overhead %.3f us removed):\n",
                1e6 * overhead);
    for (int k = 0; k < kindCount; ++k) {
        std::printf("  %-18s %8.2f us/frame  (%zu calls)\n", kindNames[k], 1e6 * median(times[k]), times[k].size());
    }
}

constexpr int32_t runLength = 32;  // frames per decodeSoundFrames call, as g723dec decodes

// Decodes the stream in runs of 32 frames over and over for at least half a
// second of process time; returns the microseconds per frame. Adds the
// samples of the first decoding to *checksum.
double microsecondsPerFrame(const Stream& stream, int64_t* checksum) {
    const std::vector<std::vector<uint8_t>> frames = padded(stream);
    std::vector<const void*> pointers;
    for (const std::vector<uint8_t>& f : frames) pointers.push_back(f.empty() ? nullptr : f.data());
    DecoderState decoder;
    std::vector<int16_t> samples(static_cast<size_t>(runLength) * frameLength);
    long long count = 0;
    const double start = processSeconds();
    double seconds = 0.0;
    for (bool first = true; first || seconds < 0.5; first = false) {
        decoder.reset(0);
        for (size_t from = 0; from < pointers.size(); from += runLength) {
            const int32_t n = static_cast<int32_t>(std::min<size_t>(runLength, pointers.size() - from));
            decoder.decodeSoundFrames(&pointers[from], n, samples.data());
            if (first) {
                for (int32_t i = 0; i < n * frameLength; ++i) *checksum += samples[static_cast<size_t>(i)];
            }
            count += n;
        }
        seconds = processSeconds() - start;
    }
    return 1e6 * seconds / static_cast<double>(count);
}

void throughput(const char* name, const Stream& stream) {
    int64_t checksum = 0;
    const double us = microsecondsPerFrame(stream, &checksum);
    std::printf("  %-30s %9.0f frames/s %8.2f us/frame  (checksum %lld)\n", name, 1e6 / us, us,
                static_cast<long long>(checksum));
}

// Every other frame of 20-byte speech replaced by frame(i).
template <class MakeFrame>
Stream interleaved(int count, MakeFrame frame) {
    const Stream speech = generated(true, count);
    Stream stream;
    for (int i = 0; i < count; ++i) stream.push_back(i % 2 == 1 ? frame(i) : speech[static_cast<size_t>(i)]);
    return stream;
}

// Per frame kind in runs: kinds that come in runs of their own are timed as
// such (a silence period: one SID frame, then untransmitted ones); bad and
// lost frames, which come singly inside speech, are timed interleaved with
// 20-byte speech, their cost being twice the interleaved stream's less that
// of the speech alone.
void perKindInRuns() {
    std::printf("per frame kind, in runs of %d frames (decodeSoundFrames, as g723dec decodes):\n", runLength);
    int64_t checksum = 0;
    const double high = microsecondsPerFrame(generated(false, 2000), &checksum);
    const double low = microsecondsPerFrame(generated(true, 2000), &checksum);
    frames::Random rng(17);
    Stream sids;
    for (int i = 0; i < 2000; ++i) {
        const uint32_t lsp[3] = {rng.below(256), rng.below(256), rng.below(256)};
        sids.push_back(frames::sidFrame(lsp, rng.below(64)));
    }
    const double sid = microsecondsPerFrame(sids, &checksum);
    Stream silence;
    for (int i = 0; i < 2000; ++i) {
        const uint32_t lsp[3] = {rng.below(256), rng.below(256), rng.below(256)};
        silence.push_back(i % 200 == 0 ? frames::sidFrame(lsp, rng.below(64)) : frames::untransmittedFrame());
    }
    const double untransmitted = microsecondsPerFrame(silence, &checksum);
    const double withBad = microsecondsPerFrame(interleaved(2000, [&rng](int) { return badFrame(rng); }), &checksum);
    const double withLost = microsecondsPerFrame(interleaved(2000, [](int) { return Frame(); }), &checksum);
    const double perKind[kindCount] = {high, low, sid, untransmitted, 2 * withBad - low, 2 * withLost - low};
    const char* const how[kindCount] = {
        "in a row", "in a row", "in a row", "in a row (a SID every 200)", "every other frame", "every other frame"};
    for (int k = 0; k < kindCount; ++k) {
        std::printf("  %-18s %8.2f us/frame  (%s)\n", kindNames[k], perKind[k], how[k]);
    }
    std::printf("  (checksum %lld)\n", static_cast<long long>(checksum));
}

const char usage[] = "Usage: speechdec_bench [BITSTREAM.g723]\n"
                     "Times the speech decoder on generated streams of every frame kind and, when given,\n"
                     "on a bitstream file (frames of 24, 20, 4 or 2 bytes back to back).\n"
                     "  -h, --help  show this help\n";

int usageError(const std::string& text) {
    std::fprintf(stderr, "speechdec_bench: %s\n%s", text.c_str(), usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<kit::Argument> arguments;
    kit::ArgumentError error;
    if (!kit::splitArguments(std::vector<std::string>(argv + 1, argv + argc), {{"-h", false}, {"--help", false}},
                             arguments, error)) {
        return usageError(error.kind == kit::ArgumentError::Kind::UnknownOption ? "unknown option " + error.argument
                                                                                : error.name + " takes no value");
    }
    std::vector<std::string> files;
    for (const kit::Argument& a : arguments) {
        if (!a.isOperand) {
            std::fputs(usage, stdout);
            return 0;
        }
        files.push_back(a.value);
    }
    if (files.size() > 1) return usageError("one bitstream file at most");
    Stream file;
    std::string problem;
    if (!files.empty() && !fromFile(files[0], file, problem)) {
        std::fprintf(stderr, "speechdec_bench: %s\n", problem.c_str());
        return 1;
    }

    perKind(5);
    perKindInRuns();
    std::printf("whole streams, in runs of %d frames:\n", runLength);
    throughput("24-byte frames (generated)", generated(false, 2000));
    throughput("20-byte frames (generated)", generated(true, 2000));
    throughput("mixed stream", mixedStream(4000));
    if (!files.empty()) {
        throughput(("file " + files[0]).c_str(), file);
    }
    return 0;
}
