// CWnd: handle map, child creation, subclassing and message-table dispatch.
#include "Wnd.h"

#include <map>
#include <new>

#include "LibraryInstance.h"

namespace {
// Every attached handle and its object; all windows live on one UI thread.
std::map<HWND, CWnd*>& HandleMap()
{
    static std::map<HWND, CWnd*> s_handleMap;
    return s_handleMap;
}

// The message being dispatched by the innermost StandardWndProc call; kept
// outside the objects so that a handler may delete its own object.
struct CCurrentMessage
{
    UINT nMessage;  // message number
    WPARAM wParam;  // its first parameter
    LPARAM lParam;  // its second parameter
};
CCurrentMessage s_currentMsg = {0, 0, 0};
}  // namespace

const CMessageRow CWnd::s_messageRows[] = {
    MessageRow<&CWnd::OnNcDestroy>(WM_NCDESTROY),
};
const CMessageTable CWnd::s_messageTable = MakeMessageTable(nullptr, s_messageRows);

CWnd::CWnd() : m_hWnd(NULL), m_pfnSuper(NULL), m_bOwnsWindow(FALSE) {}

CWnd::~CWnd()
{
    if (m_hWnd == NULL)
        return;
    if (m_bOwnsWindow)
    {
        DestroyWindow();
        return;
    }
    RestoreWindowProc();
    Detach();
}

const CMessageTable* CWnd::GetMessageTable() const
{
    return &s_messageTable;
}

WNDPROC* CWnd::GetSuperWndProcAddr()
{
    return &m_pfnSuper;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto it = HandleMap().find(hWnd);
    return it == HandleMap().end() ? nullptr : it->second;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (hWnd == NULL || m_hWnd != NULL || FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    try
    {
        HandleMap()[hWnd] = this;
    }
    catch (const std::bad_alloc&)
    {
        return FALSE;
    }
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd != NULL)
        HandleMap().erase(hWnd);
    m_hWnd = NULL;
    m_pfnSuper = NULL;
    m_bOwnsWindow = FALSE;
    return hWnd;
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID)
{
    if (m_hWnd != NULL)
        return FALSE;
    HWND hParent = pParentWnd ? pParentWnd->m_hWnd : NULL;
    HWND hWnd = ::CreateWindowExA(0, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, hParent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), GetLibraryInstance(), NULL);
    if (hWnd == NULL)
        return FALSE;
    // Subclassed like any other window, so that the object hears of the window's end.
    if (!SubclassWindow(hWnd))
    {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    m_bOwnsWindow = TRUE;
    return TRUE;
}

// The window's WM_NCDESTROY lets go of the handle; should the window outlive the call (or its
// procedure have been replaced since), the object lets go all the same.
BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == NULL || !m_bOwnsWindow)
        return FALSE;
    BOOL bDestroyed = ::DestroyWindow(m_hWnd);
    if (m_hWnd != NULL)
        Detach();
    return bDestroyed;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    LONG prev = ::SetWindowLongA(hWnd, GWL_WNDPROC, reinterpret_cast<LONG>(&CWnd::StandardWndProc));
    if (prev == 0)
    {
        Detach();
        return FALSE;
    }
    *GetSuperWndProcAddr() = reinterpret_cast<WNDPROC>(prev);
    return TRUE;
}

BOOL CWnd::RestoreWindowProc()
{
    WNDPROC prev = *GetSuperWndProcAddr();
    if (prev == NULL || m_hWnd == NULL)
        return FALSE;
    return ::SetWindowLongA(m_hWnd, GWL_WNDPROC, reinterpret_cast<LONG>(prev)) != 0;
}

LRESULT CWnd::Default()
{
    return DefWindowProc(s_currentMsg.nMessage, s_currentMsg.wParam, s_currentMsg.lParam);
}

LRESULT CWnd::DefWindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    WNDPROC prev = *GetSuperWndProcAddr();
    if (prev != NULL)
        return ::CallWindowProcA(prev, m_hWnd, nMessage, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, nMessage, wParam, lParam);
}

const CMessageRow* CWnd::FindRow(UINT nMessage, WPARAM wParam) const
{
    for (const CMessageTable* pTable = GetMessageTable(); pTable; pTable = pTable->pBaseTable)
    {
        for (UINT i = 0; i < pTable->nRows; i++)
        {
            const CMessageRow& row = pTable->pRows[i];
            if (row.nMessage != nMessage)
                continue;
            if (nMessage == WM_COMMAND && (row.nID != LOWORD(wParam) || HIWORD(wParam) != 0))
                continue;
            return &row;
        }
    }
    return nullptr;
}

LRESULT CWnd::WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    const CMessageRow* pRow = FindRow(nMessage, wParam);
    if (pRow == nullptr)
        return DefWindowProc(nMessage, wParam, lParam);
    CCurrentMessage outer = s_currentMsg;
    s_currentMsg = CCurrentMessage{nMessage, wParam, lParam};
    // No C++ exception may leave a window procedure: the system's dispatch cannot pass it on.
    LRESULT result = 0;
    try
    {
        result = pRow->pfnThunk(this, nMessage, wParam, lParam);
    }
    catch (...)
    {
        result = 0;
    }
    s_currentMsg = outer;
    return result;
}

void CWnd::OnNcDestroy()
{
    Default();
    Detach();
}

LRESULT CALLBACK CWnd::StandardWndProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr)
        return ::DefWindowProcA(hWnd, nMessage, wParam, lParam);
    return pWnd->WindowProc(nMessage, wParam, lParam);
}
