// GDI object wrappers of the window framework: pen, solid brush and a bitmap
// loaded from resources; each object is deleted with its wrapper.
#pragma once

#include <windows.h>

// Owns one GDI object handle and deletes it at the end.
class CGdiObject
{
public:
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL DeleteObject();

protected:
    CGdiObject() : m_hObject(NULL) {}
    ~CGdiObject() { DeleteObject(); }

    HGDIOBJ m_hObject;  // the object, NULL when none

private:
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
};

class CPen : public CGdiObject
{
public:
    CPen(int nStyle, int nWidth, COLORREF color);
    HPEN GetSafeHandle() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject
{
public:
    explicit CBrush(COLORREF color);  // solid brush
    HBRUSH GetSafeHandle() const { return static_cast<HBRUSH>(m_hObject); }
};

class CBitmap : public CGdiObject
{
public:
    CBitmap() = default;
    // LoadBitmapA of resource nID in module hInstance; FALSE when it is missing.
    BOOL LoadBitmap(HINSTANCE hInstance, UINT nID);
    // Width, height and format of the bitmap (GetObjectA).
    BOOL GetBitmap(BITMAP* pBitmap) const;
    HBITMAP GetSafeHandle() const { return static_cast<HBITMAP>(m_hObject); }
};
