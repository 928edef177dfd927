// Device-context wrappers of the window framework: a paint context
// (BeginPaint/EndPaint), a window context (GetDC/ReleaseDC) and a memory context.
#pragma once

#include <windows.h>

class CWnd;

// Drawing operations on a device context that a derived class acquires and releases.
class CDC
{
public:
    HDC GetSafeHdc() const { return m_hDC; }

    // Selects a pen, brush or bitmap; returns the object it replaced.
    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop)
    {
        return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
    }
    int FillRect(const RECT* pRect, HBRUSH hBrush) { return ::FillRect(m_hDC, pRect, hBrush); }
    BOOL MoveTo(int x, int y) { return ::MoveToEx(m_hDC, x, y, NULL); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    int ExcludeClipRect(const RECT* pRect)
    {
        return ::ExcludeClipRect(m_hDC, pRect->left, pRect->top, pRect->right, pRect->bottom);
    }
    int SetStretchBltMode(int nMode) { return ::SetStretchBltMode(m_hDC, nMode); }
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, const CDC& src, int xSrc, int ySrc, int nSrcWidth,
                    int nSrcHeight, DWORD dwRop)
    {
        return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, src.m_hDC, xSrc, ySrc, nSrcWidth, nSrcHeight, dwRop);
    }

protected:
    CDC() : m_hDC(NULL) {}
    ~CDC() = default;

    HDC m_hDC;  // the context, NULL when it could not be obtained

private:
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
};

// BeginPaint for the lifetime of the object, EndPaint at its end.
class CPaintDC : public CDC
{
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();

    PAINTSTRUCT m_ps;  // what BeginPaint filled in

private:
    HWND m_hWnd;  // window being painted
};

// GetDC of a window's whole client area, ReleaseDC at the end.
class CClientDC : public CDC
{
public:
    explicit CClientDC(HWND hWnd);
    ~CClientDC();

private:
    HWND m_hWnd;  // window the context belongs to
};

// A memory context compatible with another context, deleted at the end.
class CMemoryDC : public CDC
{
public:
    explicit CMemoryDC(const CDC& compatible);
    ~CMemoryDC();
};
