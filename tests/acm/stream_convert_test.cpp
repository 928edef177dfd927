// Conversions through msacm32 with the driver registered: the samples equal
// those of INITdec/DecSoundFrame for the same frames, however the source is
// cut into blocks, and a stream started again starts a fresh decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "AcmTestStream.h"
#include "ClipAudio.h"
#include "frame_writer.h"
#include "ReferenceDecoding.h"

namespace {

const std::string kSamples = ACM_SAMPLES;

class StreamConvert : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_audio = ReadClipAudio(kSamples + "/speech-g723.wav");
        ASSERT_EQ(m_audio.m_error, "");
        m_bytes = m_audio.Bytes();
        m_reference = ReferenceSamples(SplitFrames(m_bytes));
        ASSERT_EQ(m_reference.size(), 207u * 240) << "speechdec.dll not loaded or the sample changed";
    }

    // Converts m_bytes in blocks of cbBlock bytes; every byte must be taken.
    std::vector<int16_t> ConvertInBlocks(CAcmTestStream& stream, DWORD cbBlock)
    {
        std::vector<int16_t> samples;
        for (size_t pos = 0; pos < m_bytes.size(); pos += cbBlock)
        {
            const DWORD cb = static_cast<DWORD>(std::min<size_t>(cbBlock, m_bytes.size() - pos));
            EXPECT_EQ(stream.Convert(m_bytes.data() + pos, cb, 0, samples), cb) << "block at " << pos;
            EXPECT_EQ(stream.m_mmrLast, MMSYSERR_NOERROR);
        }
        return samples;
    }

    CClipAudio m_audio;
    std::vector<BYTE> m_bytes;
    std::vector<int16_t> m_reference;
};

TEST_F(StreamConvert, WavSampleInOneBlockGivesTheLibrarySamples)
{
    ASSERT_EQ(m_audio.Format()->cbSize, 10) << "the sample's record carries ffmpeg's extra bytes";
    CAcmTestStream stream(m_audio.Format());
    ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
    EXPECT_EQ(DriverShortName(stream.Handle()), L"G.723.1");
    EXPECT_EQ(ConvertInBlocks(stream, static_cast<DWORD>(m_bytes.size())), m_reference);
}

TEST_F(StreamConvert, AviTrackChunkByChunkGivesTheLibrarySamples)
{
    const CClipAudio clip = ReadClipAudio(kSamples + "/speech-clip.avi");
    ASSERT_EQ(clip.m_error, "");
    ASSERT_EQ(clip.Bytes(), m_bytes) << "the clip's track is the sample bitstream";
    CAcmTestStream stream(clip.Format());
    ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
    std::vector<int16_t> samples;
    for (const std::vector<BYTE>& chunk : clip.m_chunks)
    {
        EXPECT_EQ(stream.Convert(chunk.data(), static_cast<DWORD>(chunk.size()), 0, samples), chunk.size());
    }
    EXPECT_EQ(samples, m_reference);
}

TEST_F(StreamConvert, BlocksThatEndInsideFramesKeepTheRestForTheNext)
{
    for (DWORD cbBlock : {1u, 5u, 7u, 23u, 25u, 47u, 100u, 1001u})
    {
        CAcmTestStream stream(m_audio.Format());
        ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
        EXPECT_EQ(ConvertInBlocks(stream, cbBlock), m_reference) << cbBlock << "-byte blocks";
    }
}

TEST_F(StreamConvert, EveryFrameKindInOddBlocks)
{
    // Both rates, silence descriptors, one-byte untransmitted frames and
    // frames of random bytes (invalid codes: concealment, comfort noise).
    FrameList frames;
    for (std::vector<uint8_t>& frame : frames::mixedStream(7, 300))
    {
        if (frame.empty())
            continue;  // a file cannot hold a lost frame
        if ((frame[0] & 3) == 3)
            frame.resize(1);
        frames.push_back(frame);
    }
    m_bytes = JoinFrames(frames);
    CAcmTestStream stream(m_audio.Format());
    ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
    EXPECT_EQ(ConvertInBlocks(stream, 7), ReferenceSamples(frames));
}

TEST_F(StreamConvert, StartFlagStartsAFreshDecoder)
{
    CAcmTestStream stream(m_audio.Format());
    ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
    std::vector<int16_t> before;
    stream.Convert(m_bytes.data() + 240, 250, 0, before);  // ten frames and a part of one
    std::vector<int16_t> samples;
    EXPECT_EQ(stream.Convert(m_bytes.data(), static_cast<DWORD>(m_bytes.size()), ACM_STREAMCONVERTF_START, samples),
              m_bytes.size());
    EXPECT_EQ(samples, m_reference);
}

TEST_F(StreamConvert, BlockAlignedConversionLeavesAPartFrameToTheCaller)
{
    CAcmTestStream stream(m_audio.Format());
    ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
    std::vector<int16_t> samples;
    EXPECT_EQ(stream.Convert(m_bytes.data(), 60, ACM_STREAMCONVERTF_BLOCKALIGN, samples), 48u);
    EXPECT_EQ(stream.Convert(m_bytes.data() + 48, static_cast<DWORD>(m_bytes.size() - 48), 0, samples),
              m_bytes.size() - 48);
    EXPECT_EQ(samples, m_reference);
}

TEST_F(StreamConvert, FullDestinationLeavesWholeFramesToTheCaller)
{
    CAcmTestStream stream(m_audio.Format());
    ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
    std::vector<int16_t> samples;
    size_t pos = 0;
    while (pos < m_bytes.size())
    {
        const DWORD cbUsed =
            stream.Convert(m_bytes.data() + pos, static_cast<DWORD>(m_bytes.size() - pos), 0, samples, 3 * 480 + 100);
        ASSERT_EQ(stream.m_mmrLast, MMSYSERR_NOERROR);
        ASSERT_GT(cbUsed, 0u);
        ASSERT_LE(cbUsed, 3u * 24) << "more frames taken than the destination holds";
        pos += cbUsed;
    }
    EXPECT_EQ(samples, m_reference);
}

TEST_F(StreamConvert, StreamEndingInsideAFramePlaysItAsLost)
{
    CAcmTestStream stream(m_audio.Format());
    ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
    std::vector<int16_t> samples;
    EXPECT_EQ(stream.Convert(m_bytes.data(), 24 * 5 + 9, ACM_STREAMCONVERTF_END, samples), 24u * 5 + 9);
    FrameList frames;
    for (int i = 0; i < 5; ++i)
        frames.emplace_back(m_bytes.begin() + 24 * i, m_bytes.begin() + 24 * (i + 1));
    frames.emplace_back();
    EXPECT_EQ(samples, ReferenceSamples(frames));
}

TEST_F(StreamConvert, StreamsDecodeIndependently)
{
    CAcmTestStream first(m_audio.Format());
    CAcmTestStream second(m_audio.Format());
    ASSERT_EQ(first.OpenResult(), MMSYSERR_NOERROR);
    ASSERT_EQ(second.OpenResult(), MMSYSERR_NOERROR);
    std::vector<int16_t> firstSamples, secondSamples;
    for (size_t pos = 0; pos < m_bytes.size(); pos += 50)
    {
        const DWORD cb = static_cast<DWORD>(std::min<size_t>(50, m_bytes.size() - pos));
        first.Convert(m_bytes.data() + pos, cb, 0, firstSamples);
        second.Convert(m_bytes.data() + pos, cb, 0, secondSamples);
    }
    EXPECT_EQ(firstSamples, m_reference);
    EXPECT_EQ(secondSamples, m_reference);
}

}  // namespace
