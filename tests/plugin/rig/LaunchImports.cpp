// The replacements of WinExec, ShellExecuteA and GetPrivateProfileStringA.
#include "LaunchImports.h"

#include "ImportTable.h"
#include "Replacements.h"

UINT WINAPI ReplacedWinExec(LPCSTR pszCmdLine, UINT uShow)
{
    CLaunches::Record().commands.push_back(pszCmdLine);
    CLaunches::Record().shows.push_back(uShow);
    return Original<decltype(&WinExec)>(IMP_WINEXEC_PLUGIN)(pszCmdLine, uShow);
}

HINSTANCE WINAPI ReplacedShellExecuteA(HWND hWnd, LPCSTR pszVerb, LPCSTR pszFile, LPCSTR pszParams, LPCSTR pszDir,
                                       INT nShow)
{
    CLaunchRecord& r = CLaunches::Record();
    r.opened.push_back(pszFile);
    r.bShellArgsAsExpected = r.bShellArgsAsExpected && hWnd == NULL && pszVerb == NULL && pszParams == NULL &&
                             pszDir == NULL && nShow == SW_SHOWNORMAL;
    return Original<decltype(&ShellExecuteA)>(IMP_SHELL_PLUGIN)(hWnd, pszVerb, pszFile, pszParams, pszDir, nShow);
}

DWORD WINAPI ReplacedGetPrivateProfileStringA(LPCSTR pszSection, LPCSTR pszKey, LPCSTR pszDefault, LPSTR pszBuffer,
                                              DWORD nSize, LPCSTR pszFile)
{
    CLaunches::Record().profileReads.push_back(std::string(pszSection) + "|" + pszKey + "|" + pszDefault + "|" +
                                               std::to_string(nSize) + "|" + pszFile);
    return Original<decltype(&GetPrivateProfileStringA)>(IMP_PROFILE)(pszSection, pszKey, pszDefault, pszBuffer, nSize,
                                                                      pszFile);
}

void CLaunches::Reset()
{
    Record() = CLaunchRecord();
}

CLaunchRecord& CLaunches::Record()
{
    static CLaunchRecord s_record;
    return s_record;
}
