// Message tables of the window framework: rows that map a window message (and,
// for WM_COMMAND, a command identifier) to a member function of a CWnd class.
#pragma once

#include <windows.h>

class CWnd;

// Calls one handler for one message; built per handler by the row helpers below.
typedef LRESULT (*PFN_MSGTHUNK)(CWnd* pWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);

// One row of a class's message table.
struct CMessageRow
{
    UINT nMessage;          // window message the row handles
    UINT nID;               // command identifier (WM_COMMAND rows only, else 0)
    PFN_MSGTHUNK pfnThunk;  // unpacks the parameters and calls the handler
};

// A class's message table; searched first, then the base class's table.
struct CMessageTable
{
    const CMessageTable* pBaseTable;  // table of the base class, NULL for CWnd
    const CMessageRow* pRows;         // this class's rows, in search order
    UINT nRows;                       // number of rows
};

// Handler signatures, chosen by the type of the member function:
//   void OnX()                         no arguments (WM_PAINT, commands)
//   void OnX(UINT nFlags, POINT point) mouse messages: key-state word, client point
//   void OnX(CWnd* pWnd)               WPARAM is a window handle (WM_PALETTECHANGED);
//                                      the window object attached to it, or NULL
//   LRESULT OnX(UINT, WPARAM, LPARAM)  the raw message, result passed back
template <auto Pfn>
struct CMessageThunk;

template <class T, void (T::*Pfn)()>
struct CMessageThunk<Pfn>
{
    static LRESULT Call(CWnd* pWnd, UINT, WPARAM, LPARAM)
    {
        (static_cast<T*>(pWnd)->*Pfn)();
        return 0;
    }
};

template <class T, void (T::*Pfn)(UINT, POINT)>
struct CMessageThunk<Pfn>
{
    static LRESULT Call(CWnd* pWnd, UINT, WPARAM wParam, LPARAM lParam)
    {
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        (static_cast<T*>(pWnd)->*Pfn)(static_cast<UINT>(wParam), point);
        return 0;
    }
};

template <class T, void (T::*Pfn)(CWnd*)>
struct CMessageThunk<Pfn>
{
    static LRESULT Call(CWnd* pWnd, UINT, WPARAM wParam, LPARAM)
    {
        (static_cast<T*>(pWnd)->*Pfn)(T::FromHandlePermanent(reinterpret_cast<HWND>(wParam)));
        return 0;
    }
};

template <class T, LRESULT (T::*Pfn)(UINT, WPARAM, LPARAM)>
struct CMessageThunk<Pfn>
{
    static LRESULT Call(CWnd* pWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
    {
        return (static_cast<T*>(pWnd)->*Pfn)(nMessage, wParam, lParam);
    }
};

// Row for a window message: MessageRow<&CMyWnd::OnPaint>(WM_PAINT).
template <auto Pfn>
constexpr CMessageRow MessageRow(UINT nMessage)
{
    return CMessageRow{nMessage, 0, &CMessageThunk<Pfn>::Call};
}

// Row for a menu command: WM_COMMAND with this identifier and notification code 0.
template <auto Pfn>
constexpr CMessageRow CommandRow(UINT nID)
{
    return CMessageRow{WM_COMMAND, nID, &CMessageThunk<Pfn>::Call};
}

// Table of a class from its row array and the base class's table.
template <size_t N>
constexpr CMessageTable MakeMessageTable(const CMessageTable* pBaseTable, const CMessageRow (&rows)[N])
{
    return CMessageTable{pBaseTable, rows, static_cast<UINT>(N)};
}
