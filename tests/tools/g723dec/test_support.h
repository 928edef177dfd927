// Helpers of the g723dec tests: frame streams in both framings, the
// reference decoding through the library's exported functions, a scratch
// directory per test (toolstest::ScratchDir), and running the g723dec program.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "riff_builder.h"
#include "scratch_files.h"

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

using toolstest::readFile;
using toolstest::writeFile;

// A fresh directory for one test, below the working directory.
class ScratchDir : public toolstest::ScratchDir {
public:
    ScratchDir() : toolstest::ScratchDir("g723dec_scratch") {}
};

// Runs the g723dec program with args (no quoting: plain file names),
// optionally feeding stdinFile and capturing standard output to stdoutFile;
// standard error is returned in errorText, with LF line ends. Returns the exit code.
int runProgram(const std::string& args, std::string& errorText, const std::string& stdinFile = "",
               const std::string& stdoutFile = "");

}  // namespace g723test
