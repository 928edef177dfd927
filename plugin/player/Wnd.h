// CWnd: the window-handle wrapper of the plug-in's window framework. It creates
// child windows, subclasses existing windows and dispatches their messages.
#pragma once

#include <windows.h>

#include "MessageTable.h"

// Wraps one window handle. A window is either created by the object (Create;
// destroyed with it) or an existing window subclassed by it (SubclassWindow).
// Either way the framework's window procedure is installed on it and the one
// it replaced is remembered and receives every message that no table row
// handles. A handle is attached to at most one object, and only while its
// window exists: the object lets go of it at the window's WM_NCDESTROY, also
// when the window goes with its parent.
//
// A derived class with messages of its own declares
//     const CMessageTable* GetMessageTable() const override;
//     static const CMessageRow s_messageRows[];
//     static const CMessageTable s_messageTable;
// and defines, in its .cpp,
//     const CMessageRow CMyWnd::s_messageRows[] = {
//         MessageRow<&CMyWnd::OnPaint>(WM_PAINT),
//         CommandRow<&CMyWnd::OnPlay>(ID_PLAY),
//     };
//     const CMessageTable CMyWnd::s_messageTable =
//         MakeMessageTable(&CWnd::s_messageTable, s_messageRows);
class CWnd
{
public:
    CWnd();
    virtual ~CWnd();

    // The table searched first for this object's messages; it chains to the base class's.
    virtual const CMessageTable* GetMessageTable() const;
    // Address of the remembered previous window procedure (NULL when none).
    virtual WNDPROC* GetSuperWndProcAddr();

    HWND GetSafeHwnd() const { return m_hWnd; }
    // The object attached to hWnd, or NULL.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Links the object to hWnd without touching the window. Fails for a NULL
    // handle, when the object already has a window or hWnd already has an object,
    // and when the handle map cannot grow (out of memory).
    BOOL Attach(HWND hWnd);
    // Unlinks the object from its window without touching the window; returns the handle.
    HWND Detach();

    // Creates a window (normally a child of a system class such as "STATIC") and
    // attaches it; the window is destroyed with the object. rect is in the parent's
    // client coordinates; pParentWnd may be NULL.
    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID);
    // Destroys a window created by Create.
    BOOL DestroyWindow();

    // Attaches hWnd and installs the framework's window procedure on it,
    // remembering the previous one. Fails like Attach.
    BOOL SubclassWindow(HWND hWnd);
    // Puts the remembered window procedure back on the window (nothing to do,
    // and FALSE, when none is remembered). The object stays attached.
    BOOL RestoreWindowProc();

    BOOL GetClientRect(RECT* pRect) const { return ::GetClientRect(m_hWnd, pRect); }
    BOOL GetWindowRect(RECT* pRect) const { return ::GetWindowRect(m_hWnd, pRect); }
    BOOL ClientToScreen(POINT* pPoint) const { return ::ClientToScreen(m_hWnd, pPoint); }
    BOOL Invalidate(BOOL bErase = TRUE) { return ::InvalidateRect(m_hWnd, NULL, bErase); }
    BOOL UpdateWindow() { return ::UpdateWindow(m_hWnd); }

    static const CMessageTable s_messageTable;

protected:
    // Passes the message now being handled, with its parameters, to the previous
    // window procedure; returns that procedure's result.
    LRESULT Default();
    // Previous window procedure, or the system's default handling when there is none.
    LRESULT DefWindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam);
    // Table dispatch: the first matching row of this class's table or of a base
    // table handles the message; without a row it goes to DefWindowProc.
    LRESULT WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam);

    // The window is going away: the previous procedure sees the message, then the
    // object lets go of the handle so that nothing is ever sent to it again.
    void OnNcDestroy();

    HWND m_hWnd;         // attached window, NULL when none
    WNDPROC m_pfnSuper;  // window procedure replaced by SubclassWindow, NULL when none
    BOOL m_bOwnsWindow;  // the window was made by Create and is destroyed with the object

private:
    static LRESULT CALLBACK StandardWndProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
    const CMessageRow* FindRow(UINT nMessage, WPARAM wParam) const;

    static const CMessageRow s_messageRows[];

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
};
