// CMciPlayer on Wine's real MCI AVI device with a 60-frame 320x240 clip; the
// program's own mciSendCommandA import is spied on, and made to fail on purpose.
#include <gtest/gtest.h>

#include <memory>

#include "MciPlayer.h"
#include "MciImports.h"
#include "stream_placement.h"
#include "TestWindows.h"
#include "Wnd.h"

namespace {
const DWORD CLIP_FRAMES = 60;
const LONG CLIP_WIDTH = 320;
const LONG CLIP_HEIGHT = 240;

HWND DeviceWindow(MCIDEVICEID id)
{
    return reinterpret_cast<HWND>(DeviceStatus(id, MCI_DGV_STATUS_HWND));
}
bool WaitUntilStill(MCIDEVICEID id)
{
    return WaitFor([&] {
        DWORD mode = DeviceMode(id);
        return mode != MCI_MODE_PLAY && mode != MCI_MODE_SEEK;
    });
}

class MciPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.Attach(CreateTestHost()));
        MakeWindows(200, 100);
        m_clip = TestDataPath("clip320.avi");
    }
    void TearDown() override
    {
        m_player.reset();
        m_side.reset();
        m_owner.reset();
        ::DestroyWindow(m_host.Detach());
    }

    // Owner (the picture's window) of the given size, with a hidden side window in it.
    void MakeWindows(int nWidth, int nHeight)
    {
        m_player.reset(new CMciPlayer);
        m_side.reset(new CWnd);
        m_owner.reset(new CWnd);
        RECT rc = {10, 10, 10 + nWidth, 10 + nHeight};
        ASSERT_TRUE(m_owner->Create(TEST_WINDOW_CLASS, "", WS_CHILD | WS_VISIBLE, rc, &m_host, 1));
        RECT none = {-1, -1, -1, -1};
        ASSERT_TRUE(m_side->Create("STATIC", "SIDEWINDOW", WS_CHILD, none, m_owner.get(), 0));
    }
    void OpenClip(DWORD dwStart = 0)
    {
        ASSERT_TRUE(m_player->Open(m_owner.get(), m_side.get(), m_clip.c_str(), dwStart));
        ASSERT_TRUE(WaitUntilStill(m_player->m_wDeviceID));
        CMciSpy::Reset();
    }

    CWnd m_host;
    std::unique_ptr<CWnd> m_owner;
    std::unique_ptr<CWnd> m_side;
    std::unique_ptr<CMciPlayer> m_player;  // declared last: closed before the windows go
    std::string m_clip;
};

TEST_F(MciPlayerTest, NewPlayerStartsClosedAndQueriesAskNothing)
{
    CMciPlayer& p = *m_player;
    EXPECT_FALSE(p.m_bOpened);
    EXPECT_FALSE(p.m_bPlaying);
    EXPECT_EQ(p.m_hVideoWnd, nullptr);
    EXPECT_EQ(p.m_nSyncFrame, 0u);
    EXPECT_EQ(p.m_nBytesReceived, 0u);
    EXPECT_EQ(p.m_nLength, 0u);
    EXPECT_TRUE(p.m_bNoSaveOffer);
    EXPECT_EQ(p.m_wDeviceID, 0u);
    EXPECT_FALSE(p.m_bPaused);
    EXPECT_EQ(p.m_nStartBytes, avs::kUnknownStartBytes);
    EXPECT_EQ(p.m_dwLastError, 0u);
    EXPECT_TRUE(p.m_strFile.empty());

    EXPECT_EQ(p.GetLength(), 0u);
    EXPECT_EQ(p.GetPosition(), 0u);
    EXPECT_EQ(p.GetMode(), 0u);
    p.Update();
    EXPECT_FALSE(p.AttachWindow());
    EXPECT_TRUE(CMciSpy::Calls().empty());
}

TEST_F(MciPlayerTest, CommandsWithoutDeviceFailAtTheDeviceAndRecordItsError)
{
    CMciPlayer& p = *m_player;
    EXPECT_FALSE(p.Play());
    EXPECT_FALSE(p.m_bPlaying);
    EXPECT_EQ(p.m_dwLastError, static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID));
    ASSERT_EQ(CMciSpy::CallsOf(MCI_PLAY).size(), 1u);
    EXPECT_EQ(CMciSpy::CallsOf(MCI_PLAY)[0].wDeviceID, 0u);

    p.m_dwLastError = 0;
    EXPECT_FALSE(p.CenterVideo());
    EXPECT_EQ(p.m_dwLastError, 0u) << "a failed MCI_WHERE is not recorded";
    EXPECT_TRUE(CMciSpy::CallsOf(MCI_PUT).empty());
}

TEST_F(MciPlayerTest, OpenAtFrameZeroSendsTheOpenBlockAndPutsThePictureIntoTheOwner)
{
    CMciPlayer& p = *m_player;
    ASSERT_TRUE(p.Open(m_owner.get(), m_side.get(), m_clip.c_str(), 0));

    auto& calls = CMciSpy::Calls();
    ASSERT_EQ(calls.size(), 2u);
    const CMciCall& open = calls[0];
    EXPECT_EQ(open.uMsg, static_cast<UINT>(MCI_OPEN));
    EXPECT_EQ(open.wDeviceID, 0u);
    EXPECT_EQ(open.dwFlags,
              static_cast<DWORD>(MCI_OPEN_ELEMENT | MCI_DGV_OPEN_WS | MCI_DGV_OPEN_PARENT | MCI_DGV_OPEN_32BIT));
    EXPECT_TRUE(open.bDeviceTypeNull);
    EXPECT_EQ(open.strElement, m_clip);
    EXPECT_EQ(open.strAlias, "AVIPlugIn");
    EXPECT_EQ(open.dwStyle, static_cast<DWORD>(WS_CHILD));
    EXPECT_EQ(open.hWnd, m_side->GetSafeHwnd());
    const CMciCall& window = calls[1];
    EXPECT_EQ(window.uMsg, static_cast<UINT>(MCI_WINDOW));
    EXPECT_EQ(window.wDeviceID, open.wOpenedID);
    EXPECT_EQ(window.dwFlags, static_cast<DWORD>(MCI_DGV_WINDOW_HWND));
    EXPECT_EQ(window.hWnd, m_owner->GetSafeHwnd());

    EXPECT_TRUE(p.m_bOpened);
    EXPECT_EQ(p.m_wDeviceID, open.wOpenedID);
    EXPECT_EQ(p.m_strFile, m_clip);
    EXPECT_EQ(p.m_pOwnerWnd, m_owner.get());
    EXPECT_EQ(p.m_pParentWnd, m_side.get());
    EXPECT_EQ(p.m_hVideoWnd, m_owner->GetSafeHwnd());
    EXPECT_EQ(DeviceWindow(p.m_wDeviceID), m_owner->GetSafeHwnd());
    EXPECT_EQ(p.GetLength(), CLIP_FRAMES);
    EXPECT_EQ(p.GetPosition(), 0u);
}

TEST_F(MciPlayerTest, OpenAtLaterFrameSeeksAndLeavesThePictureDetachedUntilAttachWindow)
{
    CMciPlayer& p = *m_player;
    ASSERT_TRUE(p.Open(m_owner.get(), m_side.get(), m_clip.c_str(), 25));
    ASSERT_EQ(CMciSpy::Calls().size(), 2u);
    const CMciCall& seek = CMciSpy::Calls()[1];
    EXPECT_EQ(seek.uMsg, static_cast<UINT>(MCI_SEEK));
    EXPECT_EQ(seek.dwFlags, static_cast<DWORD>(MCI_TO));
    EXPECT_EQ(seek.dwTo, 25u);
    EXPECT_TRUE(CMciSpy::CallsOf(MCI_WINDOW).empty());
    EXPECT_TRUE(p.m_bOpened);
    EXPECT_EQ(p.m_hVideoWnd, m_owner->GetSafeHwnd());

    ASSERT_TRUE(WaitUntilStill(p.m_wDeviceID));
    EXPECT_EQ(p.GetPosition(), 25u);
    HWND hDefault = DeviceWindow(p.m_wDeviceID);
    EXPECT_NE(hDefault, m_owner->GetSafeHwnd());
    EXPECT_EQ(GetParent(hDefault), m_side->GetSafeHwnd());
    EXPECT_FALSE(IsWindowVisible(hDefault));

    EXPECT_TRUE(p.AttachWindow());
    EXPECT_EQ(DeviceWindow(p.m_wDeviceID), m_owner->GetSafeHwnd());
}

TEST_F(MciPlayerTest, OpenClosesTheDeviceAlreadyOpen)
{
    CMciPlayer& p = *m_player;
    OpenClip();
    MCIDEVICEID first = p.m_wDeviceID;
    ASSERT_TRUE(p.Open(m_owner.get(), m_side.get(), p.m_strFile.c_str(), 0));
    auto& calls = CMciSpy::Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].uMsg, static_cast<UINT>(MCI_CLOSE));
    EXPECT_EQ(calls[0].wDeviceID, first);
    EXPECT_EQ(calls[1].uMsg, static_cast<UINT>(MCI_OPEN));
    EXPECT_EQ(calls[1].strElement, m_clip) << "reopening by the player's own file name";
    EXPECT_TRUE(p.m_bOpened);
    EXPECT_EQ(p.GetLength(), CLIP_FRAMES);
}

TEST_F(MciPlayerTest, OpenOfMissingFileFailsAndLeavesThePlayerClosed)
{
    CMciPlayer& p = *m_player;
    std::string missing = TestDataPath("no-such-clip.avi");
    EXPECT_FALSE(p.Open(m_owner.get(), m_side.get(), missing.c_str(), 0));
    EXPECT_EQ(p.m_dwLastError, static_cast<MCIERROR>(MCIERR_FILE_NOT_FOUND));
    EXPECT_FALSE(p.m_bOpened);
    EXPECT_EQ(p.m_wDeviceID, 0u);
    EXPECT_TRUE(p.m_strFile.empty());
    EXPECT_EQ(p.m_pOwnerWnd, nullptr);
    EXPECT_EQ(p.m_hVideoWnd, nullptr);
    EXPECT_EQ(p.m_pParentWnd, m_side.get()) << "the parent is kept even when the open fails";
    EXPECT_EQ(CMciSpy::Calls().size(), 1u);
}

TEST_F(MciPlayerTest, FailedAttachAtOpenLeavesTheDeviceOpenForClose)
{
    CMciPlayer& p = *m_player;
    CMciSpy::Fail(MCI_WINDOW, MCIERR_UNSUPPORTED_FUNCTION);
    EXPECT_FALSE(p.Open(m_owner.get(), m_side.get(), m_clip.c_str(), 0));
    EXPECT_EQ(p.m_dwLastError, static_cast<MCIERROR>(MCIERR_UNSUPPORTED_FUNCTION));
    EXPECT_FALSE(p.m_bOpened);
    EXPECT_EQ(p.m_hVideoWnd, nullptr);
    MCIDEVICEID id = p.m_wDeviceID;
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(DeviceAlive(id));

    p.Close();
    ASSERT_EQ(CMciSpy::CallsOf(MCI_CLOSE).size(), 1u);
    EXPECT_EQ(CMciSpy::CallsOf(MCI_CLOSE)[0].wDeviceID, id);
    EXPECT_FALSE(DeviceAlive(id));
}

struct CCentring
{
    int nWindowWidth, nWindowHeight;  // owner window
    LONG nLeft, nTop;                 // expected picture origin
};

class MciCentringTest : public MciPlayerTest, public ::testing::WithParamInterface<CCentring>
{};

TEST_P(MciCentringTest, PictureKeepsItsSizeAndIsCentredInTheWindow)
{
    const CCentring& c = GetParam();
    MakeWindows(c.nWindowWidth, c.nWindowHeight);
    OpenClip();
    RECT dest = {};
    ASSERT_TRUE(m_player->CenterVideo(&dest));
    EXPECT_EQ(dest.left, c.nLeft);
    EXPECT_EQ(dest.top, c.nTop);
    EXPECT_EQ(dest.right, CLIP_WIDTH);
    EXPECT_EQ(dest.bottom, CLIP_HEIGHT);

    ASSERT_EQ(CMciSpy::Calls().size(), 2u);
    EXPECT_EQ(CMciSpy::Calls()[0].uMsg, static_cast<UINT>(MCI_WHERE));
    EXPECT_EQ(CMciSpy::Calls()[0].dwFlags, static_cast<DWORD>(MCI_DGV_WHERE_SOURCE));
    const CMciCall& put = CMciSpy::Calls()[1];
    EXPECT_EQ(put.uMsg, static_cast<UINT>(MCI_PUT));
    EXPECT_EQ(put.dwFlags, static_cast<DWORD>(MCI_DGV_PUT_DESTINATION | MCI_DGV_RECT));
    EXPECT_TRUE(EqualRect(&put.rc, &dest));

    MCI_DGV_RECT_PARMS where = {};
    ASSERT_EQ(
        CMciSpy::Real(m_player->m_wDeviceID, MCI_WHERE, MCI_DGV_WHERE_DESTINATION, reinterpret_cast<DWORD_PTR>(&where)),
        0u);
    EXPECT_TRUE(EqualRect(&where.rc, &dest)) << "the device took the destination";

    CMciSpy::Reset();
    EXPECT_TRUE(m_player->CenterVideo());
    ASSERT_EQ(CMciSpy::CallsOf(MCI_PUT).size(), 1u);
    EXPECT_TRUE(EqualRect(&CMciSpy::CallsOf(MCI_PUT)[0].rc, &dest));
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, MciCentringTest,
                         ::testing::Values(CCentring{200, 100, -60, -70}, CCentring{201, 101, -59, -69},
                                           CCentring{321, 241, 0, 0}, CCentring{400, 300, 40, 30}));

TEST_F(MciPlayerTest, UpdateDrawsTheCurrentFrameCentredIntoTheOwnerWindow)
{
    HBITMAP hFrame = static_cast<HBITMAP>(LoadImageA(NULL, TestDataPath("clip320-frame0.bmp").c_str(), IMAGE_BITMAP, 0,
                                                     0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(hFrame, nullptr);
    HDC hFrameDC = CreateCompatibleDC(NULL);
    HGDIOBJ hOld = SelectObject(hFrameDC, hFrame);

    OpenClip();
    ASSERT_TRUE(m_player->CenterVideo());
    HWND hOwner = m_owner->GetSafeHwnd();
    HDC hdc = GetDC(hOwner);
    PatBlt(hdc, 0, 0, 200, 100, BLACKNESS);
    m_player->Update();

    ASSERT_EQ(CMciSpy::CallsOf(MCI_UPDATE).size(), 1u);
    const CMciCall& update = CMciSpy::CallsOf(MCI_UPDATE)[0];
    EXPECT_EQ(update.dwFlags, static_cast<DWORD>(MCI_DGV_UPDATE_HDC));
    EXPECT_NE(update.hDC, nullptr);
    int nDiffering = 0, nColoured = 0;
    for (int y = 2; y < 100; y += 12)
        for (int x = 3; x < 200; x += 14)
        {
            COLORREF shown = GetPixel(hdc, x, y);
            nDiffering += shown != GetPixel(hFrameDC, x + 60, y + 70);
            nColoured += shown != RGB(0, 0, 0);
        }
    EXPECT_EQ(nDiffering, 0);
    EXPECT_GT(nColoured, 50);
    ReleaseDC(hOwner, hdc);
    SelectObject(hFrameDC, hOld);
    DeleteDC(hFrameDC);
    DeleteObject(hFrame);
}

TEST_F(MciPlayerTest, PlayRunsOnAndPauseAndStopHoldTheFrameWithoutRewinding)
{
    CMciPlayer& p = *m_player;
    OpenClip();
    MCIDEVICEID id = p.m_wDeviceID;
    ASSERT_TRUE(p.Play());
    EXPECT_TRUE(p.m_bPlaying);
    ASSERT_EQ(CMciSpy::CallsOf(MCI_PLAY).size(), 1u);
    EXPECT_EQ(CMciSpy::CallsOf(MCI_PLAY)[0].dwFlags, 0u);
    ASSERT_TRUE(WaitFor([&] { return DevicePosition(id) >= 3; }));
    EXPECT_EQ(p.GetMode(), static_cast<DWORD>(MCI_MODE_PLAY));

    for (bool bStop : {false, true})
    {
        SCOPED_TRACE(bStop ? "Stop" : "Pause");
        CMciSpy::Reset();
        ASSERT_TRUE(bStop ? p.Stop() : p.Pause());
        EXPECT_FALSE(p.m_bPlaying);
        ASSERT_EQ(CMciSpy::Calls().size(), 1u);
        EXPECT_EQ(CMciSpy::Calls()[0].uMsg, static_cast<UINT>(MCI_PAUSE));
        EXPECT_EQ(CMciSpy::Calls()[0].dwFlags, 0u);
        EXPECT_FALSE(CMciSpy::Calls()[0].bHasParams);
        EXPECT_EQ(p.GetMode(), static_cast<DWORD>(MCI_MODE_PAUSE));
        DWORD dwHeld = p.GetPosition();
        EXPECT_GT(dwHeld, 0u) << "no rewind";
        Sleep(300);
        EXPECT_EQ(p.GetPosition(), dwHeld);
        EXPECT_TRUE(p.m_bOpened);

        ASSERT_TRUE(p.Play());
        ASSERT_TRUE(WaitFor([&] { return DevicePosition(id) > dwHeld; })) << "play goes on from the held frame";
    }
}

TEST_F(MciPlayerTest, PlayRangeAndPlayToStopAtTheirLastFrame)
{
    CMciPlayer& p = *m_player;
    OpenClip();
    ASSERT_TRUE(p.PlayRange(0, 10));
    const CMciCall range = CMciSpy::CallsOf(MCI_PLAY).at(0);
    EXPECT_EQ(range.dwFlags, static_cast<DWORD>(MCI_FROM | MCI_TO));
    EXPECT_EQ(range.dwFrom, 0u);
    EXPECT_EQ(range.dwTo, 10u);
    ASSERT_TRUE(WaitUntilStill(p.m_wDeviceID));
    EXPECT_EQ(p.GetPosition(), 10u);
    EXPECT_TRUE(p.m_bPlaying) << "reaching the end does not clear the playing flag";

    CMciSpy::Reset();
    ASSERT_TRUE(p.PlayTo(20));
    const CMciCall to = CMciSpy::CallsOf(MCI_PLAY).at(0);
    EXPECT_EQ(to.dwFlags, static_cast<DWORD>(MCI_TO));
    EXPECT_EQ(to.dwTo, 20u);
    ASSERT_TRUE(WaitUntilStill(p.m_wDeviceID));
    EXPECT_EQ(p.GetPosition(), 20u);
}

TEST_F(MciPlayerTest, SeekAnswersTheFrameOrAllOnesAndRecordsTheError)
{
    CMciPlayer& p = *m_player;
    OpenClip();
    EXPECT_EQ(p.Seek(30), 30u);
    ASSERT_TRUE(WaitUntilStill(p.m_wDeviceID));
    EXPECT_EQ(p.GetPosition(), 30u);

    EXPECT_EQ(p.Seek(CLIP_FRAMES + 100), 0xFFFFFFFFu);
    EXPECT_EQ(p.m_dwLastError, static_cast<MCIERROR>(MCIERR_OUTOFRANGE));
    EXPECT_TRUE(DeviceAlive(p.m_wDeviceID));
    EXPECT_EQ(p.Seek(5), 5u);
    EXPECT_EQ(p.m_dwLastError, static_cast<MCIERROR>(MCIERR_OUTOFRANGE)) << "success never clears the error";
}

TEST_F(MciPlayerTest, CloseReleasesTheDeviceAndKeepsParentVideoWindowAndCounters)
{
    CMciPlayer& p = *m_player;
    OpenClip();
    ASSERT_TRUE(p.Play());
    p.m_nSyncFrame = 7;
    p.m_nBytesReceived = 1234;
    p.m_nLength = 60;
    p.m_bPaused = TRUE;
    p.m_nStartBytes = 15000;
    p.m_bNoSaveOffer = FALSE;
    MCIDEVICEID id = p.m_wDeviceID;
    CMciSpy::Reset();

    p.Close();
    ASSERT_EQ(CMciSpy::Calls().size(), 1u);
    EXPECT_EQ(CMciSpy::Calls()[0].uMsg, static_cast<UINT>(MCI_CLOSE));
    EXPECT_EQ(CMciSpy::Calls()[0].wDeviceID, id);
    EXPECT_EQ(CMciSpy::Calls()[0].dwFlags, 0u);
    EXPECT_FALSE(CMciSpy::Calls()[0].bHasParams);
    EXPECT_FALSE(DeviceAlive(id));
    EXPECT_EQ(p.m_wDeviceID, 0u);
    EXPECT_FALSE(p.m_bPlaying);
    EXPECT_FALSE(p.m_bOpened);
    EXPECT_TRUE(p.m_strFile.empty());
    EXPECT_EQ(p.m_pOwnerWnd, nullptr);
    EXPECT_EQ(p.m_pParentWnd, m_side.get());
    EXPECT_EQ(p.m_hVideoWnd, m_owner->GetSafeHwnd());
    EXPECT_EQ(p.m_nSyncFrame, 7u);
    EXPECT_EQ(p.m_nBytesReceived, 1234u);
    EXPECT_EQ(p.m_nLength, 60u);
    EXPECT_TRUE(p.m_bPaused);
    EXPECT_EQ(p.m_nStartBytes, 15000u);
    EXPECT_FALSE(p.m_bNoSaveOffer);

    p.Close();
    EXPECT_EQ(CMciSpy::Calls().size(), 1u) << "nothing more to close";
    EXPECT_FALSE(p.AttachWindow());
}

TEST_F(MciPlayerTest, ReopenOpensTheSameClipAgainOnlyWhenOneWasOpened)
{
    CMciPlayer& p = *m_player;
    EXPECT_FALSE(p.Reopen(0));
    EXPECT_TRUE(CMciSpy::Calls().empty());

    OpenClip();
    MCIDEVICEID first = p.m_wDeviceID;
    ASSERT_TRUE(p.Reopen(0));
    std::vector<UINT> order;
    for (const CMciCall& call : CMciSpy::Calls())
        order.push_back(call.uMsg);
    EXPECT_EQ(order, (std::vector<UINT>{MCI_CLOSE, MCI_OPEN, MCI_WINDOW, MCI_WHERE, MCI_PUT}));
    EXPECT_EQ(CMciSpy::Calls()[0].wDeviceID, first);
    EXPECT_EQ(CMciSpy::Calls()[1].strElement, m_clip);
    EXPECT_EQ(CMciSpy::Calls()[1].hWnd, m_side->GetSafeHwnd());
    EXPECT_EQ(DeviceWindow(p.m_wDeviceID), m_owner->GetSafeHwnd());
    EXPECT_EQ(CMciSpy::Calls()[4].rc.left, -60);

    ASSERT_TRUE(p.Reopen(20));
    ASSERT_TRUE(WaitUntilStill(p.m_wDeviceID));
    EXPECT_EQ(p.GetPosition(), 20u);
    EXPECT_NE(DeviceWindow(p.m_wDeviceID), m_owner->GetSafeHwnd()) << "reopened detached";
    EXPECT_TRUE(p.AttachWindow());
    EXPECT_EQ(DeviceWindow(p.m_wDeviceID), m_owner->GetSafeHwnd());
}

TEST_F(MciPlayerTest, FailedPositionOrLengthQueryClosesTheDeviceButKeepsTheOpenedFlag)
{
    CMciPlayer& p = *m_player;
    for (DWORD dwItem : {static_cast<DWORD>(MCI_STATUS_POSITION), static_cast<DWORD>(MCI_STATUS_LENGTH)})
    {
        SCOPED_TRACE(dwItem);
        OpenClip();
        MCIDEVICEID id = p.m_wDeviceID;
        CMciSpy::Fail(MCI_STATUS, MCIERR_HARDWARE, dwItem);
        EXPECT_EQ(dwItem == MCI_STATUS_POSITION ? p.GetPosition() : p.GetLength(), 0u);
        EXPECT_EQ(p.m_dwLastError, static_cast<MCIERROR>(MCIERR_HARDWARE));
        ASSERT_EQ(CMciSpy::CallsOf(MCI_CLOSE).size(), 1u);
        EXPECT_EQ(CMciSpy::CallsOf(MCI_CLOSE)[0].wDeviceID, id);
        EXPECT_FALSE(DeviceAlive(id));
        EXPECT_EQ(p.m_wDeviceID, 0u);
        EXPECT_TRUE(p.m_bOpened);
        EXPECT_EQ(p.GetPosition(), 0u);

        CMciSpy::Reset();
        ASSERT_TRUE(p.Reopen(0));
        EXPECT_TRUE(CMciSpy::CallsOf(MCI_CLOSE).empty()) << "nothing further to close";
        ASSERT_EQ(CMciSpy::CallsOf(MCI_OPEN).size(), 1u);
        EXPECT_EQ(CMciSpy::CallsOf(MCI_OPEN)[0].strElement, m_clip);
        EXPECT_EQ(DeviceWindow(p.m_wDeviceID), m_owner->GetSafeHwnd());
        EXPECT_EQ(p.GetLength(), CLIP_FRAMES);
        p.Close();
    }
}

TEST_F(MciPlayerTest, FailedPauseOrStopClosesTheDevice)
{
    CMciPlayer& p = *m_player;
    for (bool bStop : {false, true})
    {
        SCOPED_TRACE(bStop ? "Stop" : "Pause");
        OpenClip();
        ASSERT_TRUE(p.Play());
        MCIDEVICEID id = p.m_wDeviceID;
        CMciSpy::Fail(MCI_PAUSE, MCIERR_HARDWARE);
        EXPECT_FALSE(bStop ? p.Stop() : p.Pause());
        EXPECT_EQ(p.m_dwLastError, static_cast<MCIERROR>(MCIERR_HARDWARE));
        EXPECT_FALSE(p.m_bPlaying);
        EXPECT_FALSE(p.m_bOpened);
        EXPECT_EQ(p.m_wDeviceID, 0u);
        ASSERT_EQ(CMciSpy::CallsOf(MCI_CLOSE).size(), 1u);
        EXPECT_EQ(CMciSpy::CallsOf(MCI_CLOSE)[0].wDeviceID, id);
        EXPECT_FALSE(DeviceAlive(id));
        CMciSpy::Reset();
        EXPECT_FALSE(p.Reopen(0)) << "nothing to reopen once the open flag is gone";
    }
}

TEST_F(MciPlayerTest, FailedModeQueryAnswersNotReadyAndKeepsTheDevice)
{
    CMciPlayer& p = *m_player;
    OpenClip();
    EXPECT_EQ(p.GetMode(), static_cast<DWORD>(MCI_MODE_STOP));
    CMciSpy::Fail(MCI_STATUS, MCIERR_HARDWARE, MCI_STATUS_MODE);
    EXPECT_EQ(p.GetMode(), static_cast<DWORD>(MCI_MODE_NOT_READY));
    EXPECT_EQ(p.m_dwLastError, 0u);
    EXPECT_TRUE(CMciSpy::CallsOf(MCI_CLOSE).empty());
    EXPECT_NE(p.m_wDeviceID, 0u);
    EXPECT_TRUE(DeviceAlive(p.m_wDeviceID));
    EXPECT_TRUE(p.m_bOpened);
}

TEST_F(MciPlayerTest, WhereUpdatePutAndRealizeFailuresAreNotRecorded)
{
    CMciPlayer& p = *m_player;
    OpenClip();
    CMciSpy::Fail(MCI_PUT, MCIERR_HARDWARE);
    CMciSpy::Fail(MCI_UPDATE, MCIERR_HARDWARE);
    CMciSpy::Fail(MCI_REALIZE, MCIERR_UNSUPPORTED_FUNCTION);
    EXPECT_TRUE(p.CenterVideo()) << "the result of MCI_PUT is not looked at";
    p.Update();
    EXPECT_EQ(p.Realize(), static_cast<MCIERROR>(MCIERR_UNSUPPORTED_FUNCTION));
    const CMciCall realize = CMciSpy::CallsOf(MCI_REALIZE).at(0);
    EXPECT_EQ(realize.dwFlags, static_cast<DWORD>(MCI_DGV_REALIZE_BKGD));
    EXPECT_FALSE(realize.bHasParams);

    CMciSpy::Fail(MCI_WHERE, MCIERR_HARDWARE);
    CMciSpy::Calls().clear();
    EXPECT_FALSE(p.CenterVideo());
    EXPECT_TRUE(CMciSpy::CallsOf(MCI_PUT).empty());
    EXPECT_EQ(p.m_dwLastError, 0u);
    EXPECT_TRUE(p.m_bOpened);
}

TEST_F(MciPlayerTest, TwoPlayersKeepTheirOwnDevices)
{
    OpenClip();
    CWnd otherOwner;
    RECT rc = {300, 10, 500, 110};
    ASSERT_TRUE(otherOwner.Create(TEST_WINDOW_CLASS, "", WS_CHILD | WS_VISIBLE, rc, &m_host, 2));
    // Each instance plays its own temporary file.
    char szTemp[MAX_PATH], szCopy[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    ASSERT_NE(GetTempFileNameA(szTemp, "MCI", 0, szCopy), 0u);
    std::string copy = std::string(szCopy, strlen(szCopy) - 3) + "avi";
    DeleteFileA(szCopy);
    ASSERT_TRUE(CopyFileA(m_clip.c_str(), copy.c_str(), FALSE));
    {
        CMciPlayer other;
        ASSERT_TRUE(other.Open(&otherOwner, m_side.get(), copy.c_str(), 0)) << other.m_dwLastError;
        EXPECT_NE(other.m_wDeviceID, m_player->m_wDeviceID);
        EXPECT_EQ(DeviceWindow(other.m_wDeviceID), otherOwner.GetSafeHwnd());
        EXPECT_EQ(DeviceWindow(m_player->m_wDeviceID), m_owner->GetSafeHwnd());
        EXPECT_EQ(other.Seek(40), 40u);
        other.Close();
    }
    EXPECT_TRUE(DeleteFileA(copy.c_str())) << "the closed device let go of its file";
    EXPECT_TRUE(DeviceAlive(m_player->m_wDeviceID));
    EXPECT_EQ(m_player->GetPosition(), 0u);
}

TEST_F(MciPlayerTest, DestroyingThePlayerClosesItsDevice)
{
    OpenClip();
    MCIDEVICEID id = m_player->m_wDeviceID;
    m_player.reset();
    EXPECT_FALSE(DeviceAlive(id));
}
}  // namespace
