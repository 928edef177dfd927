// The g723dec program as a user runs it: standard input and output, help and
// exit codes, statistics beside piped audio, and the parallel output-directory form.
#include <algorithm>

#include <gtest/gtest.h>

#include "kit/exit_codes.h"
#include "test_support.h"

using namespace g723test;

TEST(G723decProgram, StandardInputToStandardOutput) {
    ScratchDir dir;
    FrameList frames = mixedFrames(41, 150);
    writeFile(dir.path("in.g723"), bytesFraming(frames));
    std::string errors;
    EXPECT_EQ(0, runProgram("- -", errors, dir.file("in.g723"), dir.file("out.raw"))) << errors;
    EXPECT_EQ("", errors);
    EXPECT_EQ(decodeWithLibrary(frames), rawSamples(readFile(dir.path("out.raw"))));

    // Word framing on standard input, statistics on standard error, audio stays clean.
    writeFile(dir.path("words.g723"), wordsFraming(frames));
    EXPECT_EQ(0, runProgram("--stats --framing words --raw -", errors, dir.file("words.g723"), dir.file("w.raw")));
    EXPECT_EQ(decodeWithLibrary(frames), rawSamples(readFile(dir.path("w.raw"))));
    EXPECT_NE(std::string::npos, errors.find("standard input: frames: " + std::to_string(frames.size()) + " ("))
        << errors;
}

TEST(G723decProgram, StandardInputTakesRawFramesOnly) {
    ScratchDir dir;
    writeFile(dir.path("in.wav"), wavFile(bytesFraming(speechFrames(3, 4))));
    std::string errors;
    EXPECT_EQ(3, runProgram("- -", errors, dir.file("in.wav"), dir.file("out.raw")));
    EXPECT_EQ("g723dec: standard input: byte 0: a RIFF 'WAVE' file; standard input and pipes take raw frames only, "
              "give the file name instead\n",
              errors);
}

TEST(G723decProgram, HelpListsTheExitCodes) {
    ScratchDir dir;
    std::string errors;
    EXPECT_EQ(0, runProgram("--help", errors, "", dir.file("help.txt")));
    Bytes help = readFile(dir.path("help.txt"));
    std::string text(help.begin(), help.end());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());  // Windows writes text lines with CR LF
    for (const char* line : {kit::exitCodeTable(), "For g723dec, 4 means an input ends inside a frame",
                             "--framing bytes|words", "--loss-rate P", "-o, --output-dir DIR"}) {
        EXPECT_NE(std::string::npos, text.find(line)) << line;
    }

    EXPECT_EQ(1, runProgram("only-one-argument", errors));
    EXPECT_EQ("g723dec: missing arguments: g723dec [options] INPUT OUTPUT (try --help)\n", errors);
    EXPECT_EQ(2, runProgram(dir.file("absent.g723") + " " + dir.file("out.wav"), errors));
    EXPECT_FALSE(std::filesystem::exists(dir.path("out.wav")));
}

TEST(G723decProgram, OutputDirectoryDecodesEveryInputInParallel) {
    ScratchDir dir;
    std::vector<FrameList> streams;
    std::string inputs;
    for (int i = 0; i < 6; ++i) {
        streams.push_back(mixedFrames(50 + static_cast<uint32_t>(i), 100 + 20 * i));
        std::string name = "clip" + std::to_string(i) + (i % 3 == 0 ? ".g723" : i % 3 == 1 ? ".wav" : ".avi");
        AviLayout avi;
        avi.audioChunks = splitInto(bytesFraming(streams.back()), 96);
        writeFile(dir.path(name), i % 3 == 0   ? bytesFraming(streams.back())
                                  : i % 3 == 1 ? wavFile(bytesFraming(streams.back()))
                                               : aviFile(avi));
        inputs += " " + dir.file(name);
    }
    writeFile(dir.path("broken.wav"), wavFile(Bytes(48, 0), 0x0031));
    std::string errors;
    EXPECT_EQ(3, runProgram("-o " + dir.file("out") + inputs + " " + dir.file("broken.wav"), errors));
    EXPECT_EQ("g723dec: " + dir.file("broken.wav") +
                  ": byte 20: WAV audio has format tag 0x0031 (GSM 6.10), not G.723.1 (0x0042)\n",
              errors);
    for (int i = 0; i < 6; ++i) {
        std::filesystem::path output = dir.path("out") / ("clip" + std::to_string(i) + ".wav");
        EXPECT_EQ(decodeWithLibrary(streams[static_cast<size_t>(i)]), wavSamples(readFile(output))) << output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path("out") / "broken.wav"));
}

TEST(G723decProgram, OutputDirectoryRefusesTwoInputsWithOneName) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.path("a"));
    writeFile(dir.path("speech.g723"), bytesFraming(speechFrames(1, 3)));
    writeFile(dir.path("a/speech.wav"), wavFile(bytesFraming(speechFrames(1, 3))));
    std::string errors;
    EXPECT_EQ(1, runProgram("-o " + dir.file("out") + " " + dir.file("speech.g723") + " " + dir.file("a/speech.wav"),
                            errors));
    EXPECT_NE(std::string::npos, errors.find("would both be written to")) << errors;
    EXPECT_TRUE(std::filesystem::is_empty(dir.path("out")));
}
