// What the plug-in does to the user and to windows, as the import table
// records it: message boxes (answered OK, never shown), beeps (never sounded),
// repaints, window procedure changes, destroyed windows; and its sleeps.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CBoxCall
{
    HWND hOwner;             // owner window given
    std::string strText;     // message text
    std::string strCaption;  // caption
    UINT uType;              // buttons and icon
};

struct CUiRecord
{
    std::vector<CBoxCall> boxes;          // MessageBoxA
    std::vector<UINT> beeps;              // MessageBeep
    std::vector<HWND> invalidated;        // InvalidateRect, whole window with erase
    std::vector<HWND> partlyInvalidated;  // InvalidateRect with a rectangle or without erase
    std::vector<HWND> updated;            // UpdateWindow
    std::vector<HWND> procChanged;        // SetWindowLongA(GWL_WNDPROC)
    std::vector<HWND> destroyed;          // DestroyWindow
};

class CUiCalls
{
public:
    static void Reset();
    static CUiRecord& Record();
    // SetWindowLongA(GWL_WNDPROC) calls on this window.
    static int ProcChangesOf(HWND hWnd);
};
