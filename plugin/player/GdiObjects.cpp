// GDI object wrappers: creation, loading and deletion of pens, brushes and bitmaps.
#include "GdiObjects.h"

BOOL CGdiObject::DeleteObject()
{
    if (m_hObject == NULL)
        return FALSE;
    BOOL bDeleted = ::DeleteObject(m_hObject);
    m_hObject = NULL;
    return bDeleted;
}

CPen::CPen(int nStyle, int nWidth, COLORREF color)
{
    m_hObject = ::CreatePen(nStyle, nWidth, color);
}

CBrush::CBrush(COLORREF color)
{
    m_hObject = ::CreateSolidBrush(color);
}

BOOL CBitmap::LoadBitmap(HINSTANCE hInstance, UINT nID)
{
    DeleteObject();
    m_hObject = ::LoadBitmapA(hInstance, MAKEINTRESOURCEA(nID));
    return m_hObject != NULL;
}

BOOL CBitmap::GetBitmap(BITMAP* pBitmap) const
{
    return m_hObject != NULL && ::GetObjectA(m_hObject, sizeof(BITMAP), pBitmap) != 0;
}
