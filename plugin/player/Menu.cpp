// CMenu: creation, filling, tracking and destruction of a popup menu.
#include "Menu.h"

#include "Wnd.h"

BOOL CMenu::CreatePopupMenu()
{
    DestroyMenu();
    m_hMenu = ::CreatePopupMenu();
    return m_hMenu != NULL;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT nIDNewItem, LPCSTR lpszNewItem)
{
    return ::AppendMenuA(m_hMenu, MF_STRING | nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pOwnerWnd)
{
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pOwnerWnd->GetSafeHwnd(), NULL);
}

BOOL CMenu::DestroyMenu()
{
    if (m_hMenu == NULL)
        return FALSE;
    BOOL bDestroyed = ::DestroyMenu(m_hMenu);
    m_hMenu = NULL;
    return bDestroyed;
}
