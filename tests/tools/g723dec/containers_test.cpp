// Container recognition and layout: WAV and AVI files built around frames
// (regular, unusual and broken ones) and a WAV file written by ffmpeg.
#include <gtest/gtest.h>

#include "container_detect.h"
#include "frame_reader.h"
#include "test_support.h"

using namespace g723test;
using g723dec::ByteSource;
using g723dec::FrameData;
using g723dec::InputFile;
using g723dec::Status;

namespace {

struct Located {
    Status status;
    FrameData data;
    Bytes frames;  // the bytes of all segments, in order
};

Located locate(const ScratchDir& dir, const Bytes& file) {
    writeFile(dir.path("input"), file);
    InputFile input;
    Located result;
    result.status = input.open(dir.file("input"));
    if (result.status.ok()) {
        result.status = g723dec::locateFrames(input, result.data);
    }
    if (result.status.ok()) {
        ByteSource source(input, result.data.segments);
        uint8_t byte;
        while (source.read(&byte, 1) == 1) {
            result.frames.push_back(byte);
        }
    }
    return result;
}

size_t find(const Bytes& haystack, const std::string& needle) {
    auto at = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end());
    return static_cast<size_t>(at - haystack.begin());
}

}  // namespace

TEST(G723decContainers, RawFilesAreEverythingThatIsNotRiff) {
    ScratchDir dir;
    Bytes frames = bytesFraming(mixedFrames(3, 40));
    Located raw = locate(dir, frames);
    ASSERT_TRUE(raw.status.ok()) << raw.status.message;
    EXPECT_EQ(frames, raw.frames);
    EXPECT_EQ("raw frames", raw.data.description);

    Bytes riffLike = {'R', 'I', 'F', 'F', 1, 2, 3};  // too short for a RIFF header: raw SID frames
    EXPECT_EQ(riffLike, locate(dir, riffLike).frames);

    Located other = locate(dir, list("RIFF", "RMID", chunk("data", Bytes(8, 0))));
    EXPECT_EQ(g723dec::exitNotG7231, other.status.exitCode);
    EXPECT_EQ(dir.file("input") + ": byte 8: RIFF file of form 'RMID' is neither WAV nor AVI", other.status.message);
}

TEST(G723decContainers, WavDataChunkWhereverTheChunksAre) {
    ScratchDir dir;
    Bytes frames = bytesFraming(mixedFrames(5, 30));
    Located plain = locate(dir, wavFile(frames));
    ASSERT_TRUE(plain.status.ok()) << plain.status.message;
    EXPECT_EQ(frames, plain.frames);
    EXPECT_EQ("WAV", plain.data.description);
    EXPECT_TRUE(plain.data.cutShortNote.empty());

    // Extensible format, extra chunks, an odd-sized chunk with its pad byte, data before fmt.
    Bytes unusual = list("RIFF", "WAVE",
                         concat({chunk("LIST", Bytes(5, 'i')), chunk("data", frames), chunk("fact", Bytes(4, 0)),
                                 chunk("fmt ", waveFormat(0x0042, 1, true))}));
    Located located = locate(dir, unusual);
    ASSERT_TRUE(located.status.ok()) << located.status.message;
    EXPECT_EQ(frames, located.frames);
}

TEST(G723decContainers, WavWithoutG7231AudioNamesTheTagFound) {
    ScratchDir dir;
    Bytes pcm = wavFile(Bytes(100, 0), 0x0001);
    Located located = locate(dir, pcm);
    EXPECT_EQ(g723dec::exitNotG7231, located.status.exitCode);
    EXPECT_EQ(dir.file("input") + ": byte 20: WAV audio has format tag 0x0001 (PCM), not G.723.1 (0x0042)",
              located.status.message);

    Located unnamed = locate(dir, list("RIFF", "WAVE", chunk("fmt ", waveFormat(0x1234, 1, true))));
    EXPECT_NE(std::string::npos, unnamed.status.message.find("format tag 0x1234, not G.723.1"));

    Located stereo =
        locate(dir, list("RIFF", "WAVE", concat({chunk("fmt ", waveFormat(0x0042, 2)), chunk("data", Bytes(24, 0))})));
    EXPECT_EQ(dir.file("input") + ": byte 22: G.723.1 audio with 2 channels; only mono is supported",
              stereo.status.message);
}

TEST(G723decContainers, BrokenWavFilesAreRefusedWithTheirOffset) {
    ScratchDir dir;
    Located noFormat = locate(dir, list("RIFF", "WAVE", chunk("data", Bytes(24, 0))));
    EXPECT_EQ(g723dec::exitNotG7231, noFormat.status.exitCode);
    EXPECT_EQ(dir.file("input") + ": byte 12: WAV file has no format (fmt) chunk", noFormat.status.message);

    Located noData = locate(dir, list("RIFF", "WAVE", chunk("fmt ", waveFormat(0x0042))));
    EXPECT_EQ(dir.file("input") + ": byte 38: WAV file has no data chunk", noData.status.message);

    Located shortFormat = locate(dir, list("RIFF", "WAVE", chunk("fmt ", Bytes(10, 0))));
    EXPECT_EQ(dir.file("input") + ": byte 12: WAV format chunk is too short (10 bytes)", shortFormat.status.message);
}

TEST(G723decContainers, WavDataChunkLongerThanTheFile) {
    ScratchDir dir;
    Bytes frames = bytesFraming(speechFrames(7, 4));
    Bytes header = list("RIFF", "WAVE", chunk("fmt ", waveFormat(0x0042)));
    Bytes cut = concat({header, chunk("data", frames, 960)});
    Located located = locate(dir, cut);
    ASSERT_TRUE(located.status.ok()) << located.status.message;
    EXPECT_EQ(frames, located.frames);
    EXPECT_EQ(dir.file("input") + ": byte 38: the data chunk declares 960 bytes, but the file ends after 96",
              located.data.cutShortNote);

    // Writers that cannot seek back leave the size unknown: read to the end, no complaint.
    Located streamed = locate(dir, concat({header, chunk("data", frames, 0xFFFFFFFF)}));
    EXPECT_EQ(frames, streamed.frames);
    EXPECT_TRUE(streamed.data.cutShortNote.empty());
}

TEST(G723decContainers, FfmpegWavFile) {
    ScratchDir dir;
    Bytes file = readFile(std::filesystem::path(G723DEC_TEST_DATA) / "ffmpeg_tone.wav");
    ASSERT_FALSE(file.empty());
    Located located = locate(dir, file);
    ASSERT_TRUE(located.status.ok()) << located.status.message;
    ASSERT_EQ(240u, located.frames.size());  // ten 24-byte frames after fmt, fact and LIST chunks
    EXPECT_EQ(file.size() - 240, find(file, "data") + 8);
}

TEST(G723decContainers, AviAudioStreamAmongVideoAndOtherAudio) {
    ScratchDir dir;
    Bytes frames = bytesFraming(mixedFrames(9, 50));
    AviLayout layout;
    layout.audioTags = {0x0055, 0x0042};
    layout.audioChunks = splitInto(frames, 37);  // frames run across chunk boundaries
    Located located = locate(dir, aviFile(layout));
    ASSERT_TRUE(located.status.ok()) << located.status.message;
    EXPECT_EQ(frames, located.frames);
    EXPECT_EQ("AVI audio stream 2", located.data.description);

    layout.audioTags = {0x0042};
    layout.recLists = true;
    layout.chunksInExtension = 3;
    located = locate(dir, aviFile(layout));
    ASSERT_TRUE(located.status.ok()) << located.status.message;
    EXPECT_EQ(frames, located.frames);
}

TEST(G723decContainers, AviWithoutG7231AudioNamesTheTagsFound) {
    ScratchDir dir;
    AviLayout layout;
    layout.audioTags = {0x0055, 0x0001};
    Bytes file = aviFile(layout);
    Located located = locate(dir, file);
    EXPECT_EQ(g723dec::exitNotG7231, located.status.exitCode);
    size_t firstAudioFormat = find(file, "auds");
    firstAudioFormat = std::search(file.begin() + static_cast<long>(firstAudioFormat), file.end(), "strf", "strf" + 4) -
                       file.begin() + 8;
    EXPECT_EQ(dir.file("input") + ": byte " + std::to_string(firstAudioFormat) +
                  ": AVI file has no G.723.1 (0x0042) audio: stream 1 has format tag 0x0055 (MP3), "
                  "stream 2 has format tag 0x0001 (PCM)",
              located.status.message);

    layout.audioTags = {};
    located = locate(dir, aviFile(layout));
    EXPECT_EQ(dir.file("input") + ": byte 12: AVI file has no audio stream", located.status.message);

    located = locate(dir, list("RIFF", "AVI ", chunk("JUNK", Bytes(4, 0))));
    EXPECT_EQ(dir.file("input") + ": byte 12: AVI file has no header list (hdrl)", located.status.message);
}

TEST(G723decContainers, AviCutShortKeepsTheAudioThatIsThere) {
    ScratchDir dir;
    Bytes frames = bytesFraming(speechFrames(11, 6));
    AviLayout layout;
    layout.audioChunks = splitInto(frames, 24);
    Bytes file = aviFile(layout);
    size_t lastAudio = file.size() - 1;
    while (file[lastAudio - 3] != '0' || file[lastAudio - 2] != '1' || file[lastAudio - 1] != 'w' ||
           file[lastAudio] != 'b') {
        --lastAudio;
    }
    lastAudio -= 3;
    file.resize(lastAudio + 8 + 10);  // the last audio chunk holds 10 of its 24 bytes
    Located located = locate(dir, file);
    ASSERT_TRUE(located.status.ok()) << located.status.message;
    EXPECT_EQ(Bytes(frames.begin(), frames.end() - 14), located.frames);
    EXPECT_EQ(dir.file("input") + ": byte " + std::to_string(lastAudio) +
                  ": the audio chunk declares 24 bytes, but the file ends after 10",
              located.data.cutShortNote);
}
