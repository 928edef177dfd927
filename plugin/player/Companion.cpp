// The two commands that reach outside the plug-in: "Go ZEV!" writes a refresh page
// into the companion player's directory and lets the shell open it; "&About"
// starts the companion player with its About switch. Neither reports a failure.
#include "Companion.h"

#include <stdio.h>
#include <string.h>

#include <shellapi.h>

#include "MciPlayer.h"
#include "PluginInstance.h"
#include "PluginWindow.h"

// A reserved example domain: the product's own gallery address is not known to this project.
const char g_szGalleryUrl[] = "http://www.example.com/gallery/";

namespace {
// The companion player's profile: named without a path, so it is looked for in
// the Windows directory.
const char PROFILE_FILE[] = "VEDORER.INI";
const char PROFILE_SECTION[] = "Program";
const char PROFILE_KEY[] = "Directory";
const char DEFAULT_DIRECTORY[] = "C:\\vedorer";

// Appended to the directory as it stands (a trailing backslash is doubled).
const char GO_PAGE_NAME[] = "\\GoZev.htm";
const char ABOUT_PROGRAM[] = "\\DAZAVOZ32.EXE";
const char ABOUT_SWITCH[] = " /ABOUT";

// Longest directory values read, terminator included.
const DWORD GO_DIRECTORY_SIZE = 250;
const DWORD ABOUT_DIRECTORY_SIZE = 255;

// The refresh element around the gallery address; no line end follows.
const char REFRESH_HEAD[] = "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"0; URL=";
const char REFRESH_TAIL[] = "\">";
}  // namespace

void ReadCompanionDirectory(char* pszBuffer, DWORD nSize)
{
    GetPrivateProfileStringA(PROFILE_SECTION, PROFILE_KEY, DEFAULT_DIRECTORY, pszBuffer, nSize, PROFILE_FILE);
}

// The page replaces an earlier one and stays in the directory. A page that
// cannot be written ends the command before the shell is asked to open anything.
void CPluginWindow::OnGo()
{
    char szPath[GO_DIRECTORY_SIZE - 1 + sizeof(GO_PAGE_NAME)];
    static_assert(sizeof(szPath) == 260, "the longest directory, the page name and the terminator");
    ReadCompanionDirectory(szPath, GO_DIRECTORY_SIZE);
    strncat(szPath, GO_PAGE_NAME, GO_DIRECTORY_SIZE);
    FILE* pPage = fopen(szPath, "wt");
    if (pPage == NULL)
        return;
    fputs(REFRESH_HEAD, pPage);
    fputs(g_szGalleryUrl, pPage);
    fputs(REFRESH_TAIL, pPage);
    fclose(pPage);
    ShellExecuteA(NULL, NULL, szPath, NULL, NULL, SW_SHOWNORMAL);
}

void CPluginWindow::OnAbout()
{
    CMciPlayer* pPlayer = GetPlayer();
    if (pPlayer != NULL)
        pPlayer->ShowAbout();
}

// Uses none of the player's state; WinExec returns without waiting. A directory with blanks
// is quoted together with the program name: unquoted, the system would first look for a
// program named by the part before the first blank ("C:\Program Files\..." runs C:\Program.exe).
void CMciPlayer::ShowAbout()
{
    char szDirectory[ABOUT_DIRECTORY_SIZE];
    ReadCompanionDirectory(szDirectory, ABOUT_DIRECTORY_SIZE);
    char szCommand[1 + ABOUT_DIRECTORY_SIZE - 1 + sizeof(ABOUT_PROGRAM) + sizeof(ABOUT_SWITCH)];
    static_assert(sizeof(szCommand) == 278, "the longest directory, quotes, the command tail and the terminator");
    const char* pszQuote = strpbrk(szDirectory, " \t") != NULL ? "\"" : "";
    snprintf(szCommand, sizeof(szCommand), "%s%s%s%s%s", pszQuote, szDirectory, ABOUT_PROGRAM, pszQuote, ABOUT_SWITCH);
    WinExec(szCommand, SW_SHOW);
}
