// StreamNames.cpp - temporary clip path and proposed save name of a stream.
#include "StreamNames.h"

#include <string.h>

BOOL MakeTempClipPath(char (&pszPath)[kStreamNameSize])
{
    pszPath[0] = '\0';
    char szDir[MAX_PATH + 1];
    DWORD nDir = GetTempPathA(sizeof(szDir), szDir);
    if (nDir == 0 || nDir >= sizeof(szDir))
        return FALSE;
    char szName[MAX_PATH + 1];
    if (GetTempFileNameA(szDir, "ZEV", 0, szName) == 0)
        return FALSE;
    DeleteFileA(szName);
    size_t nName = strnlen(szName, sizeof(szName));
    if (nName < 3 || nName >= kStreamNameSize)
        return FALSE;
    memcpy(pszPath, szName, nName - 3);
    memcpy(pszPath + nName - 3, "avi", 4);
    return TRUE;
}

BOOL IsLocalUrl(const char* pszUrl)
{
    return pszUrl != NULL && strncmp(pszUrl, "file:", 5) == 0;
}

void MakeSaveName(const char* pszUrl, char (&pszName)[kStreamNameSize])
{
    const char* pszTail = pszUrl;
    for (const char* p = pszUrl; *p != '\0'; p++)
    {
        if (strchr(":/\\|", *p) != NULL)
            pszTail = p + 1;
    }
    size_t nTail = strlen(pszTail);
    if (nTail >= kStreamNameSize)
    {
        pszTail += nTail - (kStreamNameSize - 1);
        nTail = kStreamNameSize - 1;
    }
    memcpy(pszName, pszTail, nTail + 1);
    if (nTail != 0)
        pszName[nTail - 1] = 'i';
}
