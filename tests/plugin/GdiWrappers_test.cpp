// Drawing and menu wrappers of the window framework: paint and window contexts,
// pen, brush, bitmap, memory context, and a popup menu whose command comes back
// through the owner's message table.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Dc.h"
#include "GdiObjects.h"
#include "Menu.h"
#include "TestWindows.h"
#include "Wnd.h"

namespace {
const COLORREF GREEN = RGB(10, 200, 30);
const COLORREF RED = RGB(200, 0, 0);

class CPaintingWnd : public CWnd
{
public:
    const CMessageTable* GetMessageTable() const override { return &s_messageTable; }
    static const CMessageRow s_messageRows[];
    static const CMessageTable s_messageTable;

    int m_nPaints = 0;    // WM_PAINT handled
    RECT m_rcPaint = {};  // update rectangle BeginPaint reported
    UINT m_nCommand = 0;  // last menu command received

private:
    void OnPaint()
    {
        CPaintDC dc(this);
        m_rcPaint = dc.m_ps.rcPaint;
        RECT rc;
        GetClientRect(&rc);
        dc.PatBlt(0, 0, rc.right, rc.bottom, BLACKNESS);
        m_nPaints++;
    }
    void OnPlay() { m_nCommand = 1000; }
    void OnStop() { m_nCommand = 1001; }
};
const CMessageRow CPaintingWnd::s_messageRows[] = {
    MessageRow<&CPaintingWnd::OnPaint>(WM_PAINT),
    CommandRow<&CPaintingWnd::OnPlay>(1000),
    CommandRow<&CPaintingWnd::OnStop>(1001),
};
const CMessageTable CPaintingWnd::s_messageTable = MakeMessageTable(&CWnd::s_messageTable, s_messageRows);

class GdiWrappersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hWnd = CreateTestHost(200, 150);
        ASSERT_NE(m_hWnd, nullptr);
        ASSERT_TRUE(m_wnd.SubclassWindow(m_hWnd));
        UpdateWindow(m_hWnd);
    }
    void TearDown() override
    {
        m_wnd.RestoreWindowProc();
        m_wnd.Detach();
        DestroyWindow(m_hWnd);
    }

    HWND m_hWnd = NULL;
    CPaintingWnd m_wnd;
};

TEST_F(GdiWrappersTest, PaintContextPaintsTheWindowAndValidatesIt)
{
    CClientDC dc(m_hWnd);
    dc.PatBlt(0, 0, 200, 150, WHITENESS);
    int nBefore = m_wnd.m_nPaints;
    RECT rcDirty = {10, 20, 50, 60};
    InvalidateRect(m_hWnd, &rcDirty, FALSE);
    UpdateWindow(m_hWnd);
    EXPECT_EQ(m_wnd.m_nPaints, nBefore + 1);
    EXPECT_TRUE(EqualRect(&m_wnd.m_rcPaint, &rcDirty));
    EXPECT_EQ(GetPixel(dc.GetSafeHdc(), 30, 40), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc.GetSafeHdc(), 100, 100), RGB(255, 255, 255))
        << "the paint context clips to the update region";
    EXPECT_FALSE(GetUpdateRect(m_hWnd, NULL, FALSE)) << "EndPaint validated the window";
}

TEST_F(GdiWrappersTest, BrushPenAndClippingDrawWhereAsked)
{
    CClientDC dc(m_hWnd);
    ASSERT_NE(dc.GetSafeHdc(), nullptr);
    CBrush brush(GREEN);
    RECT rcAll = {0, 0, 200, 150};
    dc.FillRect(&rcAll, brush.GetSafeHandle());
    EXPECT_EQ(GetPixel(dc.GetSafeHdc(), 5, 5), GREEN);

    {
        CPen pen(PS_SOLID, 1, RED);
        HGDIOBJ hOld = dc.SelectObject(pen.GetSafeHandle());
        dc.MoveTo(10, 50);
        dc.LineTo(60, 50);
        EXPECT_EQ(dc.SelectObject(hOld), pen.GetSafeHandle());
    }
    EXPECT_EQ(GetPixel(dc.GetSafeHdc(), 10, 50), RED);
    EXPECT_EQ(GetPixel(dc.GetSafeHdc(), 59, 50), RED);
    EXPECT_EQ(GetPixel(dc.GetSafeHdc(), 60, 50), GREEN) << "LineTo leaves out its end point";

    RECT rcKeep = {100, 100, 120, 120};
    dc.ExcludeClipRect(&rcKeep);
    dc.PatBlt(0, 0, 200, 150, BLACKNESS);
    EXPECT_EQ(GetPixel(dc.GetSafeHdc(), 110, 110), GREEN);
    EXPECT_EQ(GetPixel(dc.GetSafeHdc(), 99, 110), RGB(0, 0, 0));
}

TEST_F(GdiWrappersTest, BitmapLoadsIntoAMemoryContextAndStretches)
{
    CBitmap missing;
    EXPECT_FALSE(missing.LoadBitmap(GetModuleHandleA(NULL), 129)) << "this program has no bitmap 129";
    BITMAP info;
    EXPECT_FALSE(missing.GetBitmap(&info));

    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(NULL, 32754));  // OBM_CLOSE, a system bitmap
    ASSERT_TRUE(bitmap.GetBitmap(&info));
    ASSERT_GT(info.bmWidth, 0);
    ASSERT_GT(info.bmHeight, 0);

    CClientDC dc(m_hWnd);
    CMemoryDC memory(dc);
    ASSERT_NE(memory.GetSafeHdc(), nullptr);
    HGDIOBJ hOld = memory.SelectObject(bitmap.GetSafeHandle());
    dc.SetStretchBltMode(COLORONCOLOR);
    ASSERT_TRUE(
        dc.StretchBlt(0, 0, info.bmWidth * 2, info.bmHeight * 2, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY));
    int nDiffering = 0;
    for (int y = 0; y < info.bmHeight; y++)
        for (int x = 0; x < info.bmWidth; x++)
            nDiffering += GetPixel(dc.GetSafeHdc(), 2 * x + 1, 2 * y + 1) != GetPixel(memory.GetSafeHdc(), x, y);
    EXPECT_EQ(nDiffering, 0);
    memory.SelectObject(hOld);
}

// Picks the first enabled item of the popup menu that appears, from another thread.
void PickFirstItem(std::atomic<int>* pItems, std::atomic<bool>* pSecondGrayed)
{
    HWND hMenuWnd = NULL;
    for (int i = 0; i < 250 && !(hMenuWnd = FindWindowA("#32768", NULL)); i++)
        Sleep(20);
    if (hMenuWnd == NULL)
        return;
    HMENU hMenu = reinterpret_cast<HMENU>(SendMessageA(hMenuWnd, 0x01E1 /* MN_GETHMENU */, 0, 0));
    *pItems = GetMenuItemCount(hMenu);
    *pSecondGrayed = (GetMenuState(hMenu, 1, MF_BYPOSITION) & MF_GRAYED) != 0;
    PostMessageA(hMenuWnd, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(hMenuWnd, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(GdiWrappersTest, PopupMenuHoldsItsItemsAndSendsTheChoiceThroughTheTable)
{
    HMENU hMenu;
    {
        CMenu menu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        hMenu = menu.GetSafeHmenu();
        ASSERT_TRUE(menu.AppendMenu(0, 1000, "&Play..."));
        ASSERT_TRUE(menu.AppendMenu(MF_GRAYED, 1001, "&Stop..."));
        ASSERT_EQ(GetMenuItemCount(hMenu), 2);
        char szText[32];
        GetMenuStringA(hMenu, 1, szText, sizeof szText, MF_BYPOSITION);
        EXPECT_STREQ(szText, "&Stop...");
        EXPECT_EQ(GetMenuItemID(hMenu, 0), 1000u);

        std::atomic<int> nItems(0);
        std::atomic<bool> bSecondGrayed(false);
        std::thread picker(PickFirstItem, &nItems, &bSecondGrayed);
        POINT pt = {20, 20};
        m_wnd.ClientToScreen(&pt);
        EXPECT_TRUE(menu.TrackPopupMenu(TPM_RIGHTBUTTON, pt.x, pt.y, &m_wnd));
        picker.join();
        EXPECT_EQ(nItems, 2);
        EXPECT_TRUE(bSecondGrayed);
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        EXPECT_EQ(m_wnd.m_nCommand, 1000u);
    }
    EXPECT_FALSE(IsMenu(hMenu)) << "the menu goes with its object";
}
}  // namespace
