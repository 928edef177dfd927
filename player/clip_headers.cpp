// The header list of an AVI clip: "avih", then a "strl" list per stream with
// its "strh" (type, rate, length) and "strf" (BITMAPINFOHEADER and palette,
// or WAVEFORMATEX). The first video and the first sound stream are taken.
#include "clip_headers.h"

#include <algorithm>
#include <cstring>

#include "bytes.h"
#include "riff.h"

namespace player {

namespace {

using kit::readLe16;
using kit::readLe32;

constexpr std::size_t kMaxFormatBytes = 40 + 256 * 4;  // BITMAPINFOHEADER and a full palette

std::vector<uint8_t> chunkData(kit::RandomAccessBytes& clip, const kit::Chunk& chunk, std::size_t limit) {
    std::vector<uint8_t> data(std::size_t(std::min<uint64_t>(limit, chunk.dataEnd - chunk.dataOffset())));
    data.resize(clip.readAt(chunk.dataOffset(), data.data(), data.size()));
    return data;
}

bool readVideoFormat(const std::vector<uint8_t>& strf, VideoFormat& video, std::string& error) {
    if (strf.size() < 40) return error = "the video format record is shorter than 40 bytes", false;
    const uint32_t headerSize = readLe32(strf.data());
    const int32_t width = int32_t(readLe32(strf.data() + 4));
    const int32_t height = int32_t(readLe32(strf.data() + 8));
    video.bitCount = readLe16(strf.data() + 14);
    video.codec = readLe32(strf.data() + 16);
    if (width <= 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide || height < -kMaxPictureSide) {
        return error = "the picture size " + std::to_string(width) + "x" + std::to_string(height) +
                       " is not between 1x1 and " + std::to_string(kMaxPictureSide) + " pixels a side",
               false;
    }
    video.width = width;
    video.height = height < 0 ? -height : height;
    if (video.bitCount <= 8 && headerSize >= 40 && headerSize < strf.size()) {
        const uint32_t used = readLe32(strf.data() + 32);
        const std::size_t entries =
            std::min<std::size_t>({used == 0 ? 256 : used, 256, (strf.size() - headerSize) / 4});
        for (std::size_t i = 0; i < entries; ++i) {
            const uint8_t* quad = strf.data() + headerSize + 4 * i;  // blue, green, red, reserved
            video.palette.push_back(uint32_t(quad[2]) << 16 | uint32_t(quad[1]) << 8 | quad[0]);
        }
    }
    return true;
}

bool readSoundFormat(const std::vector<uint8_t>& strf, SoundFormat& sound, std::string& error) {
    if (strf.size() < 16) return error = "the sound format record is shorter than 16 bytes", false;
    sound.formatTag = readLe16(strf.data());
    sound.channels = readLe16(strf.data() + 2);
    sound.sampleRate = readLe32(strf.data() + 4);
    sound.blockAlign = readLe16(strf.data() + 12);
    sound.bitsPerSample = readLe16(strf.data() + 14);
    return true;
}

// One "strl" list: fills the video or sound format when it is the first of its kind.
bool readStreamList(kit::RandomAccessBytes& clip, const kit::Chunk& list, int number, ClipHeaders& headers,
                    std::string& error) {
    kit::ChunkWalker walker(clip, list.childrenOffset(), list.dataEnd);
    kit::Chunk chunk;
    std::vector<uint8_t> strh;
    while (walker.next(chunk)) {
        if (chunk.is("strh")) {
            strh = chunkData(clip, chunk, 36);
        } else if (chunk.is("strf") && strh.size() >= 36) {
            const std::vector<uint8_t> strf = chunkData(clip, chunk, kMaxFormatBytes);
            if (std::memcmp(strh.data(), "vids", 4) == 0 && headers.video.stream < 0) {
                headers.video.stream = number;
                headers.video.scale = readLe32(strh.data() + 20);
                headers.video.rate = readLe32(strh.data() + 24);
                headers.video.length = readLe32(strh.data() + 32);
                if (!readVideoFormat(strf, headers.video, error)) return false;
            } else if (std::memcmp(strh.data(), "auds", 4) == 0 && headers.sound.stream < 0) {
                headers.sound.stream = number;
                if (!readSoundFormat(strf, headers.sound, error)) return false;
            }
        }
    }
    return true;
}

}  // namespace

bool readClipHeaders(kit::RandomAccessBytes& clip, uint64_t headerOffset, uint64_t clipLength, ClipHeaders& headers,
                     std::string& error) {
    headers = ClipHeaders();
    kit::ChunkWalker top(clip, headerOffset, clipLength);
    kit::Chunk hdrl;
    if (!top.next(hdrl) || !hdrl.isList("hdrl")) return error = "the clip's header list cannot be read", false;
    kit::ChunkWalker walker(clip, hdrl.childrenOffset(), hdrl.dataEnd);
    kit::Chunk chunk;
    int streams = 0;
    while (walker.next(chunk)) {
        if (chunk.is("avih")) {
            const std::vector<uint8_t> avih = chunkData(clip, chunk, 20);
            if (avih.size() >= 20) {
                headers.microsecondsPerFrame = readLe32(avih.data());
                headers.totalFrames = readLe32(avih.data() + 16);
            }
        } else if (chunk.isList("strl") && !readStreamList(clip, chunk, streams++, headers, error)) {
            return false;
        }
    }
    if (headers.video.stream < 0) return error = "the clip has no video stream", false;
    return true;
}

}  // namespace player
