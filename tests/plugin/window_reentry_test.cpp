// Messages dispatched inside the play routine's wait while the device seeks: a
// paint, menu commands, a nested resume, a quit request, and the teardown of this
// or another instance. The device's mode is scripted to read "seeking" on demand;
// everything else runs on Wine's real AVI device.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ImportTable.h"
#include "MciImports.h"
#include "PluginInstance.h"
#include "SaveAsSpy.h"
#include "TestFiles.h"
#include "TestWindows.h"
#include "WindowRig.h"

namespace {
// What streamplug.dll did, in order (the rig's trace: "mci <command>", "sleep <ms>"),
// "seek <n>" for the n-th scripted answer, and the test's own marks.
std::vector<std::string>& g_events = ImportEvents();

// Scripted mode answers: while nSeekAnswers is positive, a mode query of an open
// device reads MCI_MODE_SEEK, and onSeek runs with the answer's number.
struct CSeekScript
{
    int nSeekAnswers;
    int nAnswered;
    std::function<void(int)> onSeek;
};
CSeekScript g_script = {0, 0, nullptr};

std::string Hex(UINT n)
{
    char sz[16];
    snprintf(sz, sizeof(sz), "%04X", n);
    return sz;
}

bool AnswerSeeking(MCIDEVICEID id, UINT uMsg, DWORD_PTR dwParam, MCIERROR* pResult)
{
    auto* pStatus = reinterpret_cast<MCI_STATUS_PARMS*>(dwParam);
    if (uMsg != MCI_STATUS || id == 0 || pStatus == NULL || pStatus->dwItem != MCI_STATUS_MODE ||
        g_script.nSeekAnswers <= 0)
        return false;
    g_script.nSeekAnswers--;
    int n = ++g_script.nAnswered;
    g_events.push_back("seek " + std::to_string(n));
    pStatus->dwReturn = MCI_MODE_SEEK;
    if (g_script.onSeek)
        g_script.onSeek(n);
    *pResult = 0;
    return true;
}

// A window of the test whose posted WM_APP runs a task: how a browser's own
// message handling reaches the plug-in while the plug-in's wait dispatches.
std::function<void()> g_task;
LRESULT CALLBACK TaskWndProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage == WM_APP && g_task)
    {
        std::function<void()> task = g_task;
        g_task = nullptr;
        task();
        return 0;
    }
    return DefWindowProcA(hWnd, nMessage, wParam, lParam);
}

// Position of the first event equal to strEvent at or after 'from', or -1.
int Find(const std::string& strEvent, size_t from = 0)
{
    for (size_t i = from; i < g_events.size(); i++)
        if (g_events[i] == strEvent)
            return static_cast<int>(i);
    return -1;
}
int Count(const std::string& strEvent)
{
    return static_cast<int>(std::count(g_events.begin(), g_events.end(), strEvent));
}
std::string Events()
{
    std::string all;
    for (const std::string& e : g_events)
        all += e + "; ";
    return all;
}

class WindowReentry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error();
        CMciSpy::Observe(&AnswerSeeking);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TaskWndProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "WindowReentryTask";
        RegisterClassA(&wc);
        m_hTaskWnd = CreateWindowExA(0, "WindowReentryTask", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                     GetModuleHandleA(NULL), NULL);
        ASSERT_NE(nullptr, m_hTaskWnd);
        Reset();
    }
    void TearDown() override
    {
        Reset();
        DestroyWindow(m_hTaskWnd);
    }
    static void Reset()
    {
        g_script = CSeekScript{0, 0, nullptr};
        g_task = nullptr;
    }

    // A clip played a little and paused, so that Play resumes it with a seek.
    static void PlayAndPause(CWindowRig& rig)
    {
        ASSERT_TRUE(rig.IsReady());
        ASSERT_TRUE(rig.DeliverWholeClip(ReadFileBytes(TestDataFile("window160.avi"))));
        rig.Command(ID_PLAY);
        MCIDEVICEID id = rig.Player()->m_wDeviceID;
        ASSERT_TRUE(WaitFor([&] { return DevicePosition(id) >= 3 && DevicePosition(id) != 0xFFFFFFFF; }));
        rig.Command(ID_PAUSE);
        ASSERT_TRUE(WaitFor([&] { return DeviceMode(id) != MCI_MODE_PLAY; }));
        ASSERT_TRUE(rig.Player()->m_bPaused);
        g_events.clear();
    }
    // Resume with nSeeks scripted "seeking" answers; onSeek runs at each.
    static void ResumeWhileSeeking(CWindowRig& rig, int nSeeks, std::function<void(int)> onSeek)
    {
        g_script = CSeekScript{nSeeks, 0, onSeek};
        rig.Command(ID_PLAY);
        g_script.onSeek = nullptr;
    }
    // Posts a task that the browser-side window runs when its message is dispatched.
    void PostTask(std::function<void()> task)
    {
        g_task = task;
        PostMessageA(m_hTaskWnd, WM_APP, 0, 0);
    }

    HWND m_hTaskWnd = NULL;
};
}  // namespace

TEST_F(WindowReentry, TheWaitAsksTheModeFirstAndSleeps100MsPerSeekingAnswer)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    PlayAndPause(rig);
    ResumeWhileSeeking(rig, 3, nullptr);
    EXPECT_EQ(3, Count("sleep 100")) << Events();
    EXPECT_LT(Find("seek 1"), Find("sleep 100")) << "the mode is tested before the first wait";
    int nLast = Find("seek 3");
    ASSERT_GE(nLast, 0);
    int nWindow = Find("mci " + Hex(MCI_WINDOW), nLast);
    EXPECT_GT(nWindow, nLast) << "attached after the seek: " << Events();
    EXPECT_GT(Find("mci " + Hex(MCI_PLAY), nWindow), nWindow);

    g_events.clear();
    rig.Command(ID_PAUSE);
    ResumeWhileSeeking(rig, 0, nullptr);
    EXPECT_EQ(0, Count("sleep 100")) << "a seek already over is not waited for";
}

TEST_F(WindowReentry, APaintInsideTheWaitIsDrawnThere)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    PlayAndPause(rig);
    HWND hWnd = rig.Handle();
    HDC hdc = GetDC(hWnd);
    HBRUSH hRed = CreateSolidBrush(RGB(255, 0, 0));
    RECT rc = {0, 0, 200, 150};
    bool bInvalidWhileWaiting = false, bPaintedWhileWaiting = false;
    ResumeWhileSeeking(rig, 3, [&](int n) {
        if (n == 1)
        {
            FillRect(hdc, &rc, hRed);
            InvalidateRect(hWnd, NULL, TRUE);
        }
        if (n == 2)
        {
            RECT rcUpdate;
            bInvalidWhileWaiting = GetUpdateRect(hWnd, &rcUpdate, FALSE) != FALSE;
            bPaintedWhileWaiting = CountNot(rig.Pixels(), rc, RGB(255, 0, 0)) > 0;
            g_events.push_back("looked");
        }
    });
    EXPECT_FALSE(bInvalidWhileWaiting) << "the paint was dispatched by the wait";
    EXPECT_TRUE(bPaintedWhileWaiting);
    int nUpdate = Find("mci " + Hex(MCI_UPDATE), Find("seek 1"));
    EXPECT_GT(nUpdate, Find("seek 1")) << Events();
    EXPECT_LT(nUpdate, Find("looked")) << "the device redrew its frame inside the wait";
    EXPECT_GT(Find("mci " + Hex(MCI_PLAY), Find("seek 3")), 0);
    DeleteObject(hRed);
    ReleaseDC(hWnd, hdc);
}

TEST_F(WindowReentry, MenuCommandsInsideTheWaitRunThereAndTheResumeThenFinishes)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    PlayAndPause(rig);
    DWORD nStepWhileWaiting = 0;
    ResumeWhileSeeking(rig, 3, [&](int n) {
        if (n == 1)
            PostMessageA(rig.Handle(), WM_COMMAND, ID_STEP_SHORT, 0);
        if (n == 2)
        {
            nStepWhileWaiting = rig.Record()->m_nExtendStep;
            PostMessageA(rig.Handle(), WM_COMMAND, ID_STOP, 0);
        }
    });
    EXPECT_EQ(200u, nStepWhileWaiting);
    int nPause = Find("mci " + Hex(MCI_PAUSE));
    EXPECT_GT(nPause, Find("seek 2")) << Events();
    EXPECT_LT(nPause, Find("seek 3")) << "Stop ran inside the wait";
    EXPECT_GT(Find("mci " + Hex(MCI_PLAY), Find("seek 3")), 0) << "and the resume went on after it";
    EXPECT_NE(0u, rig.Player()->m_wDeviceID);
}

TEST_F(WindowReentry, InstanceDestroyedInsideTheWaitIsNotTouchedAgain)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    PlayAndPause(rig);
    ResumeWhileSeeking(rig, 3, [&](int n) {
        if (n == 1)
            PostTask([&] {
                g_events.push_back("destroy");
                EXPECT_EQ(NPERR_NO_ERROR, rig.Instance().Destroy());
                g_events.push_back("destroyed");
            });
    });
    int nDestroyed = Find("destroyed");
    ASSERT_GE(nDestroyed, 0) << Events();
    EXPECT_EQ(nDestroyed + 1, static_cast<int>(g_events.size())) << "nothing after the teardown: " << Events();
    EXPECT_EQ(nullptr, rig.Record());
    EXPECT_EQ(CBrowserWindow::BrowserProc(), reinterpret_cast<WNDPROC>(GetWindowLongPtrA(rig.Handle(), GWLP_WNDPROC)));
}

TEST_F(WindowReentry, WindowWithdrawnInsideTheWaitIsNotTouchedAgain)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    PlayAndPause(rig);
    ResumeWhileSeeking(rig, 3, [&](int n) {
        if (n == 2)
            PostTask([&] {
                EXPECT_EQ(NPERR_NO_ERROR, rig.Instance().SetWindow(NULL));
                g_events.push_back("withdrawn");
            });
    });
    int nWithdrawn = Find("withdrawn");
    ASSERT_GE(nWithdrawn, 0) << Events();
    EXPECT_EQ(nWithdrawn + 1, static_cast<int>(g_events.size())) << Events();
    EXPECT_EQ(nullptr, rig.Record()->m_pWindow);
    EXPECT_EQ(nullptr, rig.Record()->m_pPlayer);
    EXPECT_TRUE(IsWindow(rig.Handle())) << "the browser's window survives";
}

TEST_F(WindowReentry, TeardownInsideANestedResumeEndsBothWaits)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    PlayAndPause(rig);
    ResumeWhileSeeking(rig, 5, [&](int n) {
        if (n == 1)
            PostMessageA(rig.Handle(), WM_COMMAND, ID_PLAY, 0);  // a second resume, waiting in turn
        if (n == 3)
            PostTask([&] {
                rig.Instance().Destroy();
                g_events.push_back("destroyed");
            });
    });
    EXPECT_GE(Count("mci " + Hex(MCI_SEEK)), 2) << "the second resume seeks too: " << Events();
    int nDestroyed = Find("destroyed");
    ASSERT_GE(nDestroyed, 0) << Events();
    EXPECT_EQ(nDestroyed + 1, static_cast<int>(g_events.size())) << Events();
    EXPECT_EQ(2, g_script.nSeekAnswers) << "neither wait asked the device again";
}

TEST_F(WindowReentry, AnotherInstanceDestroyedInsideTheWaitLeavesThisOneGoing)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    CWindowRig other(NP_EMBED, 100, 100, NoAutoStart());
    ASSERT_TRUE(other.IsReady());
    PlayAndPause(rig);
    ResumeWhileSeeking(rig, 2, [&](int n) {
        if (n == 1)
            PostTask([&] {
                other.Instance().Destroy();
                g_events.push_back("other destroyed");
            });
    });
    int nDestroyed = Find("other destroyed");
    ASSERT_GE(nDestroyed, 0) << Events();
    int nWindow = Find("mci " + Hex(MCI_WINDOW), nDestroyed);
    EXPECT_GT(nWindow, nDestroyed) << Events();
    EXPECT_GT(Find("mci " + Hex(MCI_PLAY), nWindow), nWindow);
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_PLAY), DeviceMode(rig.Player()->m_wDeviceID));
}

TEST_F(WindowReentry, AQuitRequestTakenByTheWaitIsPutBack)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    PlayAndPause(rig);
    ResumeWhileSeeking(rig, 3, [&](int n) {
        if (n == 1)
            PostQuitMessage(7);
    });
    EXPECT_EQ(2, g_script.nSeekAnswers) << "the wait ended with the quit request: " << Events();
    EXPECT_GT(Find("mci " + Hex(MCI_PLAY), Find("seek 1")), 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the browser's loop still gets it";
    EXPECT_EQ(7u, msg.wParam);
}

TEST_F(WindowReentry, InstanceDestroyedWhileItsMenuIsOpen)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    bool bDestroyed = false;
    g_task = [&] {
        rig.Instance().Destroy();
        bDestroyed = true;
    };
    HWND hTaskWnd = m_hTaskWnd;
    std::thread watcher([&] {
        HWND hMenuWnd = NULL;
        for (int i = 0; i < 500 && (hMenuWnd = FindWindowA("#32768", NULL)) == NULL; i++)
            Sleep(10);
        PostMessageA(hTaskWnd, WM_APP, 0, 0);  // handled by the menu's own loop
        for (int i = 0; i < 500 && !bDestroyed; i++)
            Sleep(10);
        PostMessageA(hMenuWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    SendMessageA(rig.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    watcher.join();
    EXPECT_TRUE(bDestroyed) << "the teardown ran inside the menu's loop";
    EXPECT_EQ(nullptr, rig.Record());
    EXPECT_EQ(CBrowserWindow::BrowserProc(), reinterpret_cast<WNDPROC>(GetWindowLongPtrA(rig.Handle(), GWLP_WNDPROC)));
}

// The Save As offer at destruction runs a modal loop too; messages for the
// instance's window arrive inside it (the spy's dialog dispatches them).
class WindowInsideSaveAs : public WindowReentry
{};

TEST_F(WindowInsideSaveAs, PaintAndPlayInsideTheDialogLeaveNoClipBehind)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    ASSERT_TRUE(rig.DeliverWholeClip(ReadFileBytes(TestDataFile("window160.avi")), "http://host/media/clip.avs"));
    std::string temp = rig.Record()->m_szTempPath;
    ASSERT_TRUE(FileExists(temp));
    HWND hWnd = rig.Handle();
    CSaveAsSpy::WhileOpen([&] {
        InvalidateRect(hWnd, NULL, TRUE);
        PostMessageA(hWnd, WM_COMMAND, ID_PLAY, 0);
        PumpMessages();
        g_events.push_back("dialog closes");
    });
    EXPECT_EQ(NPERR_NO_ERROR, rig.Instance().Destroy());
    ASSERT_EQ(1u, CSaveAsSpy::Dialogs().size());
    EXPECT_GT(Find("mci " + Hex(MCI_UPDATE)), -1) << "the paint ran inside: " << Events();
    EXPECT_FALSE(FileExists(temp)) << "the temporary clip is deleted all the same";
}

TEST_F(WindowInsideSaveAs, WindowWithdrawnInsideTheDialog)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    ASSERT_TRUE(rig.DeliverWholeClip(ReadFileBytes(TestDataFile("window160.avi")), "http://host/media/clip.avs"));
    std::string temp = rig.Record()->m_szTempPath;
    CSaveAsSpy::WhileOpen([&] {
        EXPECT_EQ(NPERR_NO_ERROR, rig.Instance().SetWindow(NULL));
        InvalidateRect(rig.Handle(), NULL, TRUE);
        PumpMessages();
    });
    EXPECT_EQ(NPERR_NO_ERROR, rig.Instance().Destroy());
    EXPECT_FALSE(FileExists(temp));
    EXPECT_EQ(CBrowserWindow::BrowserProc(), reinterpret_cast<WNDPROC>(GetWindowLongPtrA(rig.Handle(), GWLP_WNDPROC)));
}
