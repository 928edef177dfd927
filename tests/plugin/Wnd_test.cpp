// Window framework: subclassing and restoring, handle attachment, message-table
// dispatch with chaining to the base table, pass-through to the previous window
// procedure, and child windows of a system class.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestWindows.h"
#include "Wnd.h"

namespace {
// What the windows' own procedure (the one subclassing replaces) received.
struct CSeen
{
    UINT nMessage;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<CSeen> g_seen;
std::vector<std::string> g_handled;  // handlers that ran, in order

const char RECORDING_CLASS[] = "RecordingTestWindow";
const UINT WM_TEST = WM_USER + 1;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage >= WM_TEST && nMessage < WM_TEST + 100)
    {
        g_seen.push_back(CSeen{nMessage, wParam, lParam});
        return 5000 + nMessage - WM_TEST;
    }
    if (nMessage == WM_COMMAND || nMessage == WM_RBUTTONDOWN || nMessage == WM_NCDESTROY || nMessage == WM_LBUTTONDOWN)
        g_seen.push_back(CSeen{nMessage, wParam, lParam});
    return DefWindowProcA(hWnd, nMessage, wParam, lParam);
}

HWND CreateRecordingWindow()
{
    WNDCLASSA wc = {};
    if (!GetClassInfoA(GetModuleHandleA(NULL), RECORDING_CLASS, &wc))
    {
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = RECORDING_CLASS;
        RegisterClassA(&wc);
    }
    return CreateWindowExA(0, RECORDING_CLASS, "recording", WS_POPUP, 0, 0, 100, 100, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
}

bool Seen(UINT nMessage)
{
    for (const CSeen& seen : g_seen)
        if (seen.nMessage == nMessage)
            return true;
    return false;
}

class CBaseTestWnd : public CWnd
{
public:
    const CMessageTable* GetMessageTable() const override { return &s_messageTable; }
    static const CMessageRow s_messageRows[];
    static const CMessageTable s_messageTable;

private:
    void OnOne() { g_handled.push_back("base one"); }
    void OnTwo() { g_handled.push_back("base two"); }
};
const CMessageRow CBaseTestWnd::s_messageRows[] = {
    MessageRow<&CBaseTestWnd::OnOne>(WM_TEST + 1),
    MessageRow<&CBaseTestWnd::OnTwo>(WM_TEST + 2),
};
const CMessageTable CBaseTestWnd::s_messageTable = MakeMessageTable(&CWnd::s_messageTable, s_messageRows);

class CDerivedTestWnd : public CBaseTestWnd
{
public:
    const CMessageTable* GetMessageTable() const override { return &s_messageTable; }
    WNDPROC* GetSuperWndProcAddr() override { return CBaseTestWnd::GetSuperWndProcAddr(); }
    static const CMessageRow s_messageRows[];
    static const CMessageTable s_messageTable;

    UINT m_nFlags = 0;            // last mouse key-state word
    POINT m_point = {0, 0};       // last mouse point
    CWnd* m_pPaletteWnd = this;   // last palette-change window
    LRESULT m_defaultResult = 0;  // what Default answered in OnRaw

private:
    void OnTwo() { g_handled.push_back("derived two"); }
    LRESULT OnRaw(UINT nMessage, WPARAM wParam, LPARAM)
    {
        g_handled.push_back("raw");
        if (wParam == 1)
            m_defaultResult = Default();
        return 100 + nMessage - WM_TEST;
    }
    void OnLButtonDown(UINT nFlags, POINT point)
    {
        m_nFlags = nFlags;
        m_point = point;
    }
    void OnPaletteChanged(CWnd* pWnd) { m_pPaletteWnd = pWnd; }
    void OnPlay() { g_handled.push_back("play"); }
    void OnRButtonDown(UINT, POINT)
    {
        g_handled.push_back("rbutton");
        SendMessageA(m_hWnd, WM_TEST + 3, 1, 33);  // a nested message that also calls Default
        Default();
    }
};
const CMessageRow CDerivedTestWnd::s_messageRows[] = {
    MessageRow<&CDerivedTestWnd::OnTwo>(WM_TEST + 2),
    MessageRow<&CDerivedTestWnd::OnRaw>(WM_TEST + 3),
    MessageRow<&CDerivedTestWnd::OnLButtonDown>(WM_LBUTTONDOWN),
    MessageRow<&CDerivedTestWnd::OnPaletteChanged>(WM_PALETTECHANGED),
    CommandRow<&CDerivedTestWnd::OnPlay>(1000),
    MessageRow<&CDerivedTestWnd::OnRButtonDown>(WM_RBUTTONDOWN),
};
const CMessageTable CDerivedTestWnd::s_messageTable = MakeMessageTable(&CBaseTestWnd::s_messageTable, s_messageRows);

class WndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_seen.clear();
        g_handled.clear();
        m_hWnd = CreateRecordingWindow();
        ASSERT_NE(m_hWnd, nullptr);
        m_pfnOriginal = reinterpret_cast<WNDPROC>(GetWindowLongA(m_hWnd, GWL_WNDPROC));
    }
    void TearDown() override
    {
        m_wnd.reset();
        if (IsWindow(m_hWnd))
            DestroyWindow(m_hWnd);
    }
    void Subclass()
    {
        m_wnd.reset(new CDerivedTestWnd);
        ASSERT_TRUE(m_wnd->SubclassWindow(m_hWnd));
    }
    WNDPROC CurrentProc() const { return reinterpret_cast<WNDPROC>(GetWindowLongA(m_hWnd, GWL_WNDPROC)); }

    HWND m_hWnd = NULL;
    WNDPROC m_pfnOriginal = NULL;
    std::unique_ptr<CDerivedTestWnd> m_wnd;
};

TEST_F(WndTest, SubclassReplacesTheProcedureAndRestoreGivesItBack)
{
    Subclass();
    EXPECT_NE(CurrentProc(), m_pfnOriginal);
    EXPECT_EQ(*m_wnd->GetSuperWndProcAddr(), m_pfnOriginal);
    EXPECT_EQ(m_wnd->GetSafeHwnd(), m_hWnd);
    EXPECT_EQ(CWnd::FromHandlePermanent(m_hWnd), m_wnd.get());

    EXPECT_TRUE(m_wnd->RestoreWindowProc());
    EXPECT_EQ(CurrentProc(), m_pfnOriginal);
    EXPECT_EQ(m_wnd->Detach(), m_hWnd);
    EXPECT_EQ(CWnd::FromHandlePermanent(m_hWnd), nullptr);
    EXPECT_TRUE(IsWindow(m_hWnd)) << "detaching leaves the window alone";
    EXPECT_EQ(SendMessageA(m_hWnd, WM_TEST + 1, 0, 0), 5001) << "the window's own procedure again";
    EXPECT_TRUE(g_handled.empty());
}

TEST_F(WndTest, AHandleIsAttachedToOneObjectOnly)
{
    Subclass();
    CDerivedTestWnd second;
    EXPECT_FALSE(second.SubclassWindow(m_hWnd));
    EXPECT_EQ(second.GetSafeHwnd(), nullptr);
    EXPECT_EQ(*second.GetSuperWndProcAddr(), nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(m_hWnd), m_wnd.get());
    EXPECT_EQ(*m_wnd->GetSuperWndProcAddr(), m_pfnOriginal) << "a refused subclassing changes nothing";

    HWND hOther = CreateRecordingWindow();
    EXPECT_FALSE(m_wnd->SubclassWindow(hOther)) << "an object holds one window";
    EXPECT_FALSE(second.SubclassWindow(NULL));
    EXPECT_TRUE(second.SubclassWindow(hOther));
    EXPECT_TRUE(second.RestoreWindowProc());
    second.Detach();
    DestroyWindow(hOther);

    m_wnd->RestoreWindowProc();
    m_wnd->Detach();
    EXPECT_TRUE(second.SubclassWindow(m_hWnd)) << "free again once detached";
    second.RestoreWindowProc();
    second.Detach();
}

TEST_F(WndTest, RestoreWithoutARememberedProcedureLeavesTheWindowAlone)
{
    CWnd attached;
    EXPECT_FALSE(attached.RestoreWindowProc());
    ASSERT_TRUE(attached.Attach(m_hWnd));
    EXPECT_FALSE(attached.RestoreWindowProc());
    EXPECT_EQ(CurrentProc(), m_pfnOriginal);
    attached.Detach();
}

TEST_F(WndTest, RowsOfTheClassComeFirstThenTheBaseTableThenThePreviousProcedure)
{
    Subclass();
    EXPECT_EQ(SendMessageA(m_hWnd, WM_TEST + 1, 0, 0), 0);
    EXPECT_EQ(SendMessageA(m_hWnd, WM_TEST + 2, 0, 0), 0);
    EXPECT_EQ(g_handled, (std::vector<std::string>{"base one", "derived two"}));
    EXPECT_TRUE(g_seen.empty()) << "handled messages do not reach the previous procedure";

    EXPECT_EQ(SendMessageA(m_hWnd, WM_TEST + 9, 77, 88), 5009) << "its result comes back";
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].nMessage, WM_TEST + 9);
    EXPECT_EQ(g_seen[0].wParam, 77u);
    EXPECT_EQ(g_seen[0].lParam, 88);

    EXPECT_EQ(SendMessageA(m_hWnd, WM_TEST + 3, 0, 0), 103) << "a raw handler's result comes back";
}

TEST_F(WndTest, CommandRowsMatchTheIdentifierWithNotificationCodeZero)
{
    Subclass();
    SendMessageA(m_hWnd, WM_COMMAND, 1000, 0);
    EXPECT_EQ(g_handled, (std::vector<std::string>{"play"}));
    EXPECT_FALSE(Seen(WM_COMMAND));

    SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(1000, 1), 0);
    SendMessageA(m_hWnd, WM_COMMAND, 1001, 0);
    EXPECT_EQ(g_handled.size(), 1u);
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].wParam, MAKEWPARAM(1000, 1));
    EXPECT_EQ(g_seen[1].wParam, 1001u);
}

TEST_F(WndTest, HandlersGetUnpackedArguments)
{
    Subclass();
    SendMessageA(m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, 300));
    EXPECT_EQ(m_wnd->m_nFlags, static_cast<UINT>(MK_LBUTTON | MK_SHIFT));
    EXPECT_EQ(m_wnd->m_point.x, -5);
    EXPECT_EQ(m_wnd->m_point.y, 300);
    EXPECT_FALSE(Seen(WM_LBUTTONDOWN));

    CWnd other;
    HWND hOther = CreateRecordingWindow();
    ASSERT_TRUE(other.Attach(hOther));
    SendMessageA(m_hWnd, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(hOther), 0);
    EXPECT_EQ(m_wnd->m_pPaletteWnd, &other);
    SendMessageA(m_hWnd, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
    EXPECT_EQ(m_wnd->m_pPaletteWnd, m_wnd.get());
    other.Detach();
    SendMessageA(m_hWnd, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(hOther), 0);
    EXPECT_EQ(m_wnd->m_pPaletteWnd, nullptr) << "a window without an object";
    DestroyWindow(hOther);
}

TEST_F(WndTest, DefaultPassesOnTheMessageBeingHandledAlsoAfterANestedOne)
{
    Subclass();
    SendMessageA(m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 60));
    EXPECT_EQ(g_handled, (std::vector<std::string>{"rbutton", "raw"}));
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].nMessage, WM_TEST + 3);
    EXPECT_EQ(g_seen[0].wParam, 1u);
    EXPECT_EQ(g_seen[0].lParam, 33);
    EXPECT_EQ(g_seen[1].nMessage, static_cast<UINT>(WM_RBUTTONDOWN));
    EXPECT_EQ(g_seen[1].wParam, static_cast<WPARAM>(MK_RBUTTON));
    EXPECT_EQ(g_seen[1].lParam, MAKELPARAM(50, 60));
    EXPECT_EQ(m_wnd->m_defaultResult, 5003) << "Default answers the previous procedure's result";
}

TEST_F(WndTest, DestroyingASubclassedWindowReleasesTheObjectsHold)
{
    Subclass();
    DestroyWindow(m_hWnd);
    EXPECT_TRUE(Seen(WM_NCDESTROY)) << "the previous procedure still sees the end";
    EXPECT_EQ(m_wnd->GetSafeHwnd(), nullptr);
    EXPECT_EQ(*m_wnd->GetSuperWndProcAddr(), nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(m_hWnd), nullptr);
    EXPECT_FALSE(m_wnd->RestoreWindowProc());
}

TEST_F(WndTest, DeletingASubclassingObjectRestoresTheProcedureAndKeepsTheWindow)
{
    Subclass();
    m_wnd.reset();
    EXPECT_TRUE(IsWindow(m_hWnd));
    EXPECT_EQ(CurrentProc(), m_pfnOriginal);
    EXPECT_EQ(CWnd::FromHandlePermanent(m_hWnd), nullptr);
}

TEST_F(WndTest, CreateMakesAChildOfASystemClassThatGoesWithTheObject)
{
    CWnd parent;
    ASSERT_TRUE(parent.Attach(m_hWnd));
    auto child = std::make_unique<CWnd>();
    RECT none = {-1, -1, -1, -1};
    ASSERT_TRUE(child->Create("STATIC", "SIDEWINDOW", WS_CHILD, none, &parent, 0));
    HWND hChild = child->GetSafeHwnd();
    ASSERT_TRUE(IsWindow(hChild));
    EXPECT_EQ(CWnd::FromHandlePermanent(hChild), child.get());
    EXPECT_EQ(GetParent(hChild), m_hWnd);
    char szClass[32] = "", szTitle[32] = "";
    GetClassNameA(hChild, szClass, sizeof szClass);
    GetWindowTextA(hChild, szTitle, sizeof szTitle);
    EXPECT_STRCASEEQ(szClass, "STATIC");
    EXPECT_STREQ(szTitle, "SIDEWINDOW");
    LONG style = GetWindowLongA(hChild, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_VISIBLE);
    EXPECT_EQ(GetDlgCtrlID(hChild), 0);
    RECT rc;
    child->GetWindowRect(&rc);
    EXPECT_TRUE(IsRectEmpty(&rc));
    POINT origin = {rc.left, rc.top};
    ScreenToClient(m_hWnd, &origin);
    EXPECT_EQ(origin.x, -1);
    EXPECT_EQ(origin.y, -1);
    EXPECT_FALSE(child->Create("STATIC", "again", WS_CHILD, none, &parent, 0));

    child.reset();
    EXPECT_FALSE(IsWindow(hChild));
    EXPECT_EQ(CWnd::FromHandlePermanent(hChild), nullptr);

    CWnd numbered;
    RECT rcArea = {5, 6, 25, 16};
    ASSERT_TRUE(numbered.Create("STATIC", "", WS_CHILD | WS_VISIBLE, rcArea, &parent, 7));
    EXPECT_EQ(GetDlgCtrlID(numbered.GetSafeHwnd()), 7);
    RECT rcClient;
    numbered.GetClientRect(&rcClient);
    EXPECT_EQ(rcClient.right, 20);
    EXPECT_EQ(rcClient.bottom, 10);
    EXPECT_TRUE(numbered.DestroyWindow());
    EXPECT_EQ(numbered.GetSafeHwnd(), nullptr);

    CWnd broken;
    EXPECT_FALSE(broken.Create("NoSuchWindowClass", "", WS_CHILD, rcArea, &parent, 0));
    EXPECT_EQ(broken.GetSafeHwnd(), nullptr);
    parent.Detach();
}

TEST_F(WndTest, DestroyWindowOnlyDestroysWindowsTheObjectCreated)
{
    Subclass();
    EXPECT_FALSE(m_wnd->DestroyWindow());
    EXPECT_TRUE(IsWindow(m_hWnd));
    EXPECT_EQ(m_wnd->GetSafeHwnd(), m_hWnd);
}

// A window the object created goes away with its parent (the browser destroying its window
// first): the object lets go of the handle at once, so that a value the system hands out
// again can be attached to another object and is never destroyed by this one.
TEST_F(WndTest, ACreatedWindowDestroyedWithItsParentIsForgotten)
{
    CWnd parent;
    ASSERT_TRUE(parent.Attach(m_hWnd));
    auto child = std::make_unique<CWnd>();
    RECT none = {-1, -1, -1, -1};
    ASSERT_TRUE(child->Create("STATIC", "SIDEWINDOW", WS_CHILD, none, &parent, 0));
    HWND hChild = child->GetSafeHwnd();
    parent.Detach();
    DestroyWindow(m_hWnd);
    EXPECT_FALSE(IsWindow(hChild));
    EXPECT_EQ(child->GetSafeHwnd(), nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hChild), nullptr);
    EXPECT_FALSE(child->DestroyWindow());

    CWnd reuser;
    EXPECT_TRUE(reuser.Attach(hChild)) << "the handle value is free for a new window";
    child.reset();
    EXPECT_EQ(CWnd::FromHandlePermanent(hChild), &reuser);
    reuser.Detach();
}
}  // namespace
