// Decoding whole inputs: the output equals the library's own decoding of the
// same frames for every container, framing and loss option; statistics; and
// every failure with its exit code, message and what is left on disk.
#include <gtest/gtest.h>

#include "decode_job.h"
#include "frame_writer.h"
#include "test_support.h"

using namespace g723test;
using g723dec::Framing;
using g723dec::JobResult;
using g723dec::JobSpec;

namespace {

JobSpec job(const std::string& input, const std::string& output, Framing framing = Framing::bytes) {
    JobSpec request;
    request.input = input;
    request.output = output;
    request.framing = framing;
    return request;
}

JobResult decode(const JobSpec& request) {
    g723dec::FrameDecoder decoder;
    return g723dec::decodeFile(request, decoder);
}

// A speech frame with the given number of invalid codes (lag codes and a gain row at the table bound).
Bytes badSpeechFrame(int invalidCodes) {
    frames::SpeechFields fields;
    fields.lagCode[0] = 100;
    fields.lagCode[1] = invalidCodes >= 2 ? 127 : 100;
    fields.gainCode[0] = invalidCodes >= 1 ? 170 * 24 : 0;
    return frames::speechFrame(fields, false);
}

}  // namespace

TEST(G723decDecode, EveryContainerAndFramingMatchesTheLibrary) {
    ScratchDir dir;
    FrameList frames = mixedFrames(31, 300);
    std::vector<int16_t> expected = decodeWithLibrary(frames);
    AviLayout avi;
    avi.audioChunks = splitInto(bytesFraming(frames), 240);
    const struct {
        const char* name;
        Bytes file;
        Framing framing;
    } inputs[] = {
        {"bytes.g723", bytesFraming(frames), Framing::bytes},
        {"words.g723", wordsFraming(frames), Framing::words},
        {"clip.wav", wavFile(bytesFraming(frames)), Framing::bytes},
        {"clip.avi", aviFile(avi), Framing::words},  // containers always hold the byte framing
    };
    for (const auto& input : inputs) {
        writeFile(dir.path(input.name), input.file);
        JobResult result = decode(job(dir.file(input.name), dir.file("out.wav"), input.framing));
        EXPECT_EQ(0, result.exitCode) << input.name << ": " << result.report;
        EXPECT_EQ("", result.report);
        EXPECT_EQ(expected, wavSamples(readFile(dir.path("out.wav")))) << input.name;
    }

    JobSpec raw = job(dir.file("bytes.g723"), dir.file("out.raw"));
    raw.wavOutput = false;
    EXPECT_EQ(0, decode(raw).exitCode);
    EXPECT_EQ(expected, rawSamples(readFile(dir.path("out.raw"))));
}

TEST(G723decDecode, OneDecoderObjectServesStreamAfterStream) {
    ScratchDir dir;
    FrameList first = mixedFrames(1, 120);
    FrameList second = speechFrames(2, 80);
    writeFile(dir.path("a.g723"), bytesFraming(first));
    writeFile(dir.path("b.g723"), bytesFraming(second));
    g723dec::FrameDecoder decoder;
    EXPECT_EQ(0, g723dec::decodeFile(job(dir.file("a.g723"), dir.file("a.wav")), decoder).exitCode);
    EXPECT_EQ(0, g723dec::decodeFile(job(dir.file("b.g723"), dir.file("b.wav")), decoder).exitCode);
    EXPECT_EQ(decodeWithLibrary(first), wavSamples(readFile(dir.path("a.wav"))));
    EXPECT_EQ(decodeWithLibrary(second), wavSamples(readFile(dir.path("b.wav"))));
}

TEST(G723decDecode, LostFramesTakeTheNullFramePath) {
    ScratchDir dir;
    FrameList frames = speechFrames(5, 100);
    writeFile(dir.path("in.g723"), bytesFraming(frames));

    g723dec::LossPlan listed;
    std::string error;
    ASSERT_TRUE(listed.addList("0,10-14,99", error));
    JobSpec request = job(dir.file("in.g723"), dir.file("out.wav"));
    request.loss = &listed;
    request.stats = true;
    JobResult result = decode(request);
    EXPECT_EQ(0, result.exitCode) << result.report;
    EXPECT_EQ(7u, result.stats.lost);
    EXPECT_EQ(93u, result.stats.kindCount[0]);
    EXPECT_EQ(decodeWithLibrary(frames, {0, 10, 11, 12, 13, 14, 99}), wavSamples(readFile(dir.path("out.wav"))));

    g723dec::LossPlan random;
    random.setRate(0.3, 7);
    request.loss = &random;
    result = decode(request);
    std::set<size_t> lost;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (random.isLost(i)) {
            lost.insert(i);
        }
    }
    EXPECT_GT(lost.size(), 15u);
    EXPECT_EQ(lost.size(), result.stats.lost);
    EXPECT_EQ(decodeWithLibrary(frames, lost), wavSamples(readFile(dir.path("out.wav"))));

    g723dec::LossPlan beyond;
    ASSERT_TRUE(beyond.addList("5,100", error));
    request.loss = &beyond;
    result = decode(request);
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("g723dec: warning: " + dir.file("in.g723") +
                  ": --lose names frame 100, but the input has 100 frames (0..99)\n",
              result.report.substr(0, result.report.find('\n') + 1));
}

TEST(G723decDecode, StatisticsCountKindsAndBadFrames) {
    ScratchDir dir;
    frames::Random rng(3);
    FrameList frames = {frames::randomSpeechFrame(rng, false),
                        badSpeechFrame(1),
                        badSpeechFrame(2),
                        frames::randomSpeechFrame(rng, true),
                        frames::untransmittedFrame(),
                        frames::randomBytesFrame(rng, 2),
                        frames::untransmittedFrame(),
                        badSpeechFrame(0)};
    writeFile(dir.path("in.g723"), bytesFraming(frames));
    g723dec::LossPlan loss;
    std::string error;
    ASSERT_TRUE(loss.addList("1", error));
    JobSpec request = job(dir.file("in.g723"), dir.file("out.wav"));
    request.stats = true;
    request.loss = &loss;
    JobResult result = decode(request);
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(3u, result.stats.kindCount[0]);  // frame 1 was lost instead
    EXPECT_EQ(1u, result.stats.kindCount[1]);
    EXPECT_EQ(1u, result.stats.kindCount[2]);
    EXPECT_EQ(2u, result.stats.kindCount[3]);
    EXPECT_EQ(1u, result.stats.lost);
    EXPECT_EQ(1u, result.stats.bad);
    const std::string name = dir.file("in.g723") + ": ";
    EXPECT_NE(std::string::npos,
              result.report.find(name + "frames: 8 (6.3k speech 3, 5.3k speech 1, SID 1, untransmitted 2, lost 1)\n" +
                                 name + "bad frames (invalid codes): 1\n" + name + "duration: 0.24 s\n" + name +
                                 "decoder speed: "))
        << result.report;
}

TEST(G723decDecode, IncompleteLastFrameKeepsEverythingBeforeIt) {
    ScratchDir dir;
    FrameList frames = mixedFrames(13, 60);
    Bytes file = bytesFraming(frames);
    frames.push_back(speechFrames(14, 1)[0]);
    Bytes last = frames.back();
    file.insert(file.end(), last.begin(), last.begin() + 9);
    writeFile(dir.path("cut.g723"), file);
    JobResult result = decode(job(dir.file("cut.g723"), dir.file("out.wav")));
    EXPECT_EQ(g723dec::exitTruncated, result.exitCode);
    EXPECT_EQ("g723dec: " + dir.file("cut.g723") + ": byte " + std::to_string(file.size() - 9) +
                  ": the last frame is incomplete: a 6.3 kbit/s speech frame needs 24 bytes, the input ends after "
                  "9; decoded the " +
                  std::to_string(frames.size() - 1) + " complete frames before it\n",
              result.report);
    frames.pop_back();
    EXPECT_EQ(decodeWithLibrary(frames), wavSamples(readFile(dir.path("out.wav"))));
}

TEST(G723decDecode, ContainerCutShortIsReportedAfterDecodingWhatIsThere) {
    ScratchDir dir;
    FrameList frames = speechFrames(15, 10);
    Bytes header = list("RIFF", "WAVE", chunk("fmt ", waveFormat(0x0042)));
    writeFile(dir.path("cut.wav"), concat({header, chunk("data", bytesFraming(frames), 480)}));
    JobResult result = decode(job(dir.file("cut.wav"), dir.file("out.wav")));
    EXPECT_EQ(g723dec::exitTruncated, result.exitCode);
    EXPECT_EQ("g723dec: " + dir.file("cut.wav") +
                  ": byte 38: the data chunk declares 480 bytes, but the file ends after 240; decoded the 10 "
                  "complete frames that are present\n",
              result.report);
    EXPECT_EQ(decodeWithLibrary(frames), wavSamples(readFile(dir.path("out.wav"))));
}

TEST(G723decDecode, FailuresBeforeDecodingLeaveNoOutput) {
    ScratchDir dir;
    writeFile(dir.path("pcm.wav"), wavFile(Bytes(480, 0), 0x0001));
    JobResult notG7231 = decode(job(dir.file("pcm.wav"), dir.file("out.wav")));
    EXPECT_EQ(g723dec::exitNotG7231, notG7231.exitCode);
    EXPECT_EQ("g723dec: " + dir.file("pcm.wav") +
                  ": byte 20: WAV audio has format tag 0x0001 (PCM), not G.723.1 (0x0042)\n",
              notG7231.report);

    JobResult missing = decode(job(dir.file("missing.g723"), dir.file("out.wav")));
    EXPECT_EQ(g723dec::exitUnreadable, missing.exitCode);
    EXPECT_EQ(0u, missing.report.find("g723dec: " + dir.file("missing.g723") + ": cannot open: "));

    std::filesystem::create_directory(dir.path("folder"));
    JobResult folder = decode(job(dir.file("folder"), dir.file("out.wav")));
    EXPECT_EQ(g723dec::exitUnreadable, folder.exitCode);
    EXPECT_EQ("g723dec: " + dir.file("folder") + ": cannot read: is a directory\n", folder.report);
    EXPECT_FALSE(std::filesystem::exists(dir.path("out.wav")));

    writeFile(dir.path("in.g723"), bytesFraming(speechFrames(1, 5)));
    JobResult noDir = decode(job(dir.file("in.g723"), dir.file("nowhere/out.wav")));
    EXPECT_EQ(g723dec::exitOutputError, noDir.exitCode);
    EXPECT_EQ(0u, noDir.report.find("g723dec: " + dir.file("nowhere/out.wav") + ": cannot create: "));
    JobResult intoFolder = decode(job(dir.file("in.g723"), dir.file("folder")));
    EXPECT_EQ(g723dec::exitOutputError, intoFolder.exitCode);
    EXPECT_EQ("g723dec: " + dir.file("folder") + ": cannot create: is a directory\n", intoFolder.report);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path("folder")));
}

TEST(G723decDecode, RefusesToOverwriteItsInput) {
    ScratchDir dir;
    Bytes wav = wavFile(bytesFraming(speechFrames(2, 20)));
    writeFile(dir.path("speech.wav"), wav);
    JobResult result = decode(job(dir.file("speech.wav"), dir.path(".").string() + "/speech.wav"));
    EXPECT_EQ(g723dec::exitOutputError, result.exitCode);
    EXPECT_NE(std::string::npos, result.report.find("is the input file; it would be overwritten"));
    EXPECT_EQ(wav, readFile(dir.path("speech.wav")));
}

TEST(G723decDecode, EmptyInputGivesAnEmptyWavAndAWarning) {
    ScratchDir dir;
    writeFile(dir.path("empty.g723"), {});
    JobResult result = decode(job(dir.file("empty.g723"), dir.file("out.wav")));
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("g723dec: warning: " + dir.file("empty.g723") + ": contains no frames\n", result.report);
    EXPECT_TRUE(wavSamples(readFile(dir.path("out.wav"))).empty());
}
