// StreamNames.cpp - temporary clip path and proposed save name of a stream.
#include "StreamNames.h"

#include <string.h>

#include "StreamFile.h"

namespace {
// Names tried for one clip file before giving up.
const int MAX_NAME_TRIES = 16;

// The clip file's path for a temporary name: its last three characters become "avi".
// FALSE when the name does not fit the path field.
BOOL AviPathOf(const char* pszName, char (&pszPath)[kStreamNameSize])
{
    size_t nName = strnlen(pszName, MAX_PATH + 1);
    if (nName < 3 || nName >= kStreamNameSize)
        return FALSE;
    memcpy(pszPath, pszName, nName - 3);
    memcpy(pszPath + nName - 3, "avi", 4);
    return TRUE;
}

// Characters after which the save name starts: path separators and every character that a
// Windows file name cannot hold.
bool EndsUrlPart(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || strchr(":/\\|?*\"<>", c) != NULL;
}
}  // namespace

// The placeholders stay until the end, so that the system hands out a new name every time.
BOOL CreateTempClipFile(CStreamFile& file, char (&pszPath)[kStreamNameSize])
{
    pszPath[0] = '\0';
    char szDir[MAX_PATH + 1];
    DWORD nDir = GetTempPathA(sizeof(szDir), szDir);
    if (nDir == 0 || nDir >= sizeof(szDir))
        return FALSE;
    char aszPlaceholders[MAX_NAME_TRIES][MAX_PATH + 1];
    int nPlaceholders = 0;
    BOOL bCreated = FALSE;
    while (!bCreated && nPlaceholders < MAX_NAME_TRIES)
    {
        char* pszName = aszPlaceholders[nPlaceholders];
        if (GetTempFileNameA(szDir, "ZEV", 0, pszName) == 0)
            break;
        nPlaceholders++;
        BOOL bNameTaken = FALSE;
        bCreated = AviPathOf(pszName, pszPath) && file.CreateNew(pszPath, &bNameTaken);
        if (bCreated)
            break;
        pszPath[0] = '\0';
        if (!bNameTaken)
            break;
    }
    for (int i = 0; i < nPlaceholders; i++)
        DeleteFileA(aszPlaceholders[i]);
    return bCreated;
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
        if (EndsUrlPart(*p))
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
