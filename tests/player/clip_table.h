// The table of clips the player is tested on, made at test time (ffmpeg's
// encoders, or the test's own 8-bit MS Video 1 clip), and what ffmpeg and
// g723dec make of them: the reference pictures and sound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace playertest {

using Bytes = std::vector<uint8_t>;

enum class Sound {
    None,
    G7231,  // reference: g723dec
    Pcm,    // reference: ffmpeg's 16-bit decoding
};

struct ClipCase {
    const char* name;
    const char* encode;  // ffmpeg's arguments after the inputs; null for the test's palette clip
    int width;           // picture size (an ffmpeg clip is made 4 pixels larger and given
    int height;          //   this size in its headers when the size is not a multiple of 4)
    Sound sound;
    const char* soundArgs;  // ffmpeg's sound encoding arguments
};

const std::vector<ClipCase>& clipCases();

struct MadeClip {
    Bytes avi;
    Bytes frames;  // every frame as RGBA, back to back, as ffmpeg decodes them
    std::size_t frameCount = 0;
    std::vector<int16_t> sound;  // the reference sound
};

// True when ffmpeg can be run.
bool haveFfmpeg();
// Makes the clip in dir; false with a reason when a step failed.
bool makeClip(const ClipCase& clip, const std::string& dir, MadeClip& made, std::string& error);

}  // namespace playertest
