// The import table: one row per replaced import, the module it is patched in,
// and the reset that every test starts and ends with.
#include "ImportTable.h"

#include "FaultImports.h"
#include "IatHook.h"
#include "LaunchImports.h"
#include "MciImports.h"
#include "PluginLibrary.h"
#include "Replacements.h"
#include "SaveAsSpy.h"
#include "UiImports.h"

namespace {
enum EModule
{
    MOD_PLUGIN,   // streamplug.dll
    MOD_PROGRAM,  // the test program
    MOD_AVI       // Wine's AVI driver, mciavi32.dll
};

struct CImportRow
{
    EImport import;
    EModule module;
    const char* pszDll;
    const char* pszFunc;
    void* pReplacement;
};

const CImportRow s_rows[] = {
    {IMP_MCI_PLUGIN, MOD_PLUGIN, "winmm.dll", "mciSendCommandA", (void*)&ReplacedMciSendCommandA},
    {IMP_MCI_PROGRAM, MOD_PROGRAM, "winmm.dll", "mciSendCommandA", (void*)&ReplacedMciSendCommandA},
    {IMP_TICK, MOD_PLUGIN, "kernel32.dll", "GetTickCount", (void*)&ReplacedGetTickCount},
    {IMP_AVI_OPEN, MOD_AVI, "winmm.dll", "mmioOpenW", (void*)&ReplacedMmioOpenW},
    {IMP_SAVE_DIALOG, MOD_PLUGIN, "comdlg32.dll", "GetSaveFileNameA", (void*)&ReplacedGetSaveFileNameA},
    {IMP_COPY_FILE, MOD_PLUGIN, "kernel32.dll", "CopyFileA", (void*)&ReplacedCopyFileA},
    {IMP_TEMP_NAME, MOD_PLUGIN, "kernel32.dll", "GetTempFileNameA", (void*)&ReplacedGetTempFileNameA},
    {IMP_MALLOC, MOD_PLUGIN, "msvcrt.dll", "malloc", (void*)&ReplacedMalloc},
    {IMP_FREE, MOD_PLUGIN, "msvcrt.dll", "free", (void*)&ReplacedFree},
    {IMP_FWRITE, MOD_PLUGIN, "msvcrt.dll", "fwrite", (void*)&ReplacedFwrite},
    {IMP_FCLOSE, MOD_PLUGIN, "msvcrt.dll", "fclose", (void*)&ReplacedFclose},
    {IMP_MESSAGE_BOX, MOD_PLUGIN, "user32.dll", "MessageBoxA", (void*)&ReplacedMessageBoxA},
    {IMP_BEEP, MOD_PLUGIN, "user32.dll", "MessageBeep", (void*)&ReplacedMessageBeep},
    {IMP_INVALIDATE, MOD_PLUGIN, "user32.dll", "InvalidateRect", (void*)&ReplacedInvalidateRect},
    {IMP_UPDATE_WINDOW, MOD_PLUGIN, "user32.dll", "UpdateWindow", (void*)&ReplacedUpdateWindow},
    {IMP_SET_WINDOW_LONG, MOD_PLUGIN, "user32.dll", "SetWindowLongA", (void*)&ReplacedSetWindowLongA},
    {IMP_DESTROY_WINDOW, MOD_PLUGIN, "user32.dll", "DestroyWindow", (void*)&ReplacedDestroyWindow},
    {IMP_SLEEP, MOD_PLUGIN, "kernel32.dll", "Sleep", (void*)&ReplacedSleep},
    {IMP_WINEXEC_PLUGIN, MOD_PLUGIN, "kernel32.dll", "WinExec", (void*)&ReplacedWinExec},
    {IMP_WINEXEC_PROGRAM, MOD_PROGRAM, "kernel32.dll", "WinExec", (void*)&ReplacedWinExec},
    {IMP_SHELL_PLUGIN, MOD_PLUGIN, "shell32.dll", "ShellExecuteA", (void*)&ReplacedShellExecuteA},
    {IMP_SHELL_PROGRAM, MOD_PROGRAM, "shell32.dll", "ShellExecuteA", (void*)&ReplacedShellExecuteA},
    {IMP_PROFILE, MOD_PLUGIN, "kernel32.dll", "GetPrivateProfileStringA", (void*)&ReplacedGetPrivateProfileStringA},
};
static_assert(sizeof(s_rows) / sizeof(s_rows[0]) == IMP_COUNT, "one row per import");

CIatHook s_hooks[IMP_COUNT];

HMODULE ModuleOf(EModule module)
{
    switch (module)
    {
    case MOD_PLUGIN:
        return Plugin().Module();
    case MOD_PROGRAM:
        return GetModuleHandleA(NULL);
    case MOD_AVI:
        return LoadLibraryA("mciavi32.dll");
    }
    return NULL;
}
}  // namespace

std::string InstallImports()
{
    std::string missing;
    for (const CImportRow& row : s_rows)
    {
        CIatHook& hook = s_hooks[row.import];
        HMODULE hModule = ModuleOf(row.module);
        if (!hook.IsInstalled() && hModule != NULL)
            hook.Install(hModule, row.pszDll, row.pszFunc, row.pReplacement);
        if (!hook.IsInstalled())
            missing += std::string(missing.empty() ? "" : ", ") + row.pszFunc;
    }
    return missing;
}

void ResetImports()
{
    ResetMci();
    CSaveAsSpy::Reset();
    CFaults::Reset();
    CUiCalls::Reset();
    CLaunches::Reset();
    ImportEvents().clear();
}

void* OriginalOf(EImport import)
{
    return s_hooks[import].Original<void*>();
}

std::vector<std::string>& ImportEvents()
{
    static std::vector<std::string> s_events;
    return s_events;
}
