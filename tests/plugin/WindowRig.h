// Rig of the plug-in window tests: an instance of streamplug.dll in a browser
// window of a chosen size, clip streams delivered to it, the window's pixels read
// back, the clip's decoded frames to compare them with, and the popup menu.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BrowserWindow.h"
#include "MciImports.h"
#include "MciPlayer.h"
#include "PluginLibrary.h"
#include "PluginWindow.h"
#include "RigInstance.h"
#include "snapshot.h"
#include "StreamRig.h"

// The window test clip: 160 x 120, 90 frames, made by the build with ffmpeg.
const int CLIP_WIDTH = 160;
const int CLIP_HEIGHT = 120;
const DWORD CLIP_FRAMES = 90;

// Linux path of a file the build made for the tests.
inline std::string TestDataFile(const char* pszName)
{
    return std::string(PLUGIN_TEST_DATA) + "/" + pszName;
}

// Polls pred every 10 ms, dispatching this thread's messages, for at most nTimeoutMs.
template <class Pred>
bool PumpUntil(Pred pred, DWORD nTimeoutMs = 10000)
{
    DWORD dwStart = GetTickCount();
    while (!pred())
    {
        if (GetTickCount() - dwStart > nTimeoutMs)
            return pred();
        PumpMessages();
        Sleep(10);
    }
    return true;
}

// A rectangle of 32-bit pixels, top-down.
class CPixels
{
public:
    CPixels() : m_nWidth(0), m_nHeight(0) {}
    CPixels(int nWidth, int nHeight) : m_nWidth(nWidth), m_nHeight(nHeight), m_bits(nWidth * nHeight) {}

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    COLORREF At(int x, int y) const
    {
        DWORD v = m_bits[y * m_nWidth + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    void Set(int x, int y, COLORREF c)
    {
        m_bits[y * m_nWidth + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight; }

    // What hdc shows in (x, y, nWidth, nHeight), captured as the page viewer captures windows.
    static CPixels FromDC(HDC hdc, int x, int y, int nWidth, int nHeight)
    {
        CPixels pixels(nWidth, nHeight);
        avsview::Image image;
        if (!avsview::captureArea(hdc, x, y, nWidth, nHeight, image))
            return pixels;
        const uint8_t* p = image.rgb.data();
        for (DWORD& v : pixels.m_bits)
        {
            v = (p[0] << 16) | (p[1] << 8) | p[2];
            p += 3;
        }
        return pixels;
    }
    // The whole client area of a window.
    static CPixels OfWindow(HWND hWnd)
    {
        RECT rc;
        GetClientRect(hWnd, &rc);
        HDC hdc = GetDC(hWnd);
        CPixels pixels = FromDC(hdc, 0, 0, rc.right, rc.bottom);
        ReleaseDC(hWnd, hdc);
        return pixels;
    }

private:
    int m_nWidth, m_nHeight;    // size in pixels
    std::vector<DWORD> m_bits;  // 0x00RRGGBB per pixel, rows top-down
};

// Pixels of the area (x, y, w, h) of 'pixels' that differ from 'expected' at
// (0, 0); pixels of the area outside 'pixels' are not counted.
inline int CountDiffering(const CPixels& pixels, int x, int y, const CPixels& expected)
{
    int n = 0;
    for (int j = 0; j < expected.Height(); j++)
        for (int i = 0; i < expected.Width(); i++)
            if (pixels.Contains(x + i, y + j) && pixels.At(x + i, y + j) != expected.At(i, j))
                n++;
    return n;
}

// Pixels of the area that are not all of one colour.
inline int CountNot(const CPixels& pixels, const RECT& rc, COLORREF colour)
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; y++)
        for (int x = rc.left; x < rc.right; x++)
            n += pixels.At(x, y) != colour;
    return n;
}

// The clip's frames as ffmpeg decodes them.
class CClipFrames
{
public:
    CClipFrames() : m_raw(ReadFileBytes(TestDataFile("window160.bgr"))) {}

    DWORD Count() const { return static_cast<DWORD>(m_raw.size() / FrameBytes()); }
    CPixels Frame(DWORD n) const
    {
        CPixels frame(CLIP_WIDTH, CLIP_HEIGHT);
        const BYTE* p = &m_raw[n * FrameBytes()];
        for (int y = 0; y < CLIP_HEIGHT; y++)
            for (int x = 0; x < CLIP_WIDTH; x++, p += 3)
                frame.Set(x, y, RGB(p[2], p[1], p[0]));
        return frame;
    }
    // The frame that the window area at (x, y) shows best, and by how many pixels it differs.
    DWORD BestMatch(const CPixels& window, int x, int y, int* pnDiffering) const
    {
        DWORD best = 0;
        int nBest = CLIP_WIDTH * CLIP_HEIGHT + 1;
        for (DWORD n = 0; n < Count(); n++)
        {
            int nDiffering = CountDiffering(window, x, y, Frame(n));
            if (nDiffering < nBest)
            {
                nBest = nDiffering;
                best = n;
            }
        }
        *pnDiffering = nBest;
        return best;
    }

private:
    static size_t FrameBytes() { return static_cast<size_t>(CLIP_WIDTH) * CLIP_HEIGHT * 3; }
    std::vector<BYTE> m_raw;  // every frame, top-down BGR
};

// One browser stream for an instance, delivered chunk by chunk.
class CClipStream
{
public:
    CClipStream(NPP npp, const char* pszUrl, DWORD dwEnd) : m_npp(npp), m_strUrl(pszUrl), m_stream(), m_nOffset(0)
    {
        m_stream.url = m_strUrl.c_str();
        m_stream.end = dwEnd;
        uint16_t type = 0;
        char szType[] = "video/avs";
        m_err = Plugin().Funcs().newstream(m_npp, szType, &m_stream, FALSE, &type);
    }
    NPError OpenResult() const { return m_err; }

    // The next bytes of the stream; false when the plug-in did not take them all.
    bool Write(const BYTE* pData, DWORD nBytes)
    {
        Plugin().Funcs().writeready(m_npp, &m_stream);
        int32_t n = Plugin().Funcs().write(m_npp, &m_stream, static_cast<int32_t>(m_nOffset),
                                           static_cast<int32_t>(nBytes), const_cast<BYTE*>(pData));
        m_nOffset += nBytes;
        return n == static_cast<int32_t>(nBytes);
    }
    bool Write(const std::vector<BYTE>& bytes) { return Write(bytes.data(), static_cast<DWORD>(bytes.size())); }
    NPError Close() { return Plugin().Funcs().destroystream(m_npp, &m_stream, NPRES_DONE); }

private:
    NPP m_npp;
    std::string m_strUrl;  // kept alive while the plug-in may read it
    NPStream m_stream;     // the stream as the browser holds it
    DWORD m_nOffset;       // stream offset of the next chunk
    NPError m_err;         // NPP_NewStream's answer
};

// Embed attributes that turn automatic playback off: the tests start playback themselves.
inline CRigInstance::Attributes NoAutoStart()
{
    return {{"src", "clip.avs"}, {"autostart", "false"}};
}

// A plug-in instance in a browser area of the given client size on a page window.
class CWindowRig
{
public:
    CWindowRig(uint16_t mode, int nWidth, int nHeight, const CRigInstance::Attributes& attributes = {})
        : m_page(NULL, nWidth + 40, nHeight + 80), m_area(m_page.Handle(), nWidth, nHeight), m_instance(Plugin())
    {
        m_bReady = m_instance.New(mode, attributes) == NPERR_NO_ERROR &&
                   m_instance.SetWindow(m_area.Handle()) == NPERR_NO_ERROR && Record() != NULL &&
                   Record()->m_pWindow != NULL;
        PumpMessages();
    }
    ~CWindowRig()
    {
        if (m_instance.IsCreated())
            m_instance.Destroy();
        PumpMessages();
    }

    bool IsReady() const { return m_bReady; }
    HWND Handle() const { return m_area.Handle(); }
    CBrowserWindow& Area() { return m_area; }
    CRigInstance& Instance() { return m_instance; }
    PluginInstance* Record() const { return m_instance.Record(); }
    CMciPlayer* Player() const { return Record()->m_pPlayer; }

    LRESULT Command(UINT nID) { return SendMessageA(Handle(), WM_COMMAND, nID, 0); }
    // The play routine reached through the window's table, as the left-button row passes the code on.
    void PlayRoutine(UINT nCode) { SendMessageA(Handle(), WM_LBUTTONDOWN, nCode, 0); }
    void Repaint()
    {
        InvalidateRect(Handle(), NULL, TRUE);
        UpdateWindow(Handle());
    }
    CPixels Pixels() const { return CPixels::OfWindow(Handle()); }

    // Delivers the whole clip (empty placed block) as a complete stream, by
    // default from a "file:" URL (so destruction offers no Save As); the clip is
    // then the instance's temporary file and no download is in progress.
    bool DeliverWholeClip(const std::vector<BYTE>& clip, const char* pszUrl = "file:///window160.avs")
    {
        DWORD dwEnd = static_cast<DWORD>(clip.size()) + 8;
        CClipStream stream(m_instance.Npp(), pszUrl, dwEnd);
        return stream.OpenResult() == NPERR_NO_ERROR && stream.Write(MakeStreamHeader(0, 0)) && stream.Write(clip) &&
               stream.Close() == NPERR_NO_ERROR;
    }

private:
    CBrowserWindow m_page;    // the browser's top-level page window
    CBrowserWindow m_area;    // the window handed to the instance
    CRigInstance m_instance;  // the instance, destroyed before the windows go
    bool m_bReady = false;    // instance created and attached to m_area
};

// One item of an open popup menu.
struct CMenuItem
{
    UINT nID;             // command identifier
    std::string strText;  // text with its '&'
    bool bGrayed;         // MF_GRAYED
    bool bSeparator;      // MF_SEPARATOR
};

// Reads the popup menu that the window under test opens, from another thread,
// then chooses an item by keyboard or dismisses it.
class CMenuWatcher
{
public:
    // nPick: identifier of the item to choose, 0 to dismiss the menu. The menu
    // is looked for during nTimeoutMs.
    explicit CMenuWatcher(UINT nPick, DWORD nTimeoutMs = 5000)
        : m_nPick(nPick), m_nTimeoutMs(nTimeoutMs), m_bFound(false), m_rcMenu()
    {
        m_thread = std::thread([this] { Watch(); });
    }
    ~CMenuWatcher() { Join(); }

    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    bool Found() const { return m_bFound; }
    // Screen rectangle of the menu window.
    const RECT& MenuRect() const { return m_rcMenu; }
    const std::vector<CMenuItem>& Items() const { return m_items; }
    const CMenuItem* Item(UINT nID) const
    {
        for (const CMenuItem& item : m_items)
            if (item.nID == nID)
                return &item;
        return NULL;
    }

private:
    void Watch()
    {
        HWND hMenuWnd = NULL;
        DWORD dwStart = GetTickCount();
        while ((hMenuWnd = FindWindowA("#32768", NULL)) == NULL && GetTickCount() - dwStart < m_nTimeoutMs)
            Sleep(10);
        if (hMenuWnd == NULL)
            return;
        // The menu window is placed at the point when it is shown.
        while (!IsWindowVisible(hMenuWnd) && GetTickCount() - dwStart < m_nTimeoutMs)
            Sleep(10);
        GetWindowRect(hMenuWnd, &m_rcMenu);
        HMENU hMenu = reinterpret_cast<HMENU>(SendMessageA(hMenuWnd, 0x01E1 /* MN_GETHMENU */, 0, 0));
        int n = GetMenuItemCount(hMenu);
        for (int i = 0; i < n; i++)
        {
            char szText[64] = "";
            GetMenuStringA(hMenu, i, szText, sizeof(szText), MF_BYPOSITION);
            UINT nState = GetMenuState(hMenu, i, MF_BYPOSITION);
            CMenuItem item = {GetMenuItemID(hMenu, i), szText, (nState & MF_GRAYED) != 0, (nState & MF_SEPARATOR) != 0};
            m_items.push_back(item);
        }
        m_bFound = true;
        int nIndex = -1;
        for (int i = 0; i < n; i++)
            if (m_nPick != 0 && m_items[i].nID == m_nPick)
                nIndex = i;
        if (nIndex < 0)
        {
            PostMessageA(hMenuWnd, WM_KEYDOWN, VK_ESCAPE, 0);
            return;
        }
        // The first VK_DOWN selects the first item, each further one the next item.
        for (int i = 0; i <= nIndex; i++)
            PostMessageA(hMenuWnd, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(hMenuWnd, WM_KEYDOWN, VK_RETURN, 0);
        // A grayed item cannot be chosen: the menu stays open until dismissed.
        Sleep(200);
        if (IsWindow(hMenuWnd) && IsWindowVisible(hMenuWnd))
            PostMessageA(hMenuWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    }

    UINT m_nPick;                    // item to choose, 0 for none
    DWORD m_nTimeoutMs;              // how long the menu is looked for
    bool m_bFound;                   // the menu was found and read
    RECT m_rcMenu;                   // where the menu was shown
    std::vector<CMenuItem> m_items;  // the menu as it was shown
    std::thread m_thread;
};

// Right-clicks the window at client point (x, y) with a watcher on the menu;
// the chosen command (if any) is then dispatched.
inline std::vector<CMenuItem> OpenMenu(HWND hWnd, UINT nPick = 0, int x = 10, int y = 10, bool* pbFound = NULL)
{
    CMenuWatcher watcher(nPick);
    SendMessageA(hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
    watcher.Join();
    PumpMessages();
    if (pbFound != NULL)
        *pbFound = watcher.Found();
    return watcher.Items();
}
