// Test windows for the framework and player tests: a window class that paints
// nothing (so what a test draws stays put), top-level hosts, and polling.
#pragma once

#include <windows.h>

#include <string>

const char TEST_WINDOW_CLASS[] = "PluginTestWindow";

inline LRESULT CALLBACK QuietWindowProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage == WM_PAINT)
    {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        EndPaint(hWnd, &ps);
        return 0;
    }
    return DefWindowProcA(hWnd, nMessage, wParam, lParam);
}

// Registers TEST_WINDOW_CLASS once for this program (no background brush).
inline void RegisterTestWindowClass()
{
    WNDCLASSA wc = {};
    if (GetClassInfoA(GetModuleHandleA(NULL), TEST_WINDOW_CLASS, &wc))
        return;
    wc.lpfnWndProc = QuietWindowProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.lpszClassName = TEST_WINDOW_CLASS;
    RegisterClassA(&wc);
}

// A visible top-level window of the test class.
inline HWND CreateTestHost(int nWidth = 640, int nHeight = 480)
{
    RegisterTestWindowClass();
    return CreateWindowExA(0, TEST_WINDOW_CLASS, "test host", WS_POPUP | WS_VISIBLE, 0, 0, nWidth, nHeight, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
}

// Polls pred every 20 ms for at most nTimeoutMs; the final answer of pred.
template <class Pred>
bool WaitFor(Pred pred, DWORD nTimeoutMs = 10000)
{
    DWORD dwStart = GetTickCount();
    while (!pred())
    {
        if (GetTickCount() - dwStart > nTimeoutMs)
            return pred();
        Sleep(20);
    }
    return true;
}

// Windows path of a file in the test data directory made by the build.
inline std::string TestDataPath(const char* pszName)
{
    std::string path = std::string("Z:") + PLUGIN_TEST_DATA + "/" + pszName;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}
