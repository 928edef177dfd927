// Progressive playback while the clip downloads, against a scripted digital-video device and
// clock: when playback is extended and how far, the 15-second rule, refused play requests,
// the play on to the end of a complete clip, and a stream that the browser hands over as a file.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "BrowserWindow.h"
#include "MciPlayer.h"
#include "MciImports.h"
#include "StreamRig.h"

namespace {
// The stream geometry: a 5000-byte placed block and 2^20 bytes expected after it, for a clip
// of 16384 frames, so that every 64 bytes received after the block make one frame.
const DWORD BLOCK = 5000;
const DWORD FRAMES = 16384;
const DWORD BYTES_PER_FRAME = 64;
const DWORD CLIP_BYTES = (1u << 20) + BLOCK - 8;

// Stream bytes received when the estimate reaches nFrame.
DWORD ReceivedAt(DWORD nFrame)
{
    return BLOCK + nFrame * BYTES_PER_FRAME;
}

class ProgressivePlayback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error();
        CScriptedMci::Reset(FRAMES, 1000000);
        m_clip = randomBytes(CLIP_BYTES, 9);
        m_bytes = MakeClipStream(m_clip, CLIP_BYTES - BLOCK);
        ASSERT_EQ(ReceivedAt(FRAMES), m_bytes.size());
        m_dwAnnounced = static_cast<DWORD>(m_bytes.size());
    }

    // A new instance (in the browser window if wanted) with the stream opened, and the
    // device's record emptied; the previous instance goes away first.
    void OpenStream(const CRigInstance::Attributes& attributes = CRigInstance::Attributes(), bool bWindow = true)
    {
        m_pStream.reset();
        m_pInstance.reset(new CRigInstance(Plugin()));
        ASSERT_EQ(NPERR_NO_ERROR, m_pInstance->New(NP_EMBED, attributes));
        if (bWindow)
        {
            ASSERT_EQ(NPERR_NO_ERROR, m_pInstance->SetWindow(m_window.Handle()));
        }
        m_pStream.reset(new CRigStream(Plugin(), *m_pInstance));
        ASSERT_EQ(NPERR_NO_ERROR, m_pStream->Open("http://www.example.com/clip.avs", m_dwAnnounced));
        CScriptedMci::TakeCalls();
    }
    // The stream opened and its first chunk (header, block and 3000 bytes of clip data) delivered.
    void StartStream(const CRigInstance::Attributes& attributes = CRigInstance::Attributes(), bool bWindow = true)
    {
        ASSERT_NO_FATAL_FAILURE(OpenStream(attributes, bWindow));
        EXPECT_TRUE(ReceiveUpTo(8008).empty());
    }
    // The chunk that covers the start threshold (15000 bytes: block plus 10000): the play
    // routine opens the growing file and shows its first frame.
    void ClipStarted()
    {
        std::vector<CScriptedCall> calls = ReceiveUpTo(15008);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(static_cast<UINT>(MCI_OPEN), calls.front().uMsg);
        EXPECT_EQ(std::string(m_pInstance->Record()->m_szTempPath), calls.front().strElement);
        CMciPlayer* pPlayer = m_pInstance->Record()->m_pPlayer;
        ASSERT_EQ(static_cast<MCIDEVICEID>(CScriptedMci::DEVICE_ID), pPlayer->m_wDeviceID);
        EXPECT_EQ(FRAMES, pPlayer->m_nLength);
        EXPECT_EQ(1u, pPlayer->m_nSyncFrame);
        int nPlays = 0;
        for (const CScriptedCall& call : calls)
        {
            if (call.uMsg != MCI_PLAY)
                continue;
            nPlays++;
            EXPECT_EQ(static_cast<DWORD>(MCI_FROM | MCI_TO), call.dwFlags) << "first frame only, no extension yet";
            EXPECT_EQ(0u, call.dwTo);
        }
        EXPECT_EQ(1, nPlays);
    }
    // Delivers the stream up to nReceived bytes in one chunk; the commands it caused.
    std::vector<CScriptedCall> ReceiveUpTo(DWORD nReceived)
    {
        DWORD nOffset = m_pStream->Offset();
        EXPECT_EQ(static_cast<int32_t>(nReceived - nOffset), m_pStream->Write(&m_bytes[nOffset], nReceived - nOffset));
        return CScriptedMci::TakeCalls();
    }
    DWORD SyncFrame() const { return m_pInstance->Record()->m_pPlayer->m_nSyncFrame; }

    // The extension commands: the position query, then the play request up to nTo.
    static void ExpectExtension(const std::vector<CScriptedCall>& calls, DWORD nTo)
    {
        ASSERT_EQ(2u, calls.size());
        EXPECT_EQ(static_cast<UINT>(MCI_STATUS), calls[0].uMsg);
        EXPECT_EQ(static_cast<DWORD>(MCI_STATUS_POSITION), calls[0].dwItem);
        EXPECT_EQ(static_cast<UINT>(MCI_PLAY), calls[1].uMsg);
        EXPECT_EQ(static_cast<DWORD>(MCI_TO), calls[1].dwFlags);
        EXPECT_EQ(nTo, calls[1].dwTo);
        EXPECT_EQ(static_cast<MCIDEVICEID>(CScriptedMci::DEVICE_ID), calls[1].wDeviceID);
    }

    CBrowserWindow m_window{NULL, 320, 240};
    Bytes m_clip, m_bytes;
    DWORD m_dwAnnounced = 0;  // the length NPP_NewStream announces
    std::unique_ptr<CRigInstance> m_pInstance;
    std::unique_ptr<CRigStream> m_pStream;
};

TEST_F(ProgressivePlayback, FirstReleaseComesAtOnceAndThenNeedsMoreThanTheStep)
{
    StartStream();
    ASSERT_NO_FATAL_FAILURE(ClipStarted());
    ExpectExtension(ReceiveUpTo(ReceivedAt(1100)), 1000);
    EXPECT_EQ(1000u, SyncFrame());

    CScriptedMci::Advance(15000);
    EXPECT_TRUE(ReceiveUpTo(ReceivedAt(1400)).empty()) << "an advance of exactly 400 frames is not enough";
    DWORD nPlayed = CScriptedMci::Position();
    EXPECT_EQ(225u, nPlayed);
    ExpectExtension(ReceiveUpTo(ReceivedAt(1401)), 1301);
    EXPECT_EQ(1301u, SyncFrame());
}

TEST_F(ProgressivePlayback, ShortStepAllowsSmallerAdvances)
{
    StartStream();
    ASSERT_NO_FATAL_FAILURE(ClipStarted());
    m_pInstance->Record()->m_nExtendStep = 200;
    ExpectExtension(ReceiveUpTo(ReceivedAt(1100)), 1000);
    CScriptedMci::Advance(15000);
    EXPECT_TRUE(ReceiveUpTo(ReceivedAt(1200)).empty());
    ExpectExtension(ReceiveUpTo(ReceivedAt(1201)), 1101);
}

TEST_F(ProgressivePlayback, AtMostOneExtensionPer15Seconds)
{
    StartStream();
    ASSERT_NO_FATAL_FAILURE(ClipStarted());
    ExpectExtension(ReceiveUpTo(ReceivedAt(1100)), 1000);
    CScriptedMci::Advance(14999);
    EXPECT_TRUE(ReceiveUpTo(ReceivedAt(3000)).empty()) << "14 999 ms after the last extension";
    CScriptedMci::Advance(1);
    ExpectExtension(ReceiveUpTo(ReceivedAt(3000) + 1), 2900);
    CScriptedMci::Advance(14999);
    EXPECT_TRUE(ReceiveUpTo(ReceivedAt(5000)).empty());
}

TEST_F(ProgressivePlayback, RefusedPlayRequestKeepsTheClockRunning)
{
    StartStream();
    ASSERT_NO_FATAL_FAILURE(ClipStarted());
    ExpectExtension(ReceiveUpTo(ReceivedAt(1100)), 1000);
    CScriptedMci::Advance(15000);
    CScriptedMci::FailNextPlay(MCIERR_OUTOFRANGE);
    ExpectExtension(ReceiveUpTo(ReceivedAt(2000)), 1900);
    EXPECT_EQ(225u, SyncFrame()) << "the frame read before the refused request";
    CScriptedMci::Advance(1);
    ExpectExtension(ReceiveUpTo(ReceivedAt(2000) + 1), 1900);
    EXPECT_EQ(1900u, SyncFrame());
    CScriptedMci::Advance(1);
    EXPECT_TRUE(ReceiveUpTo(ReceivedAt(4000)).empty()) << "the successful extension restarted the clock";
}

TEST_F(ProgressivePlayback, CompleteStreamPlaysOnToTheEnd)
{
    StartStream();
    ASSERT_NO_FATAL_FAILURE(ClipStarted());
    ReceiveUpTo(ReceivedAt(1100));
    m_pInstance->Record()->m_pPlayer->m_bPaused = TRUE;
    CScriptedMci::Advance(1000);
    EXPECT_TRUE(ReceiveUpTo(ReceivedAt(FRAMES)).empty());
    ASSERT_EQ(NPERR_NO_ERROR, m_pStream->Close());
    std::vector<CScriptedCall> calls = CScriptedMci::TakeCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(static_cast<UINT>(MCI_PLAY), calls[0].uMsg);
    EXPECT_EQ(static_cast<DWORD>(MCI_TO), calls[0].dwFlags);
    EXPECT_EQ(FRAMES, calls[0].dwTo);
    EXPECT_FALSE(m_pInstance->Record()->m_pPlayer->m_bPaused);
    EXPECT_FALSE(m_pInstance->Record()->m_bAutoStart);
    EXPECT_EQ(m_clip, ReadFileBytes(m_pInstance->Record()->m_szTempPath));
}

TEST_F(ProgressivePlayback, WithoutAutostartNothingIsSentToTheDevice)
{
    StartStream({{"src", "clip.avs"}, {"autostart", "false"}});
    EXPECT_TRUE(ReceiveUpTo(15008).empty()) << "threshold covered, but no automatic start";
    CScriptedMci::Advance(60000);
    EXPECT_TRUE(ReceiveUpTo(ReceivedAt(FRAMES)).empty());
    ASSERT_EQ(NPERR_NO_ERROR, m_pStream->Close());
    EXPECT_TRUE(CScriptedMci::TakeCalls().empty());
    EXPECT_EQ(m_clip, ReadFileBytes(m_pInstance->Record()->m_szTempPath)) << "the file is still written whole";
}

// The user pauses while the clip downloads: automatic playback is off from then on.
TEST_F(ProgressivePlayback, PauseDuringTheDownloadEndsAutomaticPlayback)
{
    StartStream();
    ASSERT_NO_FATAL_FAILURE(ClipStarted());
    ExpectExtension(ReceiveUpTo(ReceivedAt(1100)), 1000);
    SendMessageA(m_window.Handle(), WM_COMMAND, 1018, 0);
    std::vector<CScriptedCall> calls = CScriptedMci::TakeCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(static_cast<UINT>(MCI_PAUSE), calls[0].uMsg);
    CScriptedMci::Advance(60000);
    EXPECT_TRUE(ReceiveUpTo(ReceivedAt(FRAMES)).empty());
    ASSERT_EQ(NPERR_NO_ERROR, m_pStream->Close());
    EXPECT_TRUE(CScriptedMci::TakeCalls().empty()) << "no play on at the end";
}

TEST_F(ProgressivePlayback, EmptyBlockStartsWithTheChunkCoveringStreamOffset10000)
{
    m_bytes = MakeClipStream(m_clip, CLIP_BYTES);
    OpenStream();
    EXPECT_TRUE(ReceiveUpTo(9008).empty());
    std::vector<CScriptedCall> calls = ReceiveUpTo(10008);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(static_cast<UINT>(MCI_OPEN), calls.front().uMsg);
    EXPECT_EQ(10000u, m_pInstance->Record()->m_pPlayer->m_nStartBytes);
}

// A browser that hands the stream over as a file: the temporary file is closed, and the named
// file is opened, drawn and (with autostart) played in the plug-in window.
TEST_F(ProgressivePlayback, StreamHandedOverAsAFileIsPlayedFromThatFile)
{
    StartStream();
    m_pStream->AsFile("C:\\cache\\clip.avi");
    std::vector<CScriptedCall> calls = CScriptedMci::TakeCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(static_cast<UINT>(MCI_OPEN), calls.front().uMsg);
    EXPECT_EQ("C:\\cache\\clip.avi", calls.front().strElement);
    EXPECT_EQ(static_cast<UINT>(MCI_PLAY), calls.back().uMsg);
    EXPECT_EQ(0u, calls.back().dwFlags) << "played to the end";
    EXPECT_EQ(-1, m_pStream->Write(&m_bytes[8008], 1000)) << "the temporary file is closed";
}

TEST_F(ProgressivePlayback, StreamHandedOverAsAFileWithoutAWindowPlaysNothing)
{
    StartStream(CRigInstance::Attributes(), false);
    m_pStream->AsFile("C:\\cache\\clip.avi");
    EXPECT_TRUE(CScriptedMci::TakeCalls().empty());
}
}  // namespace
