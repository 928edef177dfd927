// Output files: the WAV header, replacing an earlier file only once the new
// one is complete, and devices written in place.
#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

#include "decode_job.h"
#include "pcm_writer.h"
#include "test_support.h"

using namespace g723test;

TEST(G723decOutput, WavHeaderDescribesTheSamples) {
    ScratchDir dir;
    const int16_t samples[5] = {1, -1, 32767, -32768, 256};
    g723dec::PcmWriter writer;
    ASSERT_TRUE(writer.open(dir.file("out.wav"), true).ok());
    ASSERT_TRUE(writer.write(samples, 2).ok());
    ASSERT_TRUE(writer.write(samples + 2, 3).ok());
    ASSERT_TRUE(writer.finish().ok());
    Bytes file = readFile(dir.path("out.wav"));
    EXPECT_EQ(54u, file.size());
    EXPECT_EQ(std::vector<int16_t>(samples, samples + 5), wavSamples(file));  // checks every header field
    EXPECT_EQ((Bytes{0x01, 0x00, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x80, 0x00, 0x01}),
              Bytes(file.begin() + 44, file.end()));
}

TEST(G723decOutput, AnUnfinishedOutputLeavesTheEarlierFileAlone) {
    ScratchDir dir;
    writeFile(dir.path("out.wav"), {'o', 'l', 'd'});
    const int16_t samples[3] = {5, 6, 7};
    {
        g723dec::PcmWriter writer;
        ASSERT_TRUE(writer.open(dir.file("out.wav"), true).ok());
        ASSERT_TRUE(writer.write(samples, 3).ok());
        EXPECT_EQ((Bytes{'o', 'l', 'd'}), readFile(dir.path("out.wav")));
        writer.discard();
    }
    EXPECT_EQ((Bytes{'o', 'l', 'd'}), readFile(dir.path("out.wav")));
    {
        g723dec::PcmWriter writer;  // destroyed unfinished
        ASSERT_TRUE(writer.open(dir.file("new.raw"), false).ok());
        ASSERT_TRUE(writer.write(samples, 3).ok());
    }
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.path(".")), {}));

    g723dec::PcmWriter writer;
    ASSERT_TRUE(writer.open(dir.file("out.wav"), false).ok());
    ASSERT_TRUE(writer.write(samples, 3).ok());
    ASSERT_TRUE(writer.finish().ok());
    EXPECT_EQ((Bytes{5, 0, 6, 0, 7, 0}), readFile(dir.path("out.wav")));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.path(".")), {}));
}

#ifndef _WIN32
TEST(G723decOutput, DevicesAreWrittenInPlace) {
    ScratchDir dir;
    writeFile(dir.path("in.g723"), bytesFraming(speechFrames(6, 50)));
    g723dec::FrameDecoder decoder;
    g723dec::JobSpec request;
    request.input = dir.file("in.g723");
    request.output = "/dev/null";
    EXPECT_EQ(0, g723dec::decodeFile(request, decoder).exitCode);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

    request.output = "/dev/full";
    g723dec::JobResult full = g723dec::decodeFile(request, decoder);
    EXPECT_EQ(g723dec::exitOutputError, full.exitCode);
    EXPECT_EQ("g723dec: /dev/full: cannot write: " + std::string(std::strerror(ENOSPC)) + "\n", full.report);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}
#endif
