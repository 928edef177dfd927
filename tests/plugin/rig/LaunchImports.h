// The companion launches as the import table records them: WinExec and
// ShellExecuteA (passed on, so the stand-in program really starts) and the
// plug-in's profile reads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CLaunchRecord
{
    std::vector<std::string> commands;      // WinExec command lines
    std::vector<UINT> shows;                // their show codes
    std::vector<std::string> opened;        // ShellExecuteA files
    bool bShellArgsAsExpected = true;       // no window, default verb, no parameters or directory, SW_SHOWNORMAL
    std::vector<std::string> profileReads;  // "section|key|default|size|file" of each GetPrivateProfileStringA
};

class CLaunches
{
public:
    static void Reset();
    static CLaunchRecord& Record();
};
