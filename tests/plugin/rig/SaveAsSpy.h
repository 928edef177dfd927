// CSaveAsSpy: stands in for the plug-in's Save As dialog (cancelled unless a
// test confirms it) and records the copy that follows, through the import table.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <string>
#include <vector>

// What the dialog was asked to show.
struct CSaveAsCall
{
    OPENFILENAMEA ofn;      // the block as passed (pointers valid only during the call)
    std::string strFilter;  // the filter list, every NUL kept, up to its double NUL
    std::string strFile;    // lpstrFile's initial contents
    std::string strDefExt;  // lpstrDefExt, "(null)" when NULL
};

// One CopyFileA call.
struct CCopyCall
{
    std::string strFrom;  // existing file
    std::string strTo;    // new file
    BOOL bFailIfExists;   // third argument
};

class CSaveAsSpy
{
public:
    // Forgets the record; the next dialog is cancelled.
    static void Reset();

    // The dialogs are the system's own (still recorded), for a test that acts as the user.
    static void ShowRealDialog();
    // The next dialog is confirmed with this full path.
    static void ConfirmWith(const std::string& strPath);
    // The next dialog is cancelled.
    static void Cancel();
    // Runs inside the dialog call, before it answers (to look at the plug-in's state then).
    static void WhileOpen(const std::function<void()>& fn);

    static const std::vector<CSaveAsCall>& Dialogs();
    static const std::vector<CCopyCall>& Copies();
};
