// HeldBlock.cpp - the holding file of a placed block that waits for the clip data.
#include "HeldBlock.h"

#include "SharedFile.h"

namespace {
// Bytes copied from the holding file to the clip file at a time.
const DWORD COPY_BYTES = 16384;
}  // namespace

BOOL CHeldBlock::Create()
{
    Release();
    char szDir[MAX_PATH + 1];
    DWORD nDir = GetTempPathA(sizeof(szDir), szDir);
    char szName[MAX_PATH + 1];
    if (nDir == 0 || nDir >= sizeof(szDir) || GetTempFileNameA(szDir, "ZEB", 0, szName) == 0)
        return FALSE;
    // The system made the name's file for this caller alone; it is reopened to go with the handle.
    m_hFile = CreateFileA(szName, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
    if (m_hFile == INVALID_HANDLE_VALUE)
    {
        DeleteFileA(szName);
        return FALSE;
    }
    return TRUE;
}

BOOL CHeldBlock::Append(const void* pData, DWORD nBytes)
{
    DWORD nWritten = 0;
    if (!IsHeld() || !WriteFile(m_hFile, pData, nBytes, &nWritten, NULL) || nWritten != nBytes)
        return FALSE;
    m_nBytes += nBytes;
    return TRUE;
}

BOOL CHeldBlock::WriteTo(CSharedFile& file)
{
    if (!IsHeld() || SetFilePointer(m_hFile, 0, NULL, FILE_BEGIN) != 0)
        return FALSE;
    BYTE buffer[COPY_BYTES];
    for (DWORD nLeft = m_nBytes; nLeft != 0;)
    {
        DWORD nRead = 0;
        DWORD nWant = nLeft < COPY_BYTES ? nLeft : COPY_BYTES;
        if (!ReadFile(m_hFile, buffer, nWant, &nRead, NULL) || nRead != nWant || !file.Write(buffer, nRead))
            return FALSE;
        nLeft -= nRead;
    }
    Release();
    return TRUE;
}

void CHeldBlock::Release()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_nBytes = 0;
}
