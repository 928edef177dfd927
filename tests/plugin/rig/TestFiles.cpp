// Test files through the Win32 file functions (as the plug-in sees them).
#include "TestFiles.h"

#include <windows.h>

#include <stdio.h>

#include <vector>

std::string FreshTempPath(const char* pszSuffix)
{
    static unsigned s_nNext = 0;
    char szDir[MAX_PATH];
    GetTempPathA(sizeof(szDir), szDir);
    for (;;)
    {
        std::string path = std::string(szDir) + "rig" + std::to_string(GetCurrentProcessId()) + "_" +
                           std::to_string(s_nNext++) + pszSuffix;
        if (!FileExists(path))
            return path;
    }
}

bool WriteWholeFile(const std::string& strPath, const std::string& strBytes)
{
    HANDLE hFile = CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD nWritten = 0;
    BOOL bOk = WriteFile(hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()), &nWritten, NULL);
    CloseHandle(hFile);
    return bOk && nWritten == strBytes.size();
}

std::string ReadWholeFile(const std::string& strPath)
{
    HANDLE hFile = CreateFileA(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return "(unreadable)";
    std::vector<char> bytes(GetFileSize(hFile, NULL));
    DWORD nRead = 0;
    BOOL bOk = bytes.empty() || ReadFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nRead, NULL);
    CloseHandle(hFile);
    if (!bOk || nRead != bytes.size())
        return "(unreadable)";
    return std::string(bytes.begin(), bytes.end());
}

std::vector<unsigned char> ReadFileBytes(const std::string& strPath)
{
    std::vector<unsigned char> bytes;
    FILE* pFile = fopen(strPath.c_str(), "rb");
    if (pFile == NULL)
        return bytes;
    unsigned char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(pFile);
    return bytes;
}

bool FileExists(const std::string& strPath)
{
    return GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int CountTempFiles(const char* pszPattern)
{
    char szDir[MAX_PATH];
    GetTempPathA(sizeof(szDir), szDir);
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((std::string(szDir) + pszPattern).c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    int n = 0;
    do
        n++;
    while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    return n;
}
