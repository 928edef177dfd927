// What the registered driver tells the ACM, asked through msacm32 as a
// program or the wave mapper asks: details, format tags, formats, the
// format it suggests, and which streams it opens.
#include <gtest/gtest.h>

#include <string>

#include "AcmTestStream.h"
#include "ClipAudio.h"

namespace {

const std::string kSamples = ACM_SAMPLES;

BOOL CALLBACK FindG7231Driver(HACMDRIVERID hadid, DWORD_PTR dwInstance, DWORD)
{
    ACMDRIVERDETAILSW add = {};
    add.cbStruct = sizeof(add);
    if (acmDriverDetailsW(hadid, &add, 0) == 0 && std::wstring(add.szShortName) == L"G.723.1")
    {
        *reinterpret_cast<HACMDRIVERID*>(dwInstance) = hadid;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectFormat(HACMDRIVERID, LPACMFORMATDETAILSW pafd, DWORD_PTR dwInstance, DWORD)
{
    auto* pFormats = reinterpret_cast<std::vector<std::pair<WAVEFORMATEX, std::wstring>>*>(dwInstance);
    pFormats->emplace_back(*pafd->pwfx, pafd->szFormat);
    return TRUE;
}

class DriverQueries : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(acmDriverEnum(FindG7231Driver, reinterpret_cast<DWORD_PTR>(&m_hadid), 0), 0u);
        ASSERT_NE(m_hadid, nullptr) << "g7231.acm is not registered in this Wine prefix";
        ASSERT_EQ(acmDriverOpen(&m_had, m_hadid, 0), 0u);
        m_clip = ReadClipAudio(kSamples + "/speech-clip.avi");
        ASSERT_EQ(m_clip.m_error, "");
    }
    void TearDown() override
    {
        if (m_had != NULL)
            acmDriverClose(m_had, 0);
    }

    HACMDRIVERID m_hadid = NULL;
    HACMDRIVER m_had = NULL;
    CClipAudio m_clip;
};

TEST_F(DriverQueries, DetailsNameADecodingCodec)
{
    ACMDRIVERDETAILSW add = {};
    add.cbStruct = sizeof(add);
    ASSERT_EQ(acmDriverDetailsW(m_hadid, &add, 0), 0u);
    EXPECT_EQ(add.fccType, ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC);
    EXPECT_TRUE(add.fdwSupport & ACMDRIVERDETAILS_SUPPORTF_CODEC);
    EXPECT_FALSE(add.fdwSupport & ACMDRIVERDETAILS_SUPPORTF_ASYNC);
    EXPECT_EQ(add.cFormatTags, 2u);
    EXPECT_EQ(add.cFilterTags, 0u);
    EXPECT_NE(std::wstring(add.szFeatures).find(L"Encoding is not offered"), std::wstring::npos);
    EXPECT_EQ(acmDriverMessage(m_had, ACMDM_DRIVER_ABOUT, -1, 0), 0) << "an about box is offered";
}

TEST_F(DriverQueries, FormatTagsArePcmAndG7231)
{
    ACMFORMATTAGDETAILSW aftd = {};
    aftd.cbStruct = sizeof(aftd);
    aftd.dwFormatTag = WAVE_FORMAT_MSG723;
    ASSERT_EQ(acmFormatTagDetailsW(m_had, &aftd, ACM_FORMATTAGDETAILSF_FORMATTAG), 0u);
    EXPECT_EQ(aftd.dwFormatTagIndex, 1u);
    EXPECT_EQ(aftd.cStandardFormats, 2u);
    EXPECT_EQ(aftd.cbFormatSize, sizeof(WAVEFORMATEX));
    EXPECT_EQ(std::wstring(aftd.szFormatTag), L"G.723.1");

    aftd.dwFormatTagIndex = 0;
    ASSERT_EQ(acmFormatTagDetailsW(m_had, &aftd, ACM_FORMATTAGDETAILSF_INDEX), 0u);
    EXPECT_EQ(aftd.dwFormatTag, static_cast<DWORD>(WAVE_FORMAT_PCM));
    EXPECT_EQ(aftd.cStandardFormats, 1u);

    aftd.dwFormatTag = WAVE_FORMAT_UNKNOWN;
    ASSERT_EQ(acmFormatTagDetailsW(m_had, &aftd, ACM_FORMATTAGDETAILSF_LARGESTSIZE), 0u);
    EXPECT_EQ(aftd.cbFormatSize, sizeof(WAVEFORMATEX));

    aftd.dwFormatTagIndex = 2;
    EXPECT_EQ(acmFormatTagDetailsW(m_had, &aftd, ACM_FORMATTAGDETAILSF_INDEX),
              static_cast<MMRESULT>(ACMERR_NOTPOSSIBLE));
    aftd.dwFormatTag = WAVE_FORMAT_ADPCM;
    EXPECT_EQ(acmFormatTagDetailsW(m_had, &aftd, ACM_FORMATTAGDETAILSF_FORMATTAG),
              static_cast<MMRESULT>(ACMERR_NOTPOSSIBLE));
}

TEST_F(DriverQueries, StandardFormatsOfBothRates)
{
    BYTE abFormat[64] = {};
    ACMFORMATDETAILSW afd = {};
    afd.cbStruct = sizeof(afd);
    afd.dwFormatTag = WAVE_FORMAT_MSG723;
    afd.pwfx = reinterpret_cast<WAVEFORMATEX*>(abFormat);
    afd.cbwfx = sizeof(abFormat);
    afd.pwfx->wFormatTag = WAVE_FORMAT_MSG723;
    std::vector<std::pair<WAVEFORMATEX, std::wstring>> formats;
    ASSERT_EQ(
        acmFormatEnumW(m_had, &afd, CollectFormat, reinterpret_cast<DWORD_PTR>(&formats), ACM_FORMATENUMF_WFORMATTAG),
        0u);
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_EQ(formats[0].first.nBlockAlign, 24);
    EXPECT_EQ(formats[0].first.nAvgBytesPerSec, 800u);
    EXPECT_EQ(formats[0].second, L"8.000 kHz, Mono, 6.3 kbit/s");
    EXPECT_EQ(formats[1].first.nBlockAlign, 20);
    EXPECT_EQ(formats[1].second, L"8.000 kHz, Mono, 5.3 kbit/s");

    // The clip's own record (with ffmpeg's extra bytes) is one the driver knows.
    ACMFORMATDETAILSW clip = {};
    clip.cbStruct = sizeof(clip);
    clip.dwFormatTag = WAVE_FORMAT_MSG723;
    clip.pwfx = const_cast<WAVEFORMATEX*>(m_clip.Format());
    clip.cbwfx = static_cast<DWORD>(m_clip.m_format.size());
    ASSERT_EQ(acmFormatDetailsW(m_had, &clip, ACM_FORMATDETAILSF_FORMAT), 0u);
    EXPECT_EQ(std::wstring(clip.szFormat), L"8.000 kHz, Mono, 6.3 kbit/s");
}

TEST_F(DriverQueries, SuggestsPcmAt8000HzForTheClip)
{
    // Asked of every driver, the record must have room for the largest format of any.
    DWORD cbLargest = 0;
    ASSERT_EQ(acmMetrics(NULL, ACM_METRIC_MAX_SIZE_FORMAT, &cbLargest), 0u);
    std::vector<BYTE> suggested(cbLargest);
    ASSERT_EQ(acmFormatSuggest(NULL, const_cast<WAVEFORMATEX*>(m_clip.Format()),
                               reinterpret_cast<WAVEFORMATEX*>(suggested.data()), cbLargest, 0),
              0u);
    const WAVEFORMATEX pcm = PcmFormat();
    EXPECT_EQ(0, memcmp(suggested.data(), &pcm, sizeof(PCMWAVEFORMAT)));

    WAVEFORMATEX wfx = {};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    ASSERT_EQ(acmFormatSuggest(m_had, const_cast<WAVEFORMATEX*>(m_clip.Format()), &wfx, sizeof(wfx),
                               ACM_FORMATSUGGESTF_WFORMATTAG),
              0u);
    EXPECT_EQ(wfx.nSamplesPerSec, 8000u);

    wfx.nSamplesPerSec = 44100;
    EXPECT_EQ(acmFormatSuggest(m_had, const_cast<WAVEFORMATEX*>(m_clip.Format()), &wfx, sizeof(wfx),
                               ACM_FORMATSUGGESTF_NSAMPLESPERSEC),
              static_cast<MMRESULT>(ACMERR_NOTPOSSIBLE));

    // No encoding: nothing is suggested for PCM towards G.723.1.
    WAVEFORMATEX src = PcmFormat();
    BYTE abDst[64] = {};
    reinterpret_cast<WAVEFORMATEX*>(abDst)->wFormatTag = WAVE_FORMAT_MSG723;
    EXPECT_NE(acmFormatSuggest(m_had, &src, reinterpret_cast<WAVEFORMATEX*>(abDst), sizeof(abDst),
                               ACM_FORMATSUGGESTF_WFORMATTAG),
              0u);
}

TEST_F(DriverQueries, OpensOnlyG7231ToPcmAt8000Hz)
{
    WAVEFORMATEX src = *m_clip.Format();
    src.cbSize = 0;
    WAVEFORMATEX dst = PcmFormat();
    EXPECT_EQ(acmStreamOpen(NULL, m_had, &src, &dst, NULL, 0, 0, ACM_STREAMOPENF_QUERY), 0u);

    WAVEFORMATEX other = dst;
    other.nSamplesPerSec = 44100;
    other.nAvgBytesPerSec = 88200;
    EXPECT_EQ(acmStreamOpen(NULL, m_had, &src, &other, NULL, 0, 0, ACM_STREAMOPENF_QUERY),
              static_cast<MMRESULT>(ACMERR_NOTPOSSIBLE));

    WAVEFORMATEX stereo = src;
    stereo.nChannels = 2;
    EXPECT_EQ(acmStreamOpen(NULL, m_had, &stereo, &dst, NULL, 0, 0, ACM_STREAMOPENF_QUERY),
              static_cast<MMRESULT>(ACMERR_NOTPOSSIBLE));

    WAVEFORMATEX oddBlocks = src;
    oddBlocks.nBlockAlign = 25;
    EXPECT_EQ(acmStreamOpen(NULL, m_had, &oddBlocks, &dst, NULL, 0, 0, ACM_STREAMOPENF_QUERY),
              static_cast<MMRESULT>(ACMERR_NOTPOSSIBLE));

    EXPECT_EQ(acmStreamOpen(NULL, m_had, &dst, &src, NULL, 0, 0, ACM_STREAMOPENF_QUERY),
              static_cast<MMRESULT>(ACMERR_NOTPOSSIBLE))
        << "no encoding";
}

TEST_F(DriverQueries, StreamSizesCoverEveryFrameKind)
{
    CAcmTestStream stream(m_clip.Format());
    ASSERT_EQ(stream.OpenResult(), MMSYSERR_NOERROR);
    DWORD cb = 0;
    ASSERT_EQ(acmStreamSize(stream.Handle(), 24, &cb, ACM_STREAMSIZEF_SOURCE), 0u);
    EXPECT_EQ(cb, 24u * 480) << "24 bytes can be 24 one-byte untransmitted frames";
    ASSERT_EQ(acmStreamSize(stream.Handle(), 4800, &cb, ACM_STREAMSIZEF_DESTINATION), 0u);
    EXPECT_EQ(cb, 240u);
    EXPECT_EQ(acmStreamSize(stream.Handle(), 479, &cb, ACM_STREAMSIZEF_DESTINATION),
              static_cast<MMRESULT>(ACMERR_NOTPOSSIBLE));
}

}  // namespace
