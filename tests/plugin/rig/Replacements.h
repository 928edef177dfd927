// The replacement functions that the import table patches in, one per
// replaced Win32 function; each lives beside the record it keeps.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <mmsystem.h>

#include <stdio.h>

MCIERROR WINAPI ReplacedMciSendCommandA(MCIDEVICEID wDeviceID, UINT uMsg, DWORD_PTR dwFlags, DWORD_PTR dwParam);
DWORD WINAPI ReplacedGetTickCount();
HMMIO WINAPI ReplacedMmioOpenW(LPWSTR pszFile, MMIOINFO* pInfo, DWORD dwFlags);
BOOL WINAPI ReplacedGetSaveFileNameA(OPENFILENAMEA* pOfn);
BOOL WINAPI ReplacedCopyFileA(LPCSTR pszFrom, LPCSTR pszTo, BOOL bFailIfExists);
UINT WINAPI ReplacedGetTempFileNameA(LPCSTR pszDir, LPCSTR pszPrefix, UINT uUnique, LPSTR pszName);
void* __cdecl ReplacedMalloc(size_t nBytes);
void __cdecl ReplacedFree(void* p);
size_t __cdecl ReplacedFwrite(const void* pData, size_t nSize, size_t nCount, FILE* pFile);
int __cdecl ReplacedFclose(FILE* pFile);
int WINAPI ReplacedMessageBoxA(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT uType);
BOOL WINAPI ReplacedMessageBeep(UINT uType);
BOOL WINAPI ReplacedInvalidateRect(HWND hWnd, const RECT* pRect, BOOL bErase);
BOOL WINAPI ReplacedUpdateWindow(HWND hWnd);
LONG WINAPI ReplacedSetWindowLongA(HWND hWnd, int nIndex, LONG lValue);
BOOL WINAPI ReplacedDestroyWindow(HWND hWnd);
void WINAPI ReplacedSleep(DWORD dwMilliseconds);
UINT WINAPI ReplacedWinExec(LPCSTR pszCmdLine, UINT uShow);
HINSTANCE WINAPI ReplacedShellExecuteA(HWND hWnd, LPCSTR pszVerb, LPCSTR pszFile, LPCSTR pszParams, LPCSTR pszDir,
                                       INT nShow);
DWORD WINAPI ReplacedGetPrivateProfileStringA(LPCSTR pszSection, LPCSTR pszKey, LPCSTR pszDefault, LPSTR pszBuffer,
                                              DWORD nSize, LPCSTR pszFile);
