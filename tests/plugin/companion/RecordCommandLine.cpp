// Stand-in for the companion player program in the window tests: writes the
// command line it was started with to "commandline.txt" beside itself.
#include <windows.h>

#include <string.h>

int main()
{
    char szPath[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(NULL, szPath, sizeof(szPath));
    if (n == 0 || n >= sizeof(szPath))
        return 1;
    char* pszSlash = strrchr(szPath, '\\');
    if (pszSlash == NULL)
        return 1;
    strcpy(pszSlash + 1, "commandline.txt");
    // Written under another name first, so that a reader never sees half of it.
    char szPartial[MAX_PATH * 2 + 8];
    strcpy(szPartial, szPath);
    strcat(szPartial, ".part");
    HANDLE hFile = CreateFileA(szPartial, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return 1;
    const char* pszCommandLine = GetCommandLineA();
    DWORD nWritten = 0;
    BOOL bWritten = WriteFile(hFile, pszCommandLine, static_cast<DWORD>(strlen(pszCommandLine)), &nWritten, NULL);
    CloseHandle(hFile);
    if (!bWritten || !MoveFileExA(szPartial, szPath, MOVEFILE_REPLACE_EXISTING))
        return 1;
    return 0;
}
