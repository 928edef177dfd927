// Fuzz input dispatch: the whole core from a stream, or one decoder directly.
#include "fuzz_play.h"

#include <algorithm>
#include <vector>

#include "cinepak.h"
#include "msvideo1.h"
#include "player.h"

namespace playerfuzz {

namespace {

constexpr uint64_t kClipLimit = 16u * 1024 * 1024;  // keeps the fuzzer's memory small
constexpr std::size_t kMaxFrames = 200;

void playStream(const uint8_t* data, std::size_t size, bool asClip) {
    player::Player player(asClip ? 0 : size, kClipLimit);
    if (asClip) {
        const uint8_t noBlock[8] = {};
        player.feed(noBlock, sizeof noBlock);
    }
    for (std::size_t at = 0, step = 1; at < size; at += step, step = step * 3 % 1021 + 1) {
        step = std::min(step, size - at);
        if (!player.feed(data + at, step)) return;
    }
    for (std::size_t n = 0; n < std::min(player.playableFrames(), kMaxFrames); ++n) {
        if (player.frame(n) == nullptr) return;
    }
    if (player.playableFrames() > 2) player.frame(player.playableFrames() / 2);  // back to a key frame
    std::vector<int16_t> sound;
    player.takeSound(UINT64_MAX, sound);
}

void decodeFrames(const uint8_t* data, std::size_t size, bool cinepak) {
    if (size < 3) return;
    const int width = 1 + data[0] % 96, height = 1 + data[1] % 96;
    std::vector<uint32_t> palette(256, 0x123456);
    std::unique_ptr<player::VideoDecoder> decoder;
    if (cinepak) {
        decoder = std::make_unique<player::CinepakDecoder>(width, height);
    } else {
        decoder = std::make_unique<player::MsVideo1Decoder>(width, height, data[2] & 1 ? 8 : 16, palette);
    }
    player::Picture picture;
    std::string error;
    for (std::size_t at = 3; at + 2 <= size;) {
        const std::size_t length = std::min<std::size_t>(data[at] | data[at + 1] << 8, size - at - 2);
        at += 2;
        if ((data[2] & 2) != 0) decoder->changePalette(data + at, length);
        decoder->decode(data + at, length, picture, error);
        at += length;
    }
}

}  // namespace

void playInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return;
    switch (data[0] % 4) {
    case 0:
        playStream(data + 1, size - 1, false);
        break;
    case 1:
        playStream(data + 1, size - 1, true);
        break;
    default:
        decodeFrames(data + 1, size - 1, data[0] % 4 == 3);
        break;
    }
}

}  // namespace playerfuzz
