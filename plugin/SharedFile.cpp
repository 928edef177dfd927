// SharedFile.cpp - buffered shared temporary file over the C runtime's streams.
#include "SharedFile.h"

#include <io.h>
#include <limits.h>
#include <share.h>

BOOL CSharedFile::Create(const char* pszPath)
{
    Close();
    m_pFile = _fsopen(pszPath, "w+b", _SH_DENYNO);
    return m_pFile != NULL;
}

BOOL CSharedFile::Write(const void* pData, DWORD nBytes)
{
    if (m_pFile == NULL)
        return FALSE;
    return fwrite(pData, 1, nBytes, m_pFile) == nBytes;
}

BOOL CSharedFile::SeekTo(DWORD dwPos)
{
    if (m_pFile == NULL || dwPos > LONG_MAX)
        return FALSE;
    return fseek(m_pFile, static_cast<long>(dwPos), SEEK_SET) == 0;
}

BOOL CSharedFile::Flush()
{
    return m_pFile != NULL && fflush(m_pFile) == 0;
}

DWORD CSharedFile::GetLength()
{
    if (!Flush())
        return 0;
    __int64 nLength = _filelengthi64(_fileno(m_pFile));
    if (nLength < 0)
        return 0;
    return nLength > 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<DWORD>(nLength);
}

BOOL CSharedFile::Close()
{
    if (m_pFile == NULL)
        return TRUE;
    int nResult = fclose(m_pFile);
    m_pFile = NULL;
    return nResult == 0;
}
