// The play routine: clicks ignored, the beep before enough of the download exists,
// the start of a downloading clip at its first frame, and on complete clips the
// restart and the resume on Wine's real AVI device, checked against ffmpeg's frames.
#include <gtest/gtest.h>

#include "MciImports.h"
#include "PluginInstance.h"
#include "TestWindows.h"
#include "UiImports.h"
#include "WindowRig.h"

namespace {
const DWORD START_BYTES = 10000;  // threshold of a stream whose placed block is empty

// The plug-in's beeps, as the rig records them instead of sounding them.
const std::vector<UINT>& g_beeps = CUiCalls::Record().beeps;

// Index of the first recorded call of the kind at or after 'from', or -1.
int IndexOf(UINT uMsg, size_t from = 0)
{
    const std::vector<CMciCall>& calls = CMciSpy::Calls();
    for (size_t i = from; i < calls.size(); i++)
        if (calls[i].uMsg == uMsg)
            return static_cast<int>(i);
    return -1;
}

class WindowPlay : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error(); }

    // A download in progress that has delivered nReceived bytes, the header included.
    static std::unique_ptr<CClipStream> StartDownload(CWindowRig& rig, const std::vector<BYTE>& data, DWORD nReceived)
    {
        std::unique_ptr<CClipStream> stream(
            new CClipStream(rig.Instance().Npp(), "http://host/clip.avs", static_cast<DWORD>(data.size()) + 8 + 1));
        EXPECT_EQ(NPERR_NO_ERROR, stream->OpenResult());
        std::vector<BYTE> chunk = MakeStreamHeader(0, 0);
        chunk.insert(chunk.end(), data.begin(), data.begin() + (nReceived - 8));
        EXPECT_TRUE(stream->Write(chunk));
        EXPECT_EQ(nReceived, rig.Player()->m_nBytesReceived);
        return stream;
    }

    // Plays the delivered clip from the start and lets it run to frame nFrame at least.
    static MCIDEVICEID PlayTo(CWindowRig& rig, DWORD nFrame)
    {
        rig.Command(ID_PLAY);
        MCIDEVICEID id = rig.Player()->m_wDeviceID;
        EXPECT_NE(0u, id);
        EXPECT_TRUE(WaitFor([&] {
            DWORD pos = DevicePosition(id);
            return pos >= nFrame && pos != 0xFFFFFFFF;
        }));
        return id;
    }
    static void WaitUntilStill(MCIDEVICEID id)
    {
        EXPECT_TRUE(WaitFor([&] { return DeviceMode(id) != MCI_MODE_PLAY && DeviceMode(id) != MCI_MODE_SEEK; }));
    }

    // The frame the window shows at the picture's place, which must match one exactly.
    DWORD ShownFrame(CWindowRig& rig, int x, int y)
    {
        int nDiffering = -1;
        DWORD n = m_frames.BestMatch(rig.Pixels(), x, y, &nDiffering);
        EXPECT_EQ(0, nDiffering) << "best match: frame " << n;
        return n;
    }

    CClipFrames m_frames;
};
}  // namespace

TEST_F(WindowPlay, AClickOrAnyOtherCodeChangesNothing)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    ASSERT_TRUE(rig.DeliverWholeClip(ReadFileBytes(TestDataFile("window160.avi"))));
    CMciSpy::Reset();
    for (UINT nCode : {static_cast<UINT>(MK_LBUTTON), 0u, 999u, 1002u, static_cast<UINT>(MK_LBUTTON | MK_SHIFT)})
        rig.PlayRoutine(nCode);
    EXPECT_TRUE(CMciSpy::Calls().empty());
    EXPECT_TRUE(g_beeps.empty());
    EXPECT_FALSE(rig.Player()->m_bOpened);
    EXPECT_FALSE(rig.Record()->m_bAutoStart);
}

TEST_F(WindowPlay, TooLittleOfTheDownloadOnlyBeeps)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    std::vector<BYTE> data(20000, 0x5A);
    auto stream = StartDownload(rig, data, START_BYTES + 7);  // a file of 9999 bytes
    CMciSpy::Reset();
    rig.PlayRoutine(ID_STOP);
    rig.PlayRoutine(ID_PLAY);
    rig.Command(ID_PLAY);
    EXPECT_EQ((std::vector<UINT>{MB_ICONHAND, MB_ICONHAND, MB_ICONHAND}), g_beeps);
    EXPECT_TRUE(CMciSpy::Calls().empty());
    EXPECT_FALSE(rig.Record()->m_bAutoStart);
    EXPECT_EQ(0u, rig.Player()->m_nSyncFrame);
}

TEST_F(WindowPlay, AFileOfExactlyTheThresholdStartsTheDownloadingClip)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    std::vector<BYTE> data(20000, 0x5A);
    auto stream = StartDownload(rig, data, START_BYTES + 8);
    CMciSpy::Reset();
    rig.Command(ID_PLAY);  // m_nSyncFrame 0: Play asks for a restart
    EXPECT_TRUE(g_beeps.empty());
    EXPECT_TRUE(rig.Record()->m_bAutoStart);
    EXPECT_EQ(1u, rig.Player()->m_nSyncFrame);
    ASSERT_GE(CMciSpy::CallsOf(MCI_OPEN).size(), 1u);
    EXPECT_EQ(rig.Record()->m_szTempPath, CMciSpy::CallsOf(MCI_OPEN)[0].strElement);
    ASSERT_EQ(1u, CMciSpy::CallsOf(MCI_PLAY).size());
    const CMciCall play = CMciSpy::CallsOf(MCI_PLAY)[0];
    EXPECT_EQ(static_cast<DWORD>(MCI_FROM | MCI_TO), play.dwFlags);
    EXPECT_EQ(0u, play.dwFrom);
    EXPECT_EQ(0u, play.dwTo);
}

TEST_F(WindowPlay, ResumeCodeDuringTheDownloadOnlyTurnsAutomaticPlaybackOn)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    std::vector<BYTE> data(20000, 0x5A);
    auto stream = StartDownload(rig, data, 15000);
    CMciPlayer* pPlayer = rig.Player();
    CMciSpy::Reset();

    pPlayer->m_nSyncFrame = 2;
    rig.PlayRoutine(ID_PLAY);
    EXPECT_TRUE(rig.Record()->m_bAutoStart);
    EXPECT_EQ(2u, pPlayer->m_nSyncFrame);

    rig.Record()->m_bAutoStart = FALSE;
    pPlayer->m_nSyncFrame = 300;
    pPlayer->m_bPaused = TRUE;
    rig.PlayRoutine(ID_PLAY);
    EXPECT_TRUE(rig.Record()->m_bAutoStart) << "a paused clip goes on with the next extension";
    EXPECT_EQ(300u, pPlayer->m_nSyncFrame);
    EXPECT_TRUE(CMciSpy::Calls().empty());
    EXPECT_TRUE(g_beeps.empty());
}

// The downloading clip on the real device (the driver made to share the file):
// the first frame, then a restart of a clip that was playing.
TEST_F(WindowPlay, DownloadingClipShowsItsFirstFrameAndRestartsFromIt)
{
    ShareAviFiles(true);

    CWindowRig rig(NP_FULL, 400, 300, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    std::vector<BYTE> clip = ReadFileBytes(TestDataFile("window160.avi"));
    auto stream = StartDownload(rig, clip, static_cast<DWORD>(clip.size()) + 8);
    ASSERT_TRUE(rig.Record()->m_bStreamOpen);
    SetClassLongPtrA(rig.Handle(), GCLP_HBRBACKGROUND, 0);  // a browser window that erases nothing

    rig.PlayRoutine(ID_STOP);
    CMciPlayer* pPlayer = rig.Player();
    MCIDEVICEID first = pPlayer->m_wDeviceID;
    ASSERT_NE(0u, first);
    EXPECT_EQ(CLIP_FRAMES, pPlayer->m_nLength);
    EXPECT_EQ(1u, pPlayer->m_nSyncFrame);
    EXPECT_TRUE(rig.Record()->m_bAutoStart);
    WaitUntilStill(first);
    EXPECT_EQ(0u, DevicePosition(first));
    rig.Repaint();
    EXPECT_EQ(0u, ShownFrame(rig, 120, 90)) << "the first frame, centred";

    // As if the stream side had released frames: Play restarts from the first frame.
    pPlayer->m_nSyncFrame = 40;
    CMciSpy::Reset();
    rig.Command(ID_PLAY);
    ASSERT_GE(CMciSpy::Calls().size(), 2u);
    EXPECT_EQ(static_cast<UINT>(MCI_CLOSE), CMciSpy::Calls()[0].uMsg);
    EXPECT_EQ(first, CMciSpy::Calls()[0].wDeviceID);
    EXPECT_EQ(static_cast<UINT>(MCI_OPEN), CMciSpy::Calls()[1].uMsg);
    EXPECT_EQ(1u, pPlayer->m_nSyncFrame);
    EXPECT_NE(0u, pPlayer->m_wDeviceID);
    SetClassLongPtrA(rig.Handle(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetStockObject(WHITE_BRUSH)));
}

TEST_F(WindowPlay, PlayOpensTheCompleteClipAndThePictureFollowsTheDevice)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    ASSERT_TRUE(rig.DeliverWholeClip(ReadFileBytes(TestDataFile("window160.avi"))));
    CMciSpy::Reset();
    MCIDEVICEID id = PlayTo(rig, 3);
    CMciPlayer* pPlayer = rig.Player();
    EXPECT_TRUE(pPlayer->m_bOpened);
    EXPECT_TRUE(pPlayer->m_bPlaying);
    EXPECT_FALSE(pPlayer->m_bPaused);
    ASSERT_GE(CMciSpy::CallsOf(MCI_OPEN).size(), 1u);
    EXPECT_EQ(rig.Record()->m_szTempPath, CMciSpy::CallsOf(MCI_OPEN)[0].strElement);
    ASSERT_EQ(1u, CMciSpy::CallsOf(MCI_PLAY).size());
    EXPECT_EQ(0u, CMciSpy::CallsOf(MCI_PLAY)[0].dwFlags) << "to the end of the clip";

    DWORD last = 0;
    for (int i = 0; i < 3; i++)
    {
        Sleep(200);
        DWORD before = DevicePosition(id);
        int nDiffering = 0;
        DWORD shown = m_frames.BestMatch(rig.Pixels(), 20, 15, &nDiffering);
        DWORD after = DevicePosition(id);
        EXPECT_LE(nDiffering, CLIP_WIDTH * CLIP_HEIGHT / 100) << "frame " << shown;
        EXPECT_GE(shown + 1, before);
        EXPECT_LE(shown, after);
        EXPECT_GT(shown, last) << "the picture moves on";
        last = shown;
    }
}

TEST_F(WindowPlay, PauseLeavesTheFrameAndResumeGoesOnAfterIt)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    ASSERT_TRUE(rig.DeliverWholeClip(ReadFileBytes(TestDataFile("window160.avi"))));
    MCIDEVICEID id = PlayTo(rig, 10);
    CMciSpy::Reset();
    rig.Command(ID_PAUSE);
    WaitUntilStill(id);
    EXPECT_EQ(1u, CMciSpy::CallsOf(MCI_PAUSE).size());
    EXPECT_TRUE(CMciSpy::CallsOf(MCI_UPDATE).empty()) << "Pause does not repaint";
    EXPECT_TRUE(rig.Player()->m_bPaused);
    EXPECT_FALSE(rig.Record()->m_bAutoStart);
    DWORD paused = DevicePosition(id);
    DWORD shown = ShownFrame(rig, 20, 15);
    EXPECT_TRUE(shown == paused || shown + 1 == paused) << shown << " shown at position " << paused;
    Sleep(300);
    EXPECT_EQ(paused, DevicePosition(id));
    EXPECT_EQ(shown, ShownFrame(rig, 20, 15)) << "the frame stays";

    CMciSpy::Reset();
    rig.Command(ID_PLAY);
    int seek = IndexOf(MCI_SEEK);
    ASSERT_GE(seek, 0) << "reopened at the frame after the paused one";
    EXPECT_EQ(paused + 1, CMciSpy::Calls()[seek].dwTo);
    int window = IndexOf(MCI_WINDOW, seek);
    int play = IndexOf(MCI_PLAY, seek);
    EXPECT_GT(window, seek) << "the picture is attached once the seek is over";
    EXPECT_GT(play, window);
    EXPECT_EQ(window, IndexOf(MCI_WINDOW)) << "not attached before";
    EXPECT_FALSE(rig.Player()->m_bPaused);

    id = rig.Player()->m_wDeviceID;
    ASSERT_TRUE(WaitFor([&] { return DevicePosition(id) >= paused + 4; }));
    rig.Command(ID_PAUSE);
    WaitUntilStill(id);
    EXPECT_GT(ShownFrame(rig, 20, 15), paused + 1) << "playback went on after the paused frame";
}

TEST_F(WindowPlay, StopLeavesTheFrameAndPlayStartsAgainFromTheFirstFrame)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    ASSERT_TRUE(rig.DeliverWholeClip(ReadFileBytes(TestDataFile("window160.avi"))));
    MCIDEVICEID id = PlayTo(rig, 20);
    CMciSpy::Reset();
    rig.Command(ID_STOP);
    WaitUntilStill(id);
    EXPECT_EQ(1u, CMciSpy::CallsOf(MCI_PAUSE).size()) << "Stop pauses the device";
    EXPECT_TRUE(CMciSpy::CallsOf(MCI_UPDATE).empty()) << "Stop does not repaint";
    EXPECT_FALSE(rig.Player()->m_bPaused);
    EXPECT_FALSE(rig.Record()->m_bAutoStart);
    DWORD stopped = DevicePosition(id);
    EXPECT_GE(stopped, 20u) << "no rewind";
    DWORD shown = ShownFrame(rig, 20, 15);
    EXPECT_GE(shown + 1, stopped);

    CMciSpy::Reset();
    rig.Command(ID_PLAY);
    EXPECT_EQ(-1, IndexOf(MCI_SEEK));
    ASSERT_GE(IndexOf(MCI_CLOSE), 0);
    EXPECT_GT(IndexOf(MCI_OPEN), IndexOf(MCI_CLOSE));
    EXPECT_GT(IndexOf(MCI_PLAY), IndexOf(MCI_OPEN));
    id = rig.Player()->m_wDeviceID;
    ASSERT_TRUE(WaitFor([&] { return DevicePosition(id) >= 2; }));
    rig.Command(ID_PAUSE);
    WaitUntilStill(id);
    EXPECT_LT(ShownFrame(rig, 20, 15), stopped / 2) << "played again from the first frame";
}

TEST_F(WindowPlay, StepCommandsSetTheExtensionStep)
{
    CWindowRig rig(NP_EMBED, 100, 100);
    ASSERT_TRUE(rig.IsReady());
    EXPECT_EQ(400u, rig.Record()->m_nExtendStep);
    rig.Command(ID_STEP_SHORT);
    EXPECT_EQ(200u, rig.Record()->m_nExtendStep);
    rig.Command(ID_STEP_LONG);
    EXPECT_EQ(400u, rig.Record()->m_nExtendStep);
    SendMessageA(rig.Handle(), WM_COMMAND, MAKEWPARAM(ID_STEP_SHORT, 1), 0);
    EXPECT_EQ(400u, rig.Record()->m_nExtendStep) << "only a menu-style command (code 0) counts";
}
