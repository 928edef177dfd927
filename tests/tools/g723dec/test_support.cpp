// Implementation of the shared test helpers.
#include "test_support.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "frame_writer.h"
#include "speechdec.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace g723test {

FrameList mixedFrames(uint32_t seed, int count) {
    FrameList frames;
    for (Bytes& frame : frames::mixedStream(seed, count)) {
        if (!frame.empty()) {
            frames.push_back(frame);
        }
    }
    return frames;
}

FrameList speechFrames(uint32_t seed, int count) {
    frames::Random rng(seed);
    FrameList frames;
    for (int i = 0; i < count; ++i) {
        frames.push_back(frames::randomSpeechFrame(rng, false));
    }
    return frames;
}

namespace {

Bytes framed(const FrameList& frames, size_t untransmittedSize) {
    Bytes out;
    for (const Bytes& frame : frames) {
        size_t size = (frame[0] & 3) == 3 ? untransmittedSize : frame.size();
        out.insert(out.end(), frame.begin(), frame.begin() + static_cast<long>(size));
    }
    return out;
}

std::vector<int16_t> samplesOf(const uint8_t* bytes, size_t size) {
    std::vector<int16_t> samples(size / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return samples;
}

uint32_t le32(const Bytes& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

}  // namespace

Bytes bytesFraming(const FrameList& frames) { return framed(frames, 1); }

Bytes wordsFraming(const FrameList& frames) { return framed(frames, 2); }

std::vector<int16_t> decodeWithLibrary(const FrameList& frames, const std::set<size_t>& lost) {
    std::vector<int16_t> samples(frames.size() * 240);
    INITdec(1);
    for (size_t i = 0; i < frames.size(); ++i) {
        DecSoundFrame(lost.count(i) != 0 ? nullptr : frames[i].data(), &samples[i * 240]);
    }
    return samples;
}

std::vector<int16_t> wavSamples(const Bytes& file) {
    EXPECT_GE(file.size(), 44u);
    if (file.size() < 44) {
        return {};
    }
    EXPECT_EQ(0, std::memcmp(file.data(), "RIFF", 4));
    EXPECT_EQ(file.size() - 8, le32(file, 4));
    EXPECT_EQ(0, std::memcmp(file.data() + 8, "WAVEfmt ", 8));
    EXPECT_EQ(0x00010001u, le32(file, 20));  // PCM, mono
    EXPECT_EQ(8000u, le32(file, 24));
    EXPECT_EQ(16000u, le32(file, 28));
    EXPECT_EQ(0x00100002u, le32(file, 32));  // 2 bytes per frame, 16 bits
    EXPECT_EQ(0, std::memcmp(file.data() + 36, "data", 4));
    EXPECT_EQ(file.size() - 44, le32(file, 40));
    return samplesOf(file.data() + 44, file.size() - 44);
}

std::vector<int16_t> rawSamples(const Bytes& file) { return samplesOf(file.data(), file.size()); }

int runProgram(const std::string& args, std::string& errorText, const std::string& stdinFile,
               const std::string& stdoutFile) {
    std::filesystem::path errorFile =
        std::filesystem::path("g723dec_scratch") /
        (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".stderr");
    std::string command = std::filesystem::path(G723DEC_PROGRAM).make_preferred().string() + " " + args;
    if (!stdinFile.empty()) {
        command += " <" + std::filesystem::path(stdinFile).make_preferred().string();
    }
    if (!stdoutFile.empty()) {
        command += " >" + std::filesystem::path(stdoutFile).make_preferred().string();
    }
    command += " 2>" + errorFile.make_preferred().string();
    int status = std::system(command.c_str());
    Bytes error = readFile(errorFile);
    errorText.clear();
    for (uint8_t c : error) {
        if (c != '\r') {  // Windows writes messages with CR LF line ends
            errorText.push_back(static_cast<char>(c));
        }
    }
    std::filesystem::remove(errorFile);
#ifdef _WIN32
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

}  // namespace g723test
