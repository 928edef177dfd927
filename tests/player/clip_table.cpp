// Clip making: ffmpeg from a test picture and the project's speech sample; the
// picture size of a clip not a multiple of 4 in size is written into its
// headers afterwards, as some writers of the past left it.
#include "clip_table.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "bytes.h"
#include "palette_clip.h"
#include "run_g723dec.h"

namespace playertest {

namespace {

const std::string kSpeech = std::string(SAMPLES_DIR) + "/speech.wav";

Bytes readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool run(const std::string& command, std::string& error) {
    if (std::system(command.c_str()) == 0) return true;
    error = "failed: " + command;
    return false;
}

// Writes width and height into the main header and the video format record.
void setPictureSize(Bytes& avi, int width, int height) {
    const auto find = [&avi](const char* id) {
        return std::size_t(std::search(avi.begin(), avi.end(), id, id + 4) - avi.begin());
    };
    const std::size_t avih = find("avih") + 8;
    const std::size_t strf = find("strf") + 8;
    kit::putLe32(avi.data() + avih + 32, uint32_t(width));
    kit::putLe32(avi.data() + avih + 36, uint32_t(height));
    kit::putLe32(avi.data() + strf + 4, uint32_t(width));
    kit::putLe32(avi.data() + strf + 8, uint32_t(height));
}

bool encode(const ClipCase& clip, const std::string& path, std::string& error) {
    const int codedWidth = (clip.width + 3) / 4 * 4, codedHeight = (clip.height + 3) / 4 * 4;
    std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=size=" + std::to_string(codedWidth) + "x" +
                          std::to_string(codedHeight) + ":rate=15 ";
    if (clip.sound != Sound::None) command += "-i " + kSpeech + " ";
    command += "-t 2 " + std::string(clip.encode) + " " + (clip.soundArgs ? clip.soundArgs : "") + " " + path;
    if (!run(command, error)) return false;
    if (codedWidth == clip.width && codedHeight == clip.height) return true;
    Bytes avi = readAll(path);
    setPictureSize(avi, clip.width, clip.height);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(avi.data()), std::streamsize(avi.size()));
    return true;
}

std::vector<int16_t> samplesOf(const Bytes& bytes, std::size_t skip) {
    std::vector<int16_t> samples;
    for (std::size_t i = skip; i + 1 < bytes.size(); i += 2) samples.push_back(int16_t(bytes[i] | bytes[i + 1] << 8));
    return samples;
}

}  // namespace

const std::vector<ClipCase>& clipCases() {
    static const std::vector<ClipCase> cases = {
        {"MsVideo1WithSpeech", "-c:v msvideo1 -g 7", 160, 120, Sound::G7231, "-c:a g723_1 -ar 8000 -ac 1 -b:a 6300"},
        {"MsVideo1WithStereoPcm", "-c:v msvideo1", 64, 48, Sound::Pcm, "-c:a pcm_s16le -ac 2 -ar 11025"},
        {"MsVideo1OddSizeByteSound", "-c:v msvideo1 -g 5", 33, 17, Sound::Pcm, "-c:a pcm_u8 -ac 1 -ar 8000"},
        {"MsVideo1Palette", nullptr, 30, 22, Sound::None, nullptr},
        {"CinepakWithSpeech", "-c:v cinepak -g 6", 128, 96, Sound::G7231, "-c:a g723_1 -ar 8000 -ac 1 -b:a 6300"},
        {"CinepakManyStrips", "-c:v cinepak -min_strips 4 -max_strips 8", 96, 80, Sound::None, nullptr},
        {"CinepakGrey", "-pix_fmt gray -c:v cinepak", 64, 64, Sound::None, nullptr},
        {"CinepakOddSize", "-c:v cinepak -max_strips 2", 35, 18, Sound::None, nullptr},
    };
    return cases;
}

bool haveFfmpeg() { return std::system("ffmpeg -version >/dev/null 2>&1") == 0; }

bool makeClip(const ClipCase& clip, const std::string& dir, MadeClip& made, std::string& error) {
    const std::string path = dir + "/clip.avi";
    if (clip.encode == nullptr) {
        const Bytes avi = makePaletteClip({clip.width, clip.height, 20, 7});
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(avi.data()), std::streamsize(avi.size()));
    } else if (!encode(clip, path, error)) {
        return false;
    }
    made.avi = readAll(path);
    if (!run("ffmpeg -v error -y -i " + path + " -f rawvideo -pix_fmt rgba " + dir + "/frames.rgba", error))
        return false;
    made.frames = readAll(dir + "/frames.rgba");
    made.frameCount = made.frames.size() / (std::size_t(clip.width) * clip.height * 4);
    if (clip.sound == Sound::G7231) {
        if (g723dec::runG723dec({path, dir + "/sound.wav"}) != 0) return error = "g723dec failed on " + path, false;
        made.sound = samplesOf(readAll(dir + "/sound.wav"), 44);
    } else if (clip.sound == Sound::Pcm) {
        if (!run("ffmpeg -v error -y -i " + path + " -f s16le -c:a pcm_s16le " + dir + "/sound.pcm", error))
            return false;
        made.sound = samplesOf(readAll(dir + "/sound.pcm"), 0);
    }
    return true;
}

}  // namespace playertest
