// CMenu: popup-menu wrapper of the window framework (CreatePopupMenu,
// AppendMenuA, TrackPopupMenu); the menu is destroyed with the object.
#pragma once

#include <windows.h>

class CWnd;

class CMenu
{
public:
    CMenu() : m_hMenu(NULL) {}
    ~CMenu() { DestroyMenu(); }

    BOOL CreatePopupMenu();
    // Appends a string item (MF_STRING plus nFlags, e.g. MF_GRAYED).
    BOOL AppendMenu(UINT nFlags, UINT nIDNewItem, LPCSTR lpszNewItem);
    // Shows the menu at screen point (x, y); the chosen command goes to
    // pOwnerWnd as WM_COMMAND.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pOwnerWnd);
    BOOL DestroyMenu();

    HMENU GetSafeHmenu() const { return m_hMenu; }

private:
    HMENU m_hMenu;  // the menu, NULL when none

    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
};
