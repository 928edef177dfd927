// The Save As spy: a replacement GetSaveFileNameA that records its block and
// answers as told, and a CopyFileA spy that records and then copies.
#include "SaveAsSpy.h"

#include "ImportTable.h"
#include "Replacements.h"

namespace {
struct CSpyState
{
    std::vector<CSaveAsCall> dialogs;  // every dialog asked for
    std::vector<CCopyCall> copies;     // every copy made
    bool bReal = false;                // the system's dialog is shown
    bool bConfirm = false;             // answer the next dialog with IDOK
    std::string strChosen;             // the path the user "types"
    std::function<void()> whileOpen;   // test code run inside the dialog
};

CSpyState& State()
{
    static CSpyState s_state;
    return s_state;
}

std::string FilterOf(const char* pszFilter)
{
    if (pszFilter == NULL)
        return "(null)";
    const char* p = pszFilter;
    while (p[0] != '\0' || p[1] != '\0')
        p++;
    return std::string(pszFilter, p + 2);
}
}  // namespace

BOOL WINAPI ReplacedGetSaveFileNameA(OPENFILENAMEA* pOfn)
{
    CSaveAsCall call;
    call.ofn = *pOfn;
    call.strFilter = FilterOf(pOfn->lpstrFilter);
    call.strFile = pOfn->lpstrFile ? pOfn->lpstrFile : "(null)";
    call.strDefExt = pOfn->lpstrDefExt ? pOfn->lpstrDefExt : "(null)";
    State().dialogs.push_back(call);
    if (State().bReal)
        return Original<decltype(&GetSaveFileNameA)>(IMP_SAVE_DIALOG)(pOfn);
    if (State().whileOpen)
        State().whileOpen();
    if (!State().bConfirm)
        return FALSE;
    lstrcpynA(pOfn->lpstrFile, State().strChosen.c_str(), pOfn->nMaxFile);
    return TRUE;
}

BOOL WINAPI ReplacedCopyFileA(LPCSTR pszFrom, LPCSTR pszTo, BOOL bFailIfExists)
{
    State().copies.push_back(CCopyCall{pszFrom ? pszFrom : "(null)", pszTo ? pszTo : "(null)", bFailIfExists});
    return Original<decltype(&CopyFileA)>(IMP_COPY_FILE)(pszFrom, pszTo, bFailIfExists);
}

void CSaveAsSpy::Reset()
{
    CSpyState& s = State();
    s.dialogs.clear();
    s.copies.clear();
    s.bReal = false;
    s.bConfirm = false;
    s.strChosen.clear();
    s.whileOpen = nullptr;
}

void CSaveAsSpy::ShowRealDialog()
{
    State().bReal = true;
}

void CSaveAsSpy::ConfirmWith(const std::string& strPath)
{
    State().bConfirm = true;
    State().strChosen = strPath;
}

void CSaveAsSpy::Cancel()
{
    State().bConfirm = false;
}

void CSaveAsSpy::WhileOpen(const std::function<void()>& fn)
{
    State().whileOpen = fn;
}

const std::vector<CSaveAsCall>& CSaveAsSpy::Dialogs()
{
    return State().dialogs;
}

const std::vector<CCopyCall>& CSaveAsSpy::Copies()
{
    return State().copies;
}
