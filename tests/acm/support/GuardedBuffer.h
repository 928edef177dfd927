// A buffer directly followed by a page that cannot be read or written, so
// that any access past its end faults.
#pragma once

#include <windows.h>

class CGuardedBuffer
{
public:
    explicit CGuardedBuffer(DWORD cb) : m_cb(cb)
    {
        const DWORD cbPage = 4096;
        const DWORD cbPages = (cb + cbPage - 1) / cbPage * cbPage;
        m_pbBase = static_cast<BYTE*>(VirtualAlloc(NULL, cbPages + cbPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD dwOld;
        if (m_pbBase != NULL)
            VirtualProtect(m_pbBase + cbPages, cbPage, PAGE_NOACCESS, &dwOld);
        m_pb = m_pbBase != NULL ? m_pbBase + cbPages - cb : NULL;
    }
    ~CGuardedBuffer()
    {
        if (m_pbBase != NULL)
            VirtualFree(m_pbBase, 0, MEM_RELEASE);
    }
    CGuardedBuffer(const CGuardedBuffer&) = delete;
    CGuardedBuffer& operator=(const CGuardedBuffer&) = delete;

    BYTE* Data() const { return m_pb; }
    DWORD Size() const { return m_cb; }

private:
    BYTE* m_pbBase;
    BYTE* m_pb;
    DWORD m_cb;
};
