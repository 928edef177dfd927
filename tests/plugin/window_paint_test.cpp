// Painting of the plug-in window, read back pixel by pixel: black (embedded) or the
// sunken frame (full page), the logo centred and stretched, the picture left out of
// the frame while the clip downloads, dropped nested paints, the palette notification.
#include <gtest/gtest.h>

#include "MciImports.h"
#include "PluginInstance.h"
#include "TestWindows.h"
#include "WindowRig.h"

namespace {
const COLORREF BLACK = RGB(0, 0, 0);
const int LOGO_WIDTH = 160;
const int LOGO_HEIGHT = 120;

// The logo bitmap of the library stretched to the logo's size by GDI, as the window must show it.
CPixels StretchedLogo()
{
    HBITMAP hBitmap = LoadBitmapA(Plugin().Module(), MAKEINTRESOURCEA(IDB_LOGO));
    BITMAP bm = {};
    GetObjectA(hBitmap, sizeof(bm), &bm);
    HDC hScreen = GetDC(NULL);
    HDC hSrc = CreateCompatibleDC(hScreen);
    HGDIOBJ hOldSrc = SelectObject(hSrc, hBitmap);
    HBITMAP hStretched = CreateCompatibleBitmap(hScreen, LOGO_WIDTH, LOGO_HEIGHT);
    HDC hDst = CreateCompatibleDC(hScreen);
    HGDIOBJ hOldDst = SelectObject(hDst, hStretched);
    SetStretchBltMode(hDst, COLORONCOLOR);
    StretchBlt(hDst, 0, 0, LOGO_WIDTH, LOGO_HEIGHT, hSrc, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    CPixels logo = CPixels::FromDC(hDst, 0, 0, LOGO_WIDTH, LOGO_HEIGHT);
    SelectObject(hDst, hOldDst);
    SelectObject(hSrc, hOldSrc);
    DeleteDC(hDst);
    DeleteDC(hSrc);
    DeleteObject(hStretched);
    DeleteObject(hBitmap);
    ReleaseDC(NULL, hScreen);
    return logo;
}

// Every pixel of the window outside the rectangle has the colour.
int CountOutsideNot(const CPixels& pixels, const RECT& rcInside, COLORREF colour)
{
    int n = 0;
    for (int y = 0; y < pixels.Height(); y++)
        for (int x = 0; x < pixels.Width(); x++)
        {
            POINT pt = {x, y};
            if (!PtInRect(&rcInside, pt) && pixels.At(x, y) != colour)
                n++;
        }
    return n;
}

class WindowPaint : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error();
        m_face = GetSysColor(COLOR_BTNFACE);
        m_shadow = GetSysColor(COLOR_BTNSHADOW);
        m_highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
        ASSERT_NE(m_face, m_shadow);
        ASSERT_NE(m_face, m_highlight);
    }

    // The four bands of the full-page frame, checked along the edges away from the corners.
    void ExpectFrameBands(const CPixels& px)
    {
        const int w = px.Width(), h = px.Height();
        int nWrong = 0;
        for (int x = 25; x < w - 25; x++)
        {
            for (int y = 0; y < 19; y++)
                nWrong += px.At(x, y) != m_shadow;
            nWrong += px.At(x, 19) != m_face;
            for (int y = h - 18; y < h; y++)
                nWrong += px.At(x, y) != m_highlight;
            nWrong += px.At(x, h - 19) != m_face;
        }
        for (int y = 25; y < h - 25; y++)
        {
            for (int x = 0; x < 19; x++)
                nWrong += px.At(x, y) != m_shadow;
            nWrong += px.At(19, y) != m_face;
            for (int x = w - 17; x < w; x++)
                nWrong += px.At(x, y) != m_highlight;
            nWrong += px.At(w - 18, y) != m_face;
        }
        EXPECT_EQ(0, nWrong) << "dark top/left bands of 19 pixels, light bottom 18 and right 17";
    }

    // Delivers the clip, plays it and pauses it a few frames in; the paused frame number.
    DWORD OpenAndPause(CWindowRig& rig)
    {
        EXPECT_TRUE(rig.DeliverWholeClip(ReadFileBytes(TestDataFile("window160.avi"))));
        rig.Command(ID_PLAY);
        MCIDEVICEID id = rig.Player()->m_wDeviceID;
        EXPECT_NE(0u, id);
        EXPECT_TRUE(WaitFor([&] { return DevicePosition(id) >= 5 && DevicePosition(id) != 0xFFFFFFFF; }));
        rig.Command(ID_PAUSE);
        EXPECT_TRUE(WaitFor([&] { return DeviceMode(id) != MCI_MODE_PLAY; }));
        return DevicePosition(id);
    }

    COLORREF m_face, m_shadow, m_highlight;  // the system colours of the frame
};

struct CLogoCase
{
    int nWidth, nHeight;  // client size
    int x, y;             // where the logo's top-left corner lands
};

class WindowLogo : public WindowPaint, public ::testing::WithParamInterface<CLogoCase>
{};
}  // namespace

TEST_P(WindowLogo, EmbeddedWindowIsBlackWithTheLogoCentredAndStretched)
{
    const CLogoCase& c = GetParam();
    CWindowRig rig(NP_EMBED, c.nWidth, c.nHeight);
    ASSERT_TRUE(rig.IsReady());
    rig.Repaint();
    CPixels px = rig.Pixels();
    ASSERT_EQ(c.nWidth, px.Width());

    CPixels logo = StretchedLogo();
    EXPECT_EQ(0, CountDiffering(px, c.x, c.y, logo)) << "logo expected at (" << c.x << ", " << c.y << ")";
    RECT rcLogo = {c.x, c.y, c.x + LOGO_WIDTH, c.y + LOGO_HEIGHT};
    EXPECT_EQ(0, CountOutsideNot(px, rcLogo, BLACK));
    // The logo is a picture: shifted by one pixel it would not match.
    EXPECT_GT(CountDiffering(px, c.x + 1, c.y, logo), 100);
    EXPECT_GT(CountDiffering(px, c.x, c.y + 1, logo), 100);
}

INSTANTIATE_TEST_SUITE_P(ClientSizes, WindowLogo,
                         ::testing::Values(CLogoCase{100, 50, -30, -35}, CLogoCase{321, 241, 80, 60},
                                           CLogoCase{200, 150, 20, 15}, CLogoCase{161, 121, 0, 0}),
                         [](const ::testing::TestParamInfo<CLogoCase>& info) {
                             return std::to_string(info.param.nWidth) + "x" + std::to_string(info.param.nHeight);
                         });

TEST_F(WindowPaint, FullPageWindowPaintsTheSunkenFrameAroundTheLogo)
{
    CWindowRig rig(NP_FULL, 400, 300);
    ASSERT_TRUE(rig.IsReady());
    rig.Repaint();
    CPixels px = rig.Pixels();
    ExpectFrameBands(px);
    EXPECT_EQ(0, CountDiffering(px, 120, 90, StretchedLogo()));
    RECT rcInner = {20, 20, 400 - 19, 300 - 19};
    RECT rcLogo = {120, 90, 280, 210};
    int nNotFace = 0;
    for (int y = rcInner.top; y < rcInner.bottom; y++)
        for (int x = rcInner.left; x < rcInner.right; x++)
        {
            POINT pt = {x, y};
            nNotFace += !PtInRect(&rcLogo, pt) && px.At(x, y) != m_face;
        }
    EXPECT_EQ(0, nNotFace) << "inside the frame the area is button face";
}

TEST_F(WindowPaint, OpenedClipHidesTheLogoAndEmbeddedPaintsBlackOverThePicture)
{
    CWindowRig rig(NP_EMBED, 320, 240, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    OpenAndPause(rig);
    ASSERT_TRUE(rig.Player()->m_bOpened);
    CMciSpy::Reset();
    rig.Repaint();
    EXPECT_EQ(1u, CMciSpy::CallsOf(MCI_UPDATE).size()) << "the device redraws its frame first";
    EXPECT_EQ(0, CountNot(rig.Pixels(), RECT{0, 0, 320, 240}, BLACK)) << "then black covers everything";
}

TEST_F(WindowPaint, FullPageLeavesThePictureOutOfTheFrameOnlyWhileTheClipDownloads)
{
    CClipFrames frames;
    CWindowRig rig(NP_FULL, 400, 300, NoAutoStart());
    CWindowRig other(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady() && other.IsReady());
    DWORD dwPaused = OpenAndPause(rig);
    const int x = (400 - CLIP_WIDTH) / 2, y = (300 - CLIP_HEIGHT) / 2;
    RECT rcPicture = {x, y, x + CLIP_WIDTH, y + CLIP_HEIGHT};

    // A browser window that erases nothing, so what stays in the picture area is
    // what the device drew there.
    ULONG_PTR hBrush = SetClassLongPtrA(rig.Handle(), GCLP_HBRBACKGROUND, 0);

    // Another window shows its logo; the flag is shared, so the next paint here
    // during the download still fills everything.
    other.Repaint();
    rig.Record()->m_bStreamOpen = TRUE;
    rig.Repaint();
    CPixels px = rig.Pixels();
    ExpectFrameBands(px);
    EXPECT_EQ(0, CountNot(px, rcPicture, m_face)) << "first paint after a logo wipes the picture";

    rig.Repaint();
    px = rig.Pixels();
    ExpectFrameBands(px);
    int nDiffering = 0;
    DWORD shown = frames.BestMatch(px, x, y, &nDiffering);
    EXPECT_EQ(0, nDiffering) << "the device's frame stays in the picture area";
    EXPECT_LE(shown, dwPaused);
    EXPECT_GE(shown + 1, dwPaused);

    // Once the download has ended every paint fills the picture area too.
    rig.Record()->m_bStreamOpen = FALSE;
    rig.Repaint();
    px = rig.Pixels();
    ExpectFrameBands(px);
    EXPECT_EQ(0, CountNot(px, rcPicture, m_face));
    SetClassLongPtrA(rig.Handle(), GCLP_HBRBACKGROUND, hBrush);
}

TEST_F(WindowPaint, PaletteChangeByAnotherWindowRealizesThePictureInTheBackground)
{
    CWindowRig rig(NP_EMBED, 200, 150, NoAutoStart());
    ASSERT_TRUE(rig.IsReady());
    OpenAndPause(rig);
    MCIDEVICEID id = rig.Player()->m_wDeviceID;
    CMciSpy::Reset();
    rig.Area().ClearMessages();

    SendMessageA(rig.Handle(), WM_PALETTECHANGED, reinterpret_cast<WPARAM>(rig.Handle()), 0);
    EXPECT_TRUE(CMciSpy::CallsOf(MCI_REALIZE).empty()) << "its own palette change is ignored";

    HWND hOther = CreateTestHost(50, 50);
    SendMessageA(rig.Handle(), WM_PALETTECHANGED, reinterpret_cast<WPARAM>(hOther), 0);
    ASSERT_EQ(1u, CMciSpy::CallsOf(MCI_REALIZE).size());
    const CMciCall realize = CMciSpy::CallsOf(MCI_REALIZE)[0];
    EXPECT_EQ(id, realize.wDeviceID);
    EXPECT_EQ(static_cast<DWORD>(MCI_DGV_REALIZE_BKGD), realize.dwFlags);
    EXPECT_FALSE(realize.bHasParams);
    EXPECT_EQ(0, rig.Area().CountOf(WM_PALETTECHANGED)) << "the notification is the window's own";
    DestroyWindow(hOther);
}

// The window class itself (linked into this program, no instance): it paints
// black, and a paint that arrives while any plug-in window paints is dropped.
TEST(WindowPaintWithoutInstance, PaintsBlackAndDropsAPaintDuringAPaint)
{
    HWND hHost = CreateTestHost(120, 90);
    HWND hWnd = CreateWindowExA(0, TEST_WINDOW_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 120, 90, hHost, NULL,
                                GetModuleHandleA(NULL), NULL);
    ASSERT_NE(nullptr, hWnd);
    CPluginWindow window;
    ASSERT_TRUE(window.SubclassWindow(hWnd));
    const RECT rc = {0, 0, 120, 90};
    HDC hdc = GetDC(hWnd);
    HBRUSH hRed = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(hdc, &rc, hRed);
    ReleaseDC(hWnd, hdc);
    DeleteObject(hRed);

    CPluginWindow::s_bInPaint = TRUE;
    InvalidateRect(hWnd, NULL, FALSE);
    SendMessageA(hWnd, WM_PAINT, 0, 0);
    RECT rcUpdate;
    EXPECT_TRUE(GetUpdateRect(hWnd, &rcUpdate, FALSE)) << "a dropped paint validates nothing";
    EXPECT_EQ(0, CountNot(CPixels::OfWindow(hWnd), rc, RGB(255, 0, 0))) << "and draws nothing";

    CPluginWindow::s_bInPaint = FALSE;
    UpdateWindow(hWnd);
    EXPECT_FALSE(GetUpdateRect(hWnd, &rcUpdate, FALSE));
    EXPECT_EQ(0, CountNot(CPixels::OfWindow(hWnd), rc, BLACK)) << "no instance: black, no logo";
    EXPECT_FALSE(CPluginWindow::s_bInPaint);
    EXPECT_FALSE(CPluginWindow::s_bLogoShown);

    window.RestoreWindowProc();
    window.Detach();
    DestroyWindow(hHost);
}
