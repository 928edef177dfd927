// Input no writer would make: every byte pattern decodes to frames of the
// kind its first bits name (invalid codes conceal), nothing is read past the
// source or written past the destination, and a source that ends inside a
// frame is never read beyond its end.
#include <gtest/gtest.h>

#include <string>

#include "AcmTestStream.h"
#include "ClipAudio.h"
#include "GuardedBuffer.h"
#include "ReferenceDecoding.h"
#include "frame_writer.h"

namespace {

const std::string kSamples = ACM_SAMPLES;

// One conversion with both buffers at the end of their pages.
struct GuardedConversion
{
    DWORD cbSrcUsed = 0;
    DWORD cbDstUsed = 0;
    MMRESULT mmr = MMSYSERR_ERROR;
    std::vector<int16_t> samples;
};

GuardedConversion ConvertGuarded(HACMSTREAM has, const std::vector<BYTE>& src, DWORD cbDst, DWORD fdwConvert)
{
    CGuardedBuffer source(static_cast<DWORD>(src.size()));
    CGuardedBuffer destination(cbDst);
    GuardedConversion result;
    if (source.Data() == NULL || destination.Data() == NULL)
        return result;
    CopyMemory(source.Data(), src.data(), src.size());
    ACMSTREAMHEADER ash = {};
    ash.cbStruct = sizeof(ash);
    ash.pbSrc = source.Data();
    ash.cbSrcLength = source.Size();
    ash.pbDst = destination.Data();
    ash.cbDstLength = cbDst;
    if ((result.mmr = acmStreamPrepareHeader(has, &ash, 0)) != 0)
        return result;
    result.mmr = acmStreamConvert(has, &ash, fdwConvert);
    result.cbSrcUsed = ash.cbSrcLengthUsed;
    result.cbDstUsed = ash.cbDstLengthUsed;
    result.samples.assign(reinterpret_cast<int16_t*>(ash.pbDst),
                          reinterpret_cast<int16_t*>(ash.pbDst) + ash.cbDstLengthUsed / 2);
    acmStreamUnprepareHeader(has, &ash, 0);
    return result;
}

class HostileInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_audio = ReadClipAudio(kSamples + "/speech-g723.wav");
        ASSERT_EQ(m_audio.m_error, "");
    }
    CClipAudio m_audio;
};

TEST_F(HostileInput, RandomBytesDecodeAsTheLibraryDecodesTheirFrames)
{
    frames::Random rng(11);
    for (int run = 0; run < 20; ++run)
    {
        std::vector<BYTE> bytes(1 + rng.below(3000));
        for (BYTE& b : bytes)
            b = static_cast<BYTE>(rng.next() >> 24);
        CAcmTestStream stream(m_audio.Format());
        ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
        DWORD cbDst = 0;
        ASSERT_EQ(acmStreamSize(stream.Handle(), static_cast<DWORD>(bytes.size()), &cbDst, ACM_STREAMSIZEF_SOURCE), 0u);
        const GuardedConversion result = ConvertGuarded(stream.Handle(), bytes, cbDst, 0);
        ASSERT_EQ(result.mmr, MMSYSERR_NOERROR);
        EXPECT_EQ(result.cbSrcUsed, bytes.size()) << "a part frame at the end is kept, not refused";
        EXPECT_EQ(result.samples, ReferenceSamples(SplitFrames(bytes))) << "run " << run;
    }
}

TEST_F(HostileInput, UntransmittedFrameAsTheLastByteIsNotReadPast)
{
    // The decoder reads a whole word for this kind; the file holds one byte.
    std::vector<BYTE> bytes = frames::runawayFrame(false);
    bytes.push_back(0x03);
    CAcmTestStream stream(m_audio.Format());
    ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
    const GuardedConversion result = ConvertGuarded(stream.Handle(), bytes, 2 * 480, ACM_STREAMCONVERTF_END);
    ASSERT_EQ(result.mmr, MMSYSERR_NOERROR);
    EXPECT_EQ(result.cbSrcUsed, bytes.size());
    EXPECT_EQ(result.samples, ReferenceSamples(SplitFrames(bytes)));
}

TEST_F(HostileInput, DestinationsTooSmallForAFrameTakeNothing)
{
    const std::vector<BYTE> bytes = m_audio.Bytes();
    CAcmTestStream stream(m_audio.Format());
    ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
    for (DWORD cbDst : {1u, 2u, 479u})
    {
        const GuardedConversion result =
            ConvertGuarded(stream.Handle(), std::vector<BYTE>(bytes.begin(), bytes.begin() + 48), cbDst, 0);
        EXPECT_EQ(result.mmr, MMSYSERR_NOERROR);
        EXPECT_EQ(result.cbSrcUsed, 0u) << cbDst;
        EXPECT_EQ(result.cbDstUsed, 0u) << cbDst;
    }
    // Nothing was lost: the stream goes on from the first frame.
    const GuardedConversion result = ConvertGuarded(stream.Handle(), bytes, 207 * 480, 0);
    EXPECT_EQ(result.samples, ReferenceSamples(SplitFrames(bytes)));
}

TEST_F(HostileInput, EmptySourceGivesNothing)
{
    CAcmTestStream stream(m_audio.Format());
    ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
    std::vector<int16_t> samples;
    const BYTE b = 0;
    EXPECT_EQ(stream.Convert(&b, 0, ACM_STREAMCONVERTF_END, samples, 480), 0u);
    EXPECT_EQ(stream.m_mmrLast, MMSYSERR_NOERROR);
    EXPECT_TRUE(samples.empty());
}

}  // namespace
