// What the header list of an AVI clip says: the picture's size, codec and
// palette, the frame rate and length, and the sound's format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "random_access.h"

namespace player {

// Largest picture side taken; larger ones are refused as absurd.
constexpr int kMaxPictureSide = 4096;

struct VideoFormat {
    int stream = -1;                // stream number, -1 when the clip has no video
    uint32_t codec = 0;             // biCompression as a little-endian four-character code
    int width = 0;                  // pixels
    int height = 0;                 // pixels
    int bitCount = 0;               // bits per pixel of the coded picture
    std::vector<uint32_t> palette;  // 0x00RRGGBB entries of an 8-bit picture
    uint32_t scale = 0;             // frame rate = rate / scale frames per second
    uint32_t rate = 0;
    uint32_t length = 0;  // frames, as the stream header says
};

struct SoundFormat {
    int stream = -1;         // stream number, -1 when the clip has no sound
    uint16_t formatTag = 0;  // 1 = PCM, 0x42 = G.723.1
    int channels = 0;
    uint32_t sampleRate = 0;  // samples per second (per channel)
    int bitsPerSample = 0;    // of PCM
    uint16_t blockAlign = 0;
};

struct ClipHeaders {
    VideoFormat video;
    SoundFormat sound;
    uint32_t microsecondsPerFrame = 0;  // from the main header
    uint32_t totalFrames = 0;           // from the main header
};

// Reads the header list at headerOffset ("hdrl" LIST chunk) of a clip of
// clipLength bytes. False with a reason when it is incomplete, damaged or
// describes a picture that is refused.
bool readClipHeaders(kit::RandomAccessBytes& clip, uint64_t headerOffset, uint64_t clipLength, ClipHeaders& headers,
                     std::string& error);

}  // namespace player
