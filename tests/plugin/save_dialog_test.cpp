// The real Save As dialog at NPP_Destroy, driven from a second thread like a
// user: confirming onto an existing file replaces it without a question, and
// cancelling copies nothing.
#include <gtest/gtest.h>

#include <string.h>

#include <atomic>
#include <string>
#include <thread>

#include <windows.h>
#include <dlgs.h>

#include "BrowserWindow.h"
#include "MciPlayer.h"
#include "PluginLibrary.h"
#include "RigInstance.h"
#include "SaveAsSpy.h"
#include "TestFiles.h"

namespace {
// What the "user" does with the dialog, and what was seen.
struct CDialogUser
{
    DWORD dwThreadId = 0;            // thread that runs the dialog
    std::string strTypedPath;        // typed into the file name box
    bool bConfirm = false;           // OK when true, Cancel otherwise
    std::atomic<bool> bDone{false};  // the dialog call has returned
    bool bFound = false;             // the dialog appeared
    std::string strProposed;         // the file name the dialog proposed
    bool bAsked = false;             // a second dialog (the overwrite question) appeared
};

struct CFindDialog
{
    HWND hExcept;  // a dialog already known
    HWND hFound;   // the first other visible dialog of the thread
};

BOOL CALLBACK FindDialogProc(HWND hWnd, LPARAM lParam)
{
    auto* pFind = reinterpret_cast<CFindDialog*>(lParam);
    char szClass[16] = "";
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (hWnd == pFind->hExcept || strcmp(szClass, "#32770") != 0 || !IsWindowVisible(hWnd))
        return TRUE;
    pFind->hFound = hWnd;
    return FALSE;
}

HWND FindDialog(DWORD dwThreadId, HWND hExcept)
{
    CFindDialog find = {hExcept, NULL};
    EnumThreadWindows(dwThreadId, FindDialogProc, reinterpret_cast<LPARAM>(&find));
    return find.hFound;
}

// Waits for the dialog, types the path, confirms or cancels, then answers
// any further dialog (which would be an overwrite question) with Yes.
void ActAsUser(CDialogUser* pUser)
{
    HWND hDlg = NULL;
    for (int i = 0; i < 500 && !pUser->bDone && !(hDlg = FindDialog(pUser->dwThreadId, NULL)); i++)
        Sleep(20);
    if (hDlg == NULL)
        return;
    pUser->bFound = true;
    HWND hEdit = GetDlgItem(hDlg, cmb13) ? GetDlgItem(hDlg, cmb13) : GetDlgItem(hDlg, edt1);
    char szProposed[MAX_PATH] = "";
    GetWindowTextA(hEdit, szProposed, sizeof(szProposed));
    pUser->strProposed = szProposed;
    SetWindowTextA(hEdit, pUser->strTypedPath.c_str());
    if (pUser->bConfirm)
        PostMessageA(GetDlgItem(hDlg, IDOK), BM_CLICK, 0, 0);
    else
        PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 500 && !pUser->bDone; i++)
    {
        HWND hQuestion = FindDialog(pUser->dwThreadId, hDlg);
        if (hQuestion != NULL && IsWindow(hDlg))
        {
            pUser->bAsked = true;
            PostMessageA(hQuestion, WM_COMMAND, IDYES, 0);
        }
        Sleep(20);
    }
}

class SaveDialog : public ::testing::Test
{
protected:
    SaveDialog() : m_page(NULL, 400, 300), m_area(m_page.Handle(), 320, 240), m_instance(Plugin()) {}

    void SetUp() override
    {
        ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error();
        CSaveAsSpy::ShowRealDialog();
        ASSERT_EQ(NPERR_NO_ERROR, m_instance.New(NP_EMBED));
        ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
        m_strTemp = FreshTempPath(".avi");
        ASSERT_TRUE(WriteWholeFile(m_strTemp, "the downloaded clip"));
        PluginInstance* pRecord = m_instance.Record();
        strcpy(pRecord->m_szTempPath, m_strTemp.c_str());
        strcpy(pRecord->m_szSaveName, "clip.avi");
        pRecord->m_pPlayer->m_bNoSaveOffer = FALSE;
    }

    // NPP_Destroy with the user acting on the dialog it shows.
    void DestroyWithUser(CDialogUser& user)
    {
        user.dwThreadId = GetCurrentThreadId();
        std::thread watcher(ActAsUser, &user);
        EXPECT_EQ(NPERR_NO_ERROR, m_instance.Destroy());
        user.bDone = true;
        watcher.join();
    }

    CBrowserWindow m_page, m_area;  // the browser's windows
    CRigInstance m_instance;        // the instance being destroyed
    std::string m_strTemp;          // its temporary clip file
};
}  // namespace

TEST_F(SaveDialog, ConfirmOntoAnExistingFileReplacesItWithoutAQuestion)
{
    std::string strChosen = FreshTempPath(" saved.avi");
    ASSERT_TRUE(WriteWholeFile(strChosen, "an older file"));
    CDialogUser user;
    user.strTypedPath = strChosen;
    user.bConfirm = true;
    DestroyWithUser(user);

    ASSERT_TRUE(user.bFound) << "no Save As dialog appeared";
    EXPECT_EQ("clip.avi", user.strProposed);
    EXPECT_FALSE(user.bAsked) << "the dialog asked before replacing the file";
    EXPECT_EQ("the downloaded clip", ReadWholeFile(strChosen));
    EXPECT_FALSE(FileExists(m_strTemp));
    DeleteFileA(strChosen.c_str());
}

TEST_F(SaveDialog, CancelCopiesNothing)
{
    std::string strChosen = FreshTempPath(" unwanted.avi");
    CDialogUser user;
    user.strTypedPath = strChosen;
    user.bConfirm = false;
    DestroyWithUser(user);

    ASSERT_TRUE(user.bFound) << "no Save As dialog appeared";
    EXPECT_FALSE(FileExists(strChosen));
    EXPECT_FALSE(FileExists(m_strTemp));
}
