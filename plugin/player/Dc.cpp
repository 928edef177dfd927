// Device-context wrappers: acquisition and release of paint, window and memory contexts.
#include "Dc.h"

#include "Wnd.h"

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps(), m_hWnd(pWnd->GetSafeHwnd())
{
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(HWND hWnd) : m_hWnd(hWnd)
{
    m_hDC = ::GetDC(hWnd);
}

CClientDC::~CClientDC()
{
    if (m_hDC != NULL)
        ::ReleaseDC(m_hWnd, m_hDC);
}

CMemoryDC::CMemoryDC(const CDC& compatible)
{
    m_hDC = ::CreateCompatibleDC(compatible.GetSafeHdc());
}

CMemoryDC::~CMemoryDC()
{
    if (m_hDC != NULL)
        ::DeleteDC(m_hDC);
}
