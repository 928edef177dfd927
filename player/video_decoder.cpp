// The decoder by the clip's codec code: MS Video 1 and Cinepak.
#include "video_decoder.h"

#include <cctype>

#include "cinepak.h"
#include "msvideo1.h"

namespace player {

namespace {

std::string codecText(uint32_t codec) {
    std::string text;
    for (int shift = 0; shift < 32; shift += 8) {
        const char c = char(codec >> shift);
        text += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    }
    return text;
}

bool isCodec(uint32_t codec, const char* name) {
    uint32_t code = 0;
    for (int i = 3; i >= 0; --i) code = code << 8 | uint8_t(std::tolower(static_cast<unsigned char>(name[i])));
    uint32_t lowered = 0;
    for (int shift = 24; shift >= 0; shift -= 8)
        lowered = lowered << 8 | uint8_t(std::tolower(static_cast<unsigned char>(codec >> shift & 0xFF)));
    return lowered == code;
}

}  // namespace

std::unique_ptr<VideoDecoder> makeVideoDecoder(const VideoFormat& format, std::string& error) {
    if (isCodec(format.codec, "msvc") || isCodec(format.codec, "cram") || isCodec(format.codec, "wham")) {
        if (format.bitCount == 8 || format.bitCount == 16)
            return std::make_unique<MsVideo1Decoder>(format.width, format.height, format.bitCount, format.palette);
        error = "MS Video 1 pictures of " + std::to_string(format.bitCount) + " bits are not decoded (8 and 16 are)";
        return nullptr;
    }
    if (isCodec(format.codec, "cvid")) return std::make_unique<CinepakDecoder>(format.width, format.height);
    error = "video codec '" + codecText(format.codec) + "' is not decoded (MS Video 1 and Cinepak are)";
    return nullptr;
}

}  // namespace player
