// Shared helpers of the g723dec tests: frame streams in both framings, the
// reference decoding through the library's exported functions, scratch
// directories, files, and running the g723dec program.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "riff_builder.h"

namespace g723test {

// A stream of frames in the decoder library's framing (kind 3 = 2 bytes).
using FrameList = std::vector<Bytes>;

// A reproducible mix of both speech rates, SID, untransmitted and bad frames.
FrameList mixedFrames(uint32_t seed, int count);
// Valid higher-rate speech frames only.
FrameList speechFrames(uint32_t seed, int count);

// The frames as a file: an untransmitted frame is 1 byte (bytes framing) or
// 2 bytes (words framing).
Bytes bytesFraming(const FrameList& frames);
Bytes wordsFraming(const FrameList& frames);

// INITdec, then DecSoundFrame per frame (a null frame for each index in lost).
std::vector<int16_t> decodeWithLibrary(const FrameList& frames, const std::set<size_t>& lost = {});

// The samples of a 16-bit mono 8 kHz PCM WAV file (checks its header).
std::vector<int16_t> wavSamples(const Bytes& file);
std::vector<int16_t> rawSamples(const Bytes& file);

Bytes readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const Bytes& bytes);

// A fresh directory for one test, below the working directory; removed afterwards.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::filesystem::path path(const std::string& name) const { return dir_ / name; }
    // The path as a string, for the tool's arguments.
    std::string file(const std::string& name) const { return path(name).string(); }

private:
    std::filesystem::path dir_;
};

// Runs the g723dec program with args (no quoting: plain file names),
// optionally feeding stdinFile and capturing standard output to stdoutFile;
// standard error is returned in errorText, with LF line ends. Returns the exit code.
int runProgram(const std::string& args, std::string& errorText, const std::string& stdinFile = "",
               const std::string& stdoutFile = "");

}  // namespace g723test
