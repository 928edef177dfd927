// The popup menu on a real right-button press, read from a watcher thread: its
// items, texts and grayed states through the download and play states, and the
// commands chosen from it.
#include <gtest/gtest.h>

#include "MciImports.h"
#include "PluginInstance.h"
#include "TestWindows.h"
#include "WindowRig.h"

namespace {
const DWORD START_BYTES = 10000;  // threshold of a stream whose placed block is empty

class WindowMenu : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error(); }

    // A download in progress whose stream has delivered nReceived bytes (header included),
    // in a first chunk of at most 5008 bytes and one more chunk.
    std::unique_ptr<CClipStream> StartDownload(CWindowRig& rig, DWORD nReceived)
    {
        std::unique_ptr<CClipStream> stream(new CClipStream(rig.Instance().Npp(), "http://host/clip.avs", 1000000));
        EXPECT_EQ(NPERR_NO_ERROR, stream->OpenResult());
        std::vector<BYTE> first = MakeStreamHeader(0, 0);
        DWORD nFirst = std::min<DWORD>(nReceived, 5008);
        first.resize(nFirst, 0x5A);
        EXPECT_TRUE(stream->Write(first));
        if (nReceived > nFirst)
        {
            EXPECT_TRUE(stream->Write(std::vector<BYTE>(nReceived - nFirst, 0x5A)));
        }
        EXPECT_EQ(nReceived, rig.Player()->m_nBytesReceived);
        EXPECT_EQ(START_BYTES, rig.Player()->m_nStartBytes);
        return stream;
    }
    static void Receive(CClipStream& stream, DWORD nBytes)
    {
        EXPECT_TRUE(stream.Write(std::vector<BYTE>(nBytes, 0x5A)));
    }

    // Opens the menu and reports the first item's text and the three grayed states.
    struct CStates
    {
        std::string strPlay;
        bool bPlayGrayed, bStopGrayed, bPauseGrayed;
    };
    static CStates MenuStates(CWindowRig& rig, UINT nPick = 0)
    {
        std::vector<CMenuItem> items = OpenMenu(rig.Handle(), nPick);
        CStates states = {"(no menu)", false, false, false};
        if (items.size() != 5)
            return states;
        states.strPlay = items[0].strText;
        states.bPlayGrayed = items[0].bGrayed;
        states.bStopGrayed = items[1].bGrayed;
        states.bPauseGrayed = items[2].bGrayed;
        EXPECT_EQ(items[1].bGrayed, items[2].bGrayed) << "Stop and Pause go together";
        EXPECT_FALSE(items[3].bGrayed) << "Go is always enabled";
        EXPECT_FALSE(items[4].bGrayed) << "About is always enabled";
        return states;
    }
    static void ExpectStates(const CStates& states, const char* pszPlay, bool bPlayGrayed, bool bStopGrayed)
    {
        EXPECT_EQ(pszPlay, states.strPlay);
        EXPECT_EQ(bPlayGrayed, states.bPlayGrayed);
        EXPECT_EQ(bStopGrayed, states.bStopGrayed);
        EXPECT_EQ(bStopGrayed, states.bPauseGrayed);
    }
};
}  // namespace

TEST_F(WindowMenu, RightButtonReachesTheBrowserAndOpensFiveItemsAtThePoint)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    rig.Area().ClearMessages();
    CMenuWatcher watcher(0);
    SendMessageA(rig.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 40));
    watcher.Join();
    ASSERT_TRUE(watcher.Found());
    EXPECT_EQ(1, rig.Area().CountOf(WM_RBUTTONDOWN)) << "the browser sees the press";

    const std::vector<CMenuItem>& items = watcher.Items();
    ASSERT_EQ(5u, items.size());
    const UINT ids[] = {1000, 1001, 1018, 1010, 1007};
    const char* texts[] = {"&Play...", "&Stop...", "P&ause...", "Go ZEV!", "&About"};
    for (size_t i = 0; i < 5; i++)
    {
        EXPECT_EQ(ids[i], items[i].nID) << i;
        EXPECT_EQ(texts[i], items[i].strText) << i;
        EXPECT_FALSE(items[i].bSeparator) << i;
    }
    POINT pt = {30, 40};
    ClientToScreen(rig.Handle(), &pt);
    EXPECT_EQ(pt.x, watcher.MenuRect().left) << "left-aligned at the press";
    EXPECT_EQ(pt.y, watcher.MenuRect().top);
}

TEST_F(WindowMenu, DownloadWithAutoStartOffersStopAndPauseUntilOneIsChosen)
{
    CWindowRig rig(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady());
    auto stream = StartDownload(rig, 12000);
    rig.Record()->m_bAutoStart = TRUE;
    ExpectStates(MenuStates(rig), "&Play...", true, false);

    MenuStates(rig, ID_STOP);
    EXPECT_FALSE(rig.Record()->m_bAutoStart);
    EXPECT_FALSE(rig.Player()->m_bPaused);
    ExpectStates(MenuStates(rig), "&Play...", false, true);
}

TEST_F(WindowMenu, DownloadPausedOffersResumeOnceMoreThanTheThresholdArrived)
{
    CWindowRig rig(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady());
    auto stream = StartDownload(rig, START_BYTES);
    ASSERT_TRUE(rig.Record()->m_bAutoStart);
    ExpectStates(MenuStates(rig, ID_PAUSE), "&Play...", true, false);
    EXPECT_FALSE(rig.Record()->m_bAutoStart);
    EXPECT_TRUE(rig.Player()->m_bPaused);

    // Exactly the threshold is not enough.
    ExpectStates(MenuStates(rig), "&Play...", true, true);
    Receive(*stream, 1);
    ExpectStates(MenuStates(rig), "&Resume...", false, true);
}

TEST_F(WindowMenu, DownloadWithAutoStartOffNeedsStrictlyMoreThanTheThreshold)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    auto stream = StartDownload(rig, 4000);
    ExpectStates(MenuStates(rig), "&Play...", true, true);
    Receive(*stream, START_BYTES - 4000);
    ExpectStates(MenuStates(rig), "&Play...", true, true);
    Receive(*stream, 1);
    ExpectStates(MenuStates(rig), "&Play...", false, true);
    EXPECT_TRUE(CMciSpy::CallsOf(MCI_STATUS).empty()) << "during a download the device is not asked";
}

TEST_F(WindowMenu, CompleteClipFollowsTheDeviceThroughPlayPauseResumeAndStop)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    ASSERT_TRUE(rig.DeliverWholeClip(ReadFileBytes(TestDataFile("window160.avi"))));
    ExpectStates(MenuStates(rig), "&Play...", false, true);

    MenuStates(rig, ID_PLAY);
    CMciPlayer* pPlayer = rig.Player();
    ASSERT_EQ(static_cast<DWORD>(MCI_MODE_PLAY), DeviceMode(pPlayer->m_wDeviceID));
    ExpectStates(MenuStates(rig), "&Play...", true, false);
    EXPECT_TRUE(pPlayer->m_bPlaying);

    MenuStates(rig, ID_PAUSE);
    EXPECT_TRUE(pPlayer->m_bPaused);
    EXPECT_NE(static_cast<DWORD>(MCI_MODE_PLAY), DeviceMode(pPlayer->m_wDeviceID));
    ExpectStates(MenuStates(rig), "&Resume...", false, true);

    MenuStates(rig, ID_PLAY);
    EXPECT_FALSE(pPlayer->m_bPaused);
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_PLAY), DeviceMode(pPlayer->m_wDeviceID));
    MenuStates(rig, ID_STOP);
    EXPECT_FALSE(pPlayer->m_bPaused);
    ExpectStates(MenuStates(rig), "&Play...", false, true);
}

TEST_F(WindowMenu, FinishedClipCountsAsPlayingUntilTheMenuAsksTheDevice)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    ASSERT_TRUE(rig.DeliverWholeClip(ReadFileBytes(TestDataFile("window160.avi"))));
    rig.Command(ID_PLAY);
    CMciPlayer* pPlayer = rig.Player();
    MCIDEVICEID id = pPlayer->m_wDeviceID;
    // Jump near the end behind the player's back and let the clip run out.
    MCI_PLAY_PARMS play = {};
    play.dwFrom = CLIP_FRAMES - 4;
    ASSERT_EQ(0u, CMciSpy::Real(id, MCI_PLAY, MCI_FROM, reinterpret_cast<DWORD_PTR>(&play)));
    ASSERT_TRUE(WaitFor([&] { return DeviceMode(id) != MCI_MODE_PLAY; }));
    EXPECT_TRUE(pPlayer->m_bPlaying);

    ExpectStates(MenuStates(rig), "&Play...", false, true);
    EXPECT_FALSE(pPlayer->m_bPlaying);
}

TEST_F(WindowMenu, AGrayedItemCannotBeChosen)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    ASSERT_TRUE(rig.DeliverWholeClip(ReadFileBytes(TestDataFile("window160.avi"))));
    CMciSpy::Reset();
    ExpectStates(MenuStates(rig, ID_PAUSE), "&Play...", false, true);
    EXPECT_TRUE(CMciSpy::CallsOf(MCI_PAUSE).empty());
    EXPECT_FALSE(rig.Player()->m_bPaused);
}

// The window class linked into this program, before it has an instance: the
// press goes on to the previous procedure and no menu appears.
TEST(WindowMenuWithoutInstance, PressGoesToThePreviousProcedureOnly)
{
    HWND hHost = CreateTestHost(120, 90);
    CBrowserWindow area(hHost, 120, 90);
    CPluginWindow window;
    ASSERT_TRUE(window.SubclassWindow(area.Handle()));
    CMenuWatcher watcher(0, 500);
    SendMessageA(area.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    watcher.Join();
    EXPECT_FALSE(watcher.Found());
    EXPECT_EQ(1, area.CountOf(WM_RBUTTONDOWN));
    window.RestoreWindowProc();
    window.Detach();
    area.Destroy();
    DestroyWindow(hHost);
}
