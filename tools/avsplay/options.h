// avsplay's command line.
#pragma once

#include <string>
#include <vector>

namespace avsplay {

struct Options {
    std::string input;      // the stream, "-" for standard input
    bool rawClip = false;   // the input is an AVI clip, not a stream
    std::string framesDir;  // one PPM file per frame, or empty
    std::string rgbaPath;   // every frame as raw RGBA, back to back, or empty
    std::string soundPath;  // the sound as a WAV file, or empty
    bool help = false;
};

// False with a message when the command line is not one avsplay takes.
bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

extern const char* const kHelpText;

}  // namespace avsplay
