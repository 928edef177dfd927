// The rig's browser windows: one registered class whose procedure records
// each message for the CBrowserWindow object stored in the window's user data.
#include "BrowserWindow.h"

#include <algorithm>

namespace {
const char s_szClassName[] = "RigBrowserWindow";

void RegisterBrowserClass()
{
    static bool s_bRegistered = false;
    if (s_bRegistered)
        return;
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = CBrowserWindow::BrowserProc();
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = s_szClassName;
    s_bRegistered = RegisterClassA(&wc) != 0;
}
}  // namespace

CBrowserWindow::CBrowserWindow(HWND hParent, int nWidth, int nHeight) : m_hWnd(NULL)
{
    RegisterBrowserClass();
    DWORD dwStyle = hParent ? (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN) : (WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    m_hWnd = CreateWindowExA(0, s_szClassName, "rig", dwStyle, 0, 0, nWidth, nHeight, hParent, NULL,
                             GetModuleHandleA(NULL), NULL);
    if (m_hWnd != NULL)
        SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    PumpMessages();
}

CBrowserWindow::~CBrowserWindow()
{
    Destroy();
}

void CBrowserWindow::Destroy()
{
    if (m_hWnd != NULL && IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
    m_hWnd = NULL;
}

int CBrowserWindow::CountOf(UINT nMessage) const
{
    return static_cast<int>(std::count(m_messages.begin(), m_messages.end(), nMessage));
}

LRESULT CALLBACK CBrowserWindow::BrowserWndProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    auto* pWindow = reinterpret_cast<CBrowserWindow*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (pWindow != NULL)
        pWindow->m_messages.push_back(nMessage);
    if (nMessage == RIG_MSG_PING)
        return RIG_PING_ANSWER;
    if (nMessage == WM_PAINT)
    {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        EndPaint(hWnd, &ps);
        return 0;
    }
    if (nMessage == WM_NCDESTROY && pWindow != NULL)
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    return DefWindowProcA(hWnd, nMessage, wParam, lParam);
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
