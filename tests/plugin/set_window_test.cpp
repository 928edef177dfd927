// NPP_SetWindow in the orders browsers use and in hostile ones: subclassing
// the browser's window with a side window beneath it, repainting, a second
// hand-over, withdrawal of the window, a failed subclassing and a browser
// window that is destroyed under the plug-in.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "BrowserWindow.h"
#include "MciImports.h"
#include "MciPlayer.h"
#include "PluginLibrary.h"
#include "PluginWindow.h"
#include "RigInstance.h"
#include "UiImports.h"

namespace {
// The plug-in's message boxes, repaints, subclassing and destroyed windows, as the rig records them.
CUiRecord& Calls()
{
    return CUiCalls::Record();
}

std::string ClassOf(HWND hWnd)
{
    char sz[64] = "";
    GetClassNameA(hWnd, sz, sizeof(sz));
    return sz;
}

std::string TitleOf(HWND hWnd)
{
    char sz[64] = "";
    GetWindowTextA(hWnd, sz, sizeof(sz));
    return sz;
}

WNDPROC ProcOf(HWND hWnd)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongA(hWnd, GWL_WNDPROC));
}

class SetWindow : public ::testing::Test
{
protected:
    SetWindow() : m_page(NULL, 480, 360), m_area(m_page.Handle(), 320, 240), m_instance(Plugin()) {}

    void SetUp() override
    {
        ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error();
        ASSERT_NE(nullptr, m_area.Handle());
        ASSERT_EQ(NPERR_NO_ERROR, m_instance.New(NP_EMBED));
        PumpMessages();
        m_area.ClearMessages();
        CUiCalls::Reset();
    }

    HWND SideWindow() const
    {
        const PluginInstance* pRecord = m_instance.Record();
        return pRecord && pRecord->m_pSideWindow ? pRecord->m_pSideWindow->GetSafeHwnd() : NULL;
    }

    // The browser's procedure still gets what the plug-in does not handle.
    bool BrowserAnswers(HWND hWnd)
    {
        return SendMessageA(hWnd, CBrowserWindow::RIG_MSG_PING, 0, 0) == CBrowserWindow::RIG_PING_ANSWER;
    }

    CBrowserWindow m_page;    // the browser's page window
    CBrowserWindow m_area;    // the child window handed to the instance
    CRigInstance m_instance;  // the instance under test
};
}  // namespace

// The NPWindow is checked first, then the instance, then its record.
TEST_F(SetWindow, ArgumentsAreCheckedInOrder)
{
    NPWindow window = {};
    window.window = m_area.Handle();
    EXPECT_EQ(NPERR_GENERIC_ERROR, Plugin().Funcs().setwindow(NULL, NULL));
    EXPECT_EQ(NPERR_GENERIC_ERROR, Plugin().Funcs().setwindow(m_instance.Npp(), NULL));
    EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, Plugin().Funcs().setwindow(NULL, &window));
    NPP_t bare = {};
    EXPECT_EQ(NPERR_GENERIC_ERROR, Plugin().Funcs().setwindow(&bare, &window));
    EXPECT_EQ(CBrowserWindow::BrowserProc(), ProcOf(m_area.Handle()));
}

TEST_F(SetWindow, NullHandleBeforeAnyWindowChangesNothing)
{
    CMciPlayer* pPlayer = m_instance.Record()->m_pPlayer;
    EXPECT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(NULL));
    EXPECT_EQ(pPlayer, m_instance.Record()->m_pPlayer);
    EXPECT_EQ(nullptr, m_instance.Record()->m_pWindow);
    EXPECT_EQ(0, CUiCalls::ProcChangesOf(m_area.Handle()));
    EXPECT_TRUE(Calls().invalidated.empty());
}

TEST_F(SetWindow, FirstWindowIsSubclassedAndLinkedToTheInstance)
{
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    PluginInstance* pRecord = m_instance.Record();
    ASSERT_NE(nullptr, pRecord->m_pWindow);
    EXPECT_EQ(m_area.Handle(), pRecord->m_pWindow->GetSafeHwnd());
    EXPECT_EQ(pRecord, pRecord->m_pWindow->GetInstance());
    EXPECT_NE(CBrowserWindow::BrowserProc(), ProcOf(m_area.Handle()));
    EXPECT_EQ(1, CUiCalls::ProcChangesOf(m_area.Handle()));
    EXPECT_TRUE(BrowserAnswers(m_area.Handle())) << "unhandled messages reach the browser's procedure";
}

TEST_F(SetWindow, SideWindowIsAHiddenStaticChildWithoutArea)
{
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    HWND hSide = SideWindow();
    ASSERT_TRUE(IsWindow(hSide));
    EXPECT_EQ(m_area.Handle(), GetParent(hSide));
    EXPECT_STRCASEEQ("STATIC", ClassOf(hSide).c_str());
    EXPECT_EQ("SIDEWINDOW", TitleOf(hSide));
    EXPECT_EQ(static_cast<LONG>(WS_CHILD), GetWindowLongA(hSide, GWL_STYLE) & ~WS_CLIPSIBLINGS);
    EXPECT_FALSE(IsWindowVisible(hSide));
    EXPECT_EQ(0, GetDlgCtrlID(hSide));
    RECT rc;
    GetWindowRect(hSide, &rc);
    MapWindowPoints(NULL, m_area.Handle(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(-1, rc.left);
    EXPECT_EQ(-1, rc.top);
    EXPECT_EQ(-1, rc.right);
    EXPECT_EQ(-1, rc.bottom);
}

TEST_F(SetWindow, EveryHandOverRepaintsTheWholeWindow)
{
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    EXPECT_EQ(std::vector<HWND>{m_area.Handle()}, Calls().invalidated);
    EXPECT_EQ(std::vector<HWND>{m_area.Handle()}, Calls().updated);
    EXPECT_TRUE(Calls().partlyInvalidated.empty());
    EXPECT_FALSE(GetUpdateRect(m_area.Handle(), NULL, FALSE)) << "the repaint happens at once, not later";
}

TEST_F(SetWindow, SecondHandOverRepaintsWithoutSubclassingAgain)
{
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    CPluginWindow* pWindow = m_instance.Record()->m_pWindow;
    HWND hSide = SideWindow();
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    EXPECT_EQ(pWindow, m_instance.Record()->m_pWindow);
    EXPECT_EQ(hSide, SideWindow());
    EXPECT_EQ(1, CUiCalls::ProcChangesOf(m_area.Handle()));
    EXPECT_EQ(2u, Calls().invalidated.size());
    EXPECT_EQ(2u, Calls().updated.size());
    EXPECT_FALSE(GetUpdateRect(m_area.Handle(), NULL, FALSE));
}

TEST_F(SetWindow, ALaterDifferentHandleIsNotAttached)
{
    CBrowserWindow other(m_page.Handle(), 100, 100);
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(other.Handle()));
    EXPECT_EQ(CBrowserWindow::BrowserProc(), ProcOf(other.Handle()));
    EXPECT_EQ(m_area.Handle(), m_instance.Record()->m_pWindow->GetSafeHwnd());
    EXPECT_EQ((std::vector<HWND>{m_area.Handle(), m_area.Handle()}), Calls().invalidated);
}

TEST_F(SetWindow, WithdrawnWindowGetsItsProcedureBackAndSurvives)
{
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    HWND hSide = SideWindow();
    PluginInstance* pRecord = m_instance.Record();
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(NULL));
    EXPECT_EQ(pRecord, m_instance.Record()) << "the record lives on until NPP_Destroy";
    EXPECT_EQ(CBrowserWindow::BrowserProc(), ProcOf(m_area.Handle()));
    EXPECT_TRUE(IsWindow(m_area.Handle()));
    EXPECT_TRUE(BrowserAnswers(m_area.Handle()));
    EXPECT_FALSE(IsWindow(hSide));
    EXPECT_EQ(nullptr, pRecord->m_pPlayer);
    EXPECT_EQ(nullptr, pRecord->m_pWindow);
    EXPECT_EQ(nullptr, pRecord->m_pSideWindow);
}

TEST_F(SetWindow, WindowAfterWithdrawalGetsNewObjectsButNoNewPlayer)
{
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(NULL));
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    PluginInstance* pRecord = m_instance.Record();
    ASSERT_NE(nullptr, pRecord->m_pWindow);
    EXPECT_EQ(pRecord, pRecord->m_pWindow->GetInstance());
    EXPECT_TRUE(IsWindow(SideWindow()));
    EXPECT_EQ(nullptr, pRecord->m_pPlayer);
    EXPECT_NE(CBrowserWindow::BrowserProc(), ProcOf(m_area.Handle()));
    EXPECT_EQ(NPERR_NO_ERROR, m_instance.Destroy());
    EXPECT_EQ(CBrowserWindow::BrowserProc(), ProcOf(m_area.Handle()));
}

TEST_F(SetWindow, DestroyRestoresTheBrowserWindow)
{
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    HWND hSide = SideWindow();
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.Destroy());
    EXPECT_EQ(nullptr, m_instance.Npp()->pdata);
    EXPECT_EQ(CBrowserWindow::BrowserProc(), ProcOf(m_area.Handle()));
    EXPECT_TRUE(IsWindow(m_area.Handle()));
    EXPECT_FALSE(IsWindow(hSide));
    EXPECT_TRUE(BrowserAnswers(m_area.Handle()));
}

// A window already subclassed by another instance cannot be subclassed again.
TEST_F(SetWindow, FailedSubclassingShowsTheMessageBoxAndKeepsTheObject)
{
    CRigInstance second(Plugin());
    ASSERT_EQ(NPERR_NO_ERROR, second.New(NP_EMBED));
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    WNDPROC pfnFirst = ProcOf(m_area.Handle());
    CUiCalls::Reset();

    EXPECT_EQ(NPERR_GENERIC_ERROR, second.SetWindow(m_area.Handle()));
    ASSERT_EQ(1u, Calls().boxes.size());
    EXPECT_EQ(nullptr, Calls().boxes[0].hOwner);
    EXPECT_EQ("SubclassWindow Failed", Calls().boxes[0].strText);
    EXPECT_EQ("Plug-in-test", Calls().boxes[0].strCaption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), Calls().boxes[0].uType);

    const PluginInstance* pSecond = second.Record();
    ASSERT_NE(nullptr, pSecond->m_pWindow);
    EXPECT_EQ(nullptr, pSecond->m_pWindow->GetSafeHwnd());
    EXPECT_EQ(nullptr, pSecond->m_pWindow->GetInstance());
    EXPECT_EQ(nullptr, pSecond->m_pSideWindow);
    EXPECT_TRUE(Calls().invalidated.empty());
    EXPECT_EQ(pfnFirst, ProcOf(m_area.Handle()));
}

// After a failed subclassing the object is attached to nothing: a later
// hand-over answers success without a box and must not repaint every window
// on the desktop (InvalidateRect with a NULL handle); teardown leaves the
// other instance's subclassing alone.
TEST_F(SetWindow, ObjectOfAFailedSubclassingIsHarmless)
{
    CRigInstance second(Plugin());
    ASSERT_EQ(NPERR_NO_ERROR, second.New(NP_EMBED));
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    WNDPROC pfnFirst = ProcOf(m_area.Handle());
    ASSERT_EQ(NPERR_GENERIC_ERROR, second.SetWindow(m_area.Handle()));
    CUiCalls::Reset();

    EXPECT_EQ(NPERR_NO_ERROR, second.SetWindow(m_area.Handle()));
    EXPECT_TRUE(Calls().boxes.empty());
    for (HWND hWnd : Calls().invalidated)
        EXPECT_NE(nullptr, hWnd);
    for (HWND hWnd : Calls().updated)
        EXPECT_NE(nullptr, hWnd);

    EXPECT_EQ(NPERR_NO_ERROR, second.Destroy());
    EXPECT_EQ(pfnFirst, ProcOf(m_area.Handle()));
    EXPECT_EQ(m_area.Handle(), m_instance.Record()->m_pWindow->GetSafeHwnd());
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(NULL));
    EXPECT_EQ(CBrowserWindow::BrowserProc(), ProcOf(m_area.Handle()));
}

// The browser may destroy its window before it withdraws it or destroys the instance.
TEST_F(SetWindow, BrowserWindowDestroyedUnderThePlugIn)
{
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    HWND hArea = m_area.Handle();
    m_area.Destroy();
    EXPECT_FALSE(IsWindow(SideWindow()));
    CUiCalls::Reset();
    EXPECT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(hArea));
    for (HWND hWnd : Calls().invalidated)
        EXPECT_NE(nullptr, hWnd);
    EXPECT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(NULL));
    EXPECT_EQ(nullptr, m_instance.Record()->m_pWindow);
    EXPECT_EQ(NPERR_NO_ERROR, m_instance.Destroy());
}

// With a clip open, the device is closed before the side window (its MCI
// parent) goes away.
TEST_F(SetWindow, WithdrawalClosesTheDeviceBeforeTheSideWindowGoes)
{
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    PluginInstance* pRecord = m_instance.Record();
    std::string strClip = WindowsPathOf(PLUGIN_TEST_DATA "/clip320.avi");
    ASSERT_TRUE(pRecord->m_pPlayer->Open(pRecord->m_pWindow, pRecord->m_pSideWindow, strClip.c_str(), 0))
        << "MCI error " << pRecord->m_pPlayer->m_dwLastError;
    HWND hSide = SideWindow();
    std::vector<bool> sideAliveAtClose;
    CMciSpy::Observe([&](MCIDEVICEID, UINT uMsg, DWORD_PTR, MCIERROR*) {
        if (uMsg == MCI_CLOSE)
            sideAliveAtClose.push_back(IsWindow(hSide) != FALSE);
        return false;
    });
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(NULL));
    EXPECT_EQ(std::vector<bool>{true}, sideAliveAtClose);
    EXPECT_FALSE(IsWindow(hSide));
}

// The browser destroys its window (and with it the side window) before it withdraws it: the
// dead handles are forgotten at once, the teardown destroys no window by a dead handle (its
// value may belong to an unrelated window by then), and a new window is subclassed.
TEST_F(SetWindow, HandlesOfWindowsTheBrowserDestroyedAreForgotten)
{
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    PluginInstance* pRecord = m_instance.Record();
    HWND hSide = SideWindow();
    ASSERT_TRUE(IsWindow(hSide));
    m_area.Destroy();
    ASSERT_FALSE(IsWindow(hSide));
    EXPECT_EQ(nullptr, pRecord->m_pSideWindow->GetSafeHwnd());
    EXPECT_EQ(nullptr, pRecord->m_pWindow->GetSafeHwnd());
    Calls().destroyed.clear();
    EXPECT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(NULL));
    EXPECT_TRUE(Calls().destroyed.empty()) << "DestroyWindow on a dead handle";

    CBrowserWindow again(m_page.Handle(), 320, 240);
    EXPECT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(again.Handle()));
    EXPECT_TRUE(Calls().boxes.empty());
    EXPECT_TRUE(IsWindow(SideWindow()));
    EXPECT_EQ(NPERR_NO_ERROR, m_instance.Destroy());
    EXPECT_EQ(CBrowserWindow::BrowserProc(), ProcOf(again.Handle()));
}
