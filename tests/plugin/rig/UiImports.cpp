// The replacements of MessageBoxA, MessageBeep, InvalidateRect, UpdateWindow,
// SetWindowLongA, DestroyWindow and Sleep: recorded, passed on where harmless.
#include "UiImports.h"

#include <algorithm>

#include "ImportTable.h"
#include "Replacements.h"

int WINAPI ReplacedMessageBoxA(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT uType)
{
    CUiCalls::Record().boxes.push_back(
        CBoxCall{hOwner, pszText ? pszText : "(null)", pszCaption ? pszCaption : "(null)", uType});
    return IDOK;
}

BOOL WINAPI ReplacedMessageBeep(UINT uType)
{
    CUiCalls::Record().beeps.push_back(uType);
    return TRUE;
}

BOOL WINAPI ReplacedInvalidateRect(HWND hWnd, const RECT* pRect, BOOL bErase)
{
    CUiRecord& r = CUiCalls::Record();
    (pRect == NULL && bErase ? r.invalidated : r.partlyInvalidated).push_back(hWnd);
    return Original<decltype(&InvalidateRect)>(IMP_INVALIDATE)(hWnd, pRect, bErase);
}

BOOL WINAPI ReplacedUpdateWindow(HWND hWnd)
{
    CUiCalls::Record().updated.push_back(hWnd);
    return Original<decltype(&UpdateWindow)>(IMP_UPDATE_WINDOW)(hWnd);
}

LONG WINAPI ReplacedSetWindowLongA(HWND hWnd, int nIndex, LONG lValue)
{
    if (nIndex == GWL_WNDPROC)
        CUiCalls::Record().procChanged.push_back(hWnd);
    return Original<decltype(&SetWindowLongA)>(IMP_SET_WINDOW_LONG)(hWnd, nIndex, lValue);
}

BOOL WINAPI ReplacedDestroyWindow(HWND hWnd)
{
    CUiCalls::Record().destroyed.push_back(hWnd);
    return Original<decltype(&DestroyWindow)>(IMP_DESTROY_WINDOW)(hWnd);
}

void WINAPI ReplacedSleep(DWORD dwMilliseconds)
{
    ImportEvents().push_back("sleep " + std::to_string(dwMilliseconds));
    Original<decltype(&Sleep)>(IMP_SLEEP)(dwMilliseconds);
}

void CUiCalls::Reset()
{
    Record() = CUiRecord();
}

CUiRecord& CUiCalls::Record()
{
    static CUiRecord s_record;
    return s_record;
}

int CUiCalls::ProcChangesOf(HWND hWnd)
{
    const std::vector<HWND>& changed = Record().procChanged;
    return static_cast<int>(std::count(changed.begin(), changed.end(), hWnd));
}
