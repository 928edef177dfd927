// Fidelity against a peer decoder: signals of many kinds, encoded at test
// time with ffmpeg's G.723.1 encoder (6.3 kbit/s, 24-byte frames), decoded
// by ffmpeg's decoder and by this one. Both decode the same fixed-point
// bitstream, so they must agree closely: overall SNR, the level of every
// 1-second window, and no clipping where the peer has none.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bitstream_file.h"

namespace {

// The signals, as ffmpeg inputs of 8 kHz mono audio (cut to 10 seconds).
// Steady tones are the hard case: the adaptive codebook repeats them period
// after period for the whole signal.
struct Signal {
    const char* name;
    const char* input;
};

const Signal signals[] = {
    {"tone 150 Hz, loud", "-f lavfi -i 'aevalsrc=0.8*sin(2*PI*150*t)'"},
    {"tone 440 Hz, loud", "-f lavfi -i 'aevalsrc=0.8*sin(2*PI*440*t)'"},
    {"tone 2500 Hz, loud", "-f lavfi -i 'aevalsrc=0.8*sin(2*PI*2500*t)'"},
    {"tone 3300 Hz, loud", "-f lavfi -i 'aevalsrc=0.8*sin(2*PI*3300*t)'"},
    {"tone 150 Hz", "-f lavfi -i 'aevalsrc=0.25*sin(2*PI*150*t)'"},
    {"tone 300 Hz", "-f lavfi -i 'aevalsrc=0.25*sin(2*PI*300*t)'"},
    {"tone 700 Hz", "-f lavfi -i 'aevalsrc=0.25*sin(2*PI*700*t)'"},
    {"tone 1800 Hz", "-f lavfi -i 'aevalsrc=0.25*sin(2*PI*1800*t)'"},
    {"tone 150 Hz, quiet", "-f lavfi -i 'aevalsrc=0.02*sin(2*PI*150*t)'"},
    {"tone 440 Hz, quiet", "-f lavfi -i 'aevalsrc=0.02*sin(2*PI*440*t)'"},
    {"tone 1000 Hz, quiet", "-f lavfi -i 'aevalsrc=0.02*sin(2*PI*1000*t)'"},
    {"DTMF digit 1", "-f lavfi -i 'aevalsrc=0.35*sin(2*PI*697*t)+0.35*sin(2*PI*1209*t)'"},
    {"ring-back, 2 s on 4 s off", "-f lavfi -i 'aevalsrc=0.3*(sin(2*PI*440*t)+sin(2*PI*480*t))*lt(mod(t\\,6)\\,2)'"},
    {"chirp 200-3400 Hz", "-f lavfi -i 'aevalsrc=0.5*sin(2*PI*(200*t+160*t*t))'"},
    {"square wave 200 Hz", "-f lavfi -i 'aevalsrc=0.3*sgn(sin(2*PI*200*t))'"},
    {"harmonic tone with vibrato",
     "-f lavfi -i 'aevalsrc=0.2*sin(2*PI*220*t+2*sin(2*PI*5*t))+0.1*sin(4*PI*220*t+4*sin(2*PI*5*t))'"},
    {"pink noise", "-f lavfi -i 'anoisesrc=c=pink:a=0.3:r=8000:seed=1'"},
    {"speech", "-i '" SPEECHDEC_SAMPLES "/speech.wav'"},
};

constexpr double minSnrDb = 12.0;
constexpr double maxLevelDifferenceDb = 2.0;
constexpr size_t window = 8000;  // one second

// Runs ffmpeg with the given arguments (a shell command line); true when it succeeds.
bool runFfmpeg(const std::string& arguments) {
    return std::system(("ffmpeg -nostdin -hide_banner -loglevel error -y " + arguments).c_str()) == 0;
}

// A scratch directory, removed with everything in it.
struct ScratchDirectory {
    std::filesystem::path path;
    ScratchDirectory() {
        std::string name = (std::filesystem::temp_directory_path() / "peer_fidelity_XXXXXX").string();
        if (mkdtemp(name.data()) != nullptr) path = name;
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};

struct Comparison {
    double snrDb;
    double worstLevelDb;  // the largest level difference of a 1-second window
    int ourClipped;
    int peerClipped;
};

double levelDb(const int16_t* x, size_t count) {
    double energy = 0.0;
    for (size_t n = 0; n < count; ++n) energy += static_cast<double>(x[n]) * x[n];
    return 10.0 * std::log10(std::max(energy / static_cast<double>(count), 1.0));  // silence counts as level 1
}

int clipped(const std::vector<int16_t>& x) {
    int count = 0;
    for (int16_t v : x) count += v == 32767 || v == -32768;
    return count;
}

Comparison compare(const std::vector<int16_t>& ours, const std::vector<int16_t>& peer) {
    double signal = 0.0;
    double error = 0.0;
    for (size_t n = 0; n < peer.size(); ++n) {
        signal += static_cast<double>(peer[n]) * peer[n];
        error += (static_cast<double>(ours[n]) - peer[n]) * (static_cast<double>(ours[n]) - peer[n]);
    }
    Comparison c{10.0 * std::log10(signal / std::max(error, 1.0)), 0.0, clipped(ours), clipped(peer)};
    for (size_t start = 0; start + window <= peer.size(); start += window) {
        const double d = std::fabs(levelDb(&ours[start], window) - levelDb(&peer[start], window));
        c.worstLevelDb = std::max(c.worstLevelDb, d);
    }
    return c;
}

}  // namespace

TEST(PeerFidelity, EverySignalMatchesThePeerDecoder) {
    if (!runFfmpeg("-version >/dev/null 2>&1")) {
        GTEST_SKIP() << "ffmpeg not found: its G.723.1 encoder and decoder are the peer";
    }
    ScratchDirectory scratch;
    ASSERT_FALSE(scratch.path.empty());
    const std::string stream = (scratch.path / "signal.g723").string();
    const std::string peerPcm = (scratch.path / "peer.raw").string();
    std::printf("%-28s %8s %12s %14s\n", "signal", "SNR dB", "level diff", "clipped (peer)");
    for (const Signal& s : signals) {
        SCOPED_TRACE(s.name);
        ASSERT_TRUE(
            runFfmpeg(std::string(s.input) + " -t 10 -ar 8000 -ac 1 -c:a g723_1 -b:a 6300 -f g723_1 '" + stream + "'"));
        ASSERT_TRUE(runFfmpeg("-f g723_1 -i '" + stream + "' -f s16le '" + peerPcm + "'"));
        const std::vector<uint8_t> peerBytes = readFileBytes(peerPcm);
        std::vector<int16_t> peer(peerBytes.size() / 2);
        std::memcpy(peer.data(), peerBytes.data(), 2 * peer.size());
        const std::vector<int16_t> ours = decodeBitstream(readFileBytes(stream));
        ASSERT_EQ(ours.size(), peer.size());
        ASSERT_GE(peer.size(), 5 * window);

        const Comparison c = compare(ours, peer);
        std::printf("%-28s %8.1f %12.1f %7d (%d)\n", s.name, c.snrDb, c.worstLevelDb, c.ourClipped, c.peerClipped);
        EXPECT_GE(c.snrDb, minSnrDb);
        EXPECT_LE(c.worstLevelDb, maxLevelDifferenceDb);
        if (c.peerClipped == 0) {
            EXPECT_EQ(c.ourClipped, 0);
        }
    }
}
