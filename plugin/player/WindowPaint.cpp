// Painting of the plug-in window: the device's picture, a black area (embedded)
// or a sunken grey frame (full page), and the logo while no clip is open.
#include "PluginWindow.h"

#include "Dc.h"
#include "GdiObjects.h"
#include "LibraryInstance.h"
#include "MciPlayer.h"
#include "PluginInstance.h"

namespace {
// Size the logo is stretched to.
const int LOGO_WIDTH = 160;
const int LOGO_HEIGHT = 120;
// Depth of the full-page frame, in lines.
const int FULL_PAGE_FRAME = 20;
}  // namespace

// In full-page mode, while the clip downloads, the picture is left out of the
// frame fill - except on the first paint after the logo was shown, which fills
// everything and so wipes the logo.
void CPluginWindow::OnPaint()
{
    if (s_bInPaint)
        return;
    s_bInPaint = TRUE;

    RECT rcClient;
    GetClientRect(&rcClient);
    RECT rcExclude = {0, 0, 0, 0};
    CMciPlayer* pPlayer = GetPlayer();
    if (pPlayer != NULL)
    {
        pPlayer->Update();
        RECT rcDest;  // left, top, width, height
        if (pPlayer->CenterVideo(&rcDest))
        {
            if (!s_bLogoShown && m_pInstance->m_bStreamOpen)
                SetRect(&rcExclude, rcDest.left, rcDest.top, rcDest.left + rcDest.right, rcDest.top + rcDest.bottom);
            else
                s_bLogoShown = FALSE;
        }
    }

    if (m_pInstance != NULL && m_pInstance->m_wMode == NP_FULL)
    {
        DrawFrame(FULL_PAGE_FRAME, &rcExclude);
    }
    else
    {
        CPaintDC dc(this);
        dc.PatBlt(rcClient.left, rcClient.top, rcClient.right - rcClient.left, rcClient.bottom - rcClient.top,
                  BLACKNESS);
    }

    if (pPlayer != NULL && !pPlayer->m_bPlaying && !pPlayer->m_bOpened)
    {
        DrawLogo();
        s_bLogoShown = TRUE;
    }
    s_bInPaint = FALSE;
}

// The lines start one pixel outside the client area and LineTo leaves out its
// end point, so of nWidth 20 the dark top and left bands show 19 pixels, the
// light bottom band 18 and the light right band 17.
void CPluginWindow::DrawFrame(int nWidth, const RECT* pExclude)
{
    CBrush brush(GetSysColor(COLOR_BTNFACE));
    CPen shadowPen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    CPen highlightPen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));

    CPaintDC dc(this);
    dc.ExcludeClipRect(pExclude);
    RECT rc;
    GetClientRect(&rc);
    dc.FillRect(&rc, brush.GetSafeHandle());
    InflateRect(&rc, 1, 1);

    HGDIOBJ hOldPen = dc.SelectObject(shadowPen.GetSafeHandle());
    for (int i = 0; i < nWidth; i++)
    {
        dc.MoveTo(rc.right - i + 1, rc.top + i);
        dc.LineTo(rc.left + i, rc.top + i);
        dc.LineTo(rc.left + i, rc.bottom - i);
    }
    dc.SelectObject(highlightPen.GetSafeHandle());
    for (int i = 0; i < nWidth; i++)
    {
        dc.MoveTo(rc.left + i, rc.bottom - i);
        dc.LineTo(rc.right - i + 1, rc.bottom - i);
        dc.LineTo(rc.right - i + 1, rc.top + i);
    }
    dc.SelectObject(hOldPen);
}

// Drawn through a context for the whole client area, so the logo is not clipped
// to the region being painted. The bitmap is loaded anew every time.
void CPluginWindow::DrawLogo()
{
    RECT rc;
    GetClientRect(&rc);
    CClientDC dc(m_hWnd);
    CBitmap bitmap;
    if (!bitmap.LoadBitmap(GetLibraryInstance(), IDB_LOGO))
        return;
    CMemoryDC memDC(dc);
    HGDIOBJ hOldBitmap = memDC.SelectObject(bitmap.GetSafeHandle());
    dc.SetStretchBltMode(COLORONCOLOR);
    BITMAP bm = {};
    bitmap.GetBitmap(&bm);
    int x = (rc.right - rc.left) / 2 - LOGO_WIDTH / 2;
    int y = (rc.bottom - rc.top) / 2 - LOGO_HEIGHT / 2;
    dc.StretchBlt(x, y, LOGO_WIDTH, LOGO_HEIGHT, memDC, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    memDC.SelectObject(hOldBitmap);
}
