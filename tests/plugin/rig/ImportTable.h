// The one table of the Win32 imports that the plug-in tests replace: installed
// once per process into streamplug.dll (and the test program, whose linked-in
// player code calls the same functions), reset before and after every test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Every import a replacement stands in for.
enum EImport
{
    IMP_MCI_PLUGIN,       // mciSendCommandA of streamplug.dll
    IMP_MCI_PROGRAM,      // mciSendCommandA of the test program (its linked-in player)
    IMP_TICK,             // GetTickCount of streamplug.dll
    IMP_AVI_OPEN,         // mmioOpenW of Wine's AVI driver
    IMP_SAVE_DIALOG,      // GetSaveFileNameA
    IMP_COPY_FILE,        // CopyFileA
    IMP_TEMP_NAME,        // GetTempFileNameA
    IMP_MALLOC,           // malloc
    IMP_FREE,             // free
    IMP_FWRITE,           // fwrite
    IMP_FCLOSE,           // fclose
    IMP_MESSAGE_BOX,      // MessageBoxA
    IMP_BEEP,             // MessageBeep
    IMP_INVALIDATE,       // InvalidateRect
    IMP_UPDATE_WINDOW,    // UpdateWindow
    IMP_SET_WINDOW_LONG,  // SetWindowLongA
    IMP_DESTROY_WINDOW,   // DestroyWindow
    IMP_SLEEP,            // Sleep
    IMP_WINEXEC_PLUGIN,   // WinExec of streamplug.dll
    IMP_WINEXEC_PROGRAM,  // WinExec of the test program (its linked-in window code)
    IMP_SHELL_PLUGIN,     // ShellExecuteA of streamplug.dll
    IMP_SHELL_PROGRAM,    // ShellExecuteA of the test program
    IMP_PROFILE,          // GetPrivateProfileStringA of streamplug.dll
    IMP_COUNT
};

// Installs every replacement (once; later calls only report). Empty when all
// are in place, else the names of the imports that could not be replaced.
std::string InstallImports();
// Forgets every record and puts every replacement back to passing calls on.
void ResetImports();

// The function a replacement stands in for.
void* OriginalOf(EImport import);
template <class F>
F Original(EImport import)
{
    return reinterpret_cast<F>(OriginalOf(import));
}

// What the plug-in did, in order, through the replacements that trace:
// "mci XXXX" (the command in hexadecimal) and "sleep <ms>"; tests add marks.
std::vector<std::string>& ImportEvents();
