// CBrowserWindow: the browser's windows in the rig - a page window and the
// child windows it hands to plug-in instances - with a window procedure
// that records which messages reach the browser.
#pragma once

#include <windows.h>

#include <vector>

class CBrowserWindow
{
public:
    // A child window of 'hParent' (a top-level page window when NULL).
    CBrowserWindow(HWND hParent, int nWidth, int nHeight);
    // Destroys the window unless it is already gone.
    ~CBrowserWindow();

    HWND Handle() const { return m_hWnd; }
    // Destroys the window now, as a browser does when the page goes away.
    void Destroy();

    // The browser's own window procedure, the one a plug-in must put back.
    static WNDPROC BrowserProc() { return &BrowserWndProc; }
    // Messages that reached the browser's procedure for this window.
    const std::vector<UINT>& Messages() const { return m_messages; }
    int CountOf(UINT nMessage) const;
    void ClearMessages() { m_messages.clear(); }

    // The value the browser's procedure answers to RIG_MSG_PING.
    static const UINT RIG_MSG_PING = WM_APP + 17;
    static const LRESULT RIG_PING_ANSWER = 0x5A17;

private:
    static LRESULT CALLBACK BrowserWndProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd;                   // the window, NULL once destroyed
    std::vector<UINT> m_messages;  // messages the browser's procedure received

    CBrowserWindow(const CBrowserWindow&) = delete;
    CBrowserWindow& operator=(const CBrowserWindow&) = delete;
};

// Dispatches every message waiting for this thread.
void PumpMessages();
