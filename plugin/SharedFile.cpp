// SharedFile.cpp - buffered shared temporary file over the C runtime's streams.
#include "SharedFile.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

// The exclusive create is made on a descriptor; the runtime stream over it does not truncate.
BOOL CSharedFile::CreateNew(const char* pszPath, BOOL* pbNameTaken)
{
    Close();
    *pbNameTaken = FALSE;
    int fd = _sopen(pszPath, _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _SH_DENYNO, _S_IREAD | _S_IWRITE);
    if (fd == -1)
    {
        *pbNameTaken = errno == EEXIST;
        return FALSE;
    }
    m_pFile = _fdopen(fd, "w+b");
    if (m_pFile == NULL)
    {
        _close(fd);
        DeleteFileA(pszPath);
        return FALSE;
    }
    return TRUE;
}

BOOL CSharedFile::Write(const void* pData, DWORD nBytes)
{
    if (m_pFile == NULL)
        return FALSE;
    return fwrite(pData, 1, nBytes, m_pFile) == nBytes;
}

BOOL CSharedFile::SeekTo(DWORD dwPos)
{
    if (m_pFile == NULL || dwPos > kMaxPosition)
        return FALSE;
    return fseek(m_pFile, static_cast<long>(dwPos), SEEK_SET) == 0;
}

BOOL CSharedFile::ReadAt(DWORD dwPos, void* pData, DWORD nBytes)
{
    return SeekTo(dwPos) && fread(pData, 1, nBytes, m_pFile) == nBytes;
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
