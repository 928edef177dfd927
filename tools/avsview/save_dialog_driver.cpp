// The Save As watcher. The dialog is the first visible "#32770" window of the
// window thread; its file name box is cmb13 (edt1 in older dialogs). Clicks are
// posted, never sent: a sent click would wait inside an overwrite prompt. Such
// a prompt (a second "#32770") is answered Yes. A dialog that is still open
// five seconds after the click refused the path and is cancelled.
#include "save_dialog_driver.h"

#include <dlgs.h>

namespace avsview {

namespace {

const DWORD kPollMs = 20;
const DWORD kAcceptMs = 5000;

struct DialogSearch {
    HWND skip;   // a dialog already known
    HWND found;  // the first other visible dialog
};

BOOL CALLBACK findDialogWindow(HWND window, LPARAM param) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(param);
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (window != search->skip && IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND findDialog(DWORD threadId, HWND skip) {
    DialogSearch search = {skip, NULL};
    EnumThreadWindows(threadId, findDialogWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

void SaveDialogDriver::begin(DWORD threadId, const std::string& path) {
    end();
    m_threadId = threadId;
    m_path = path;
    m_outcome = Outcome::NoDialog;
    m_stop = CreateEventA(NULL, TRUE, FALSE, NULL);
    m_thread = std::thread(&SaveDialogDriver::watch, this);
}

SaveDialogDriver::Outcome SaveDialogDriver::end() {
    if (m_thread.joinable()) {
        SetEvent(m_stop);
        m_thread.join();
    }
    if (m_stop != NULL) CloseHandle(m_stop);
    m_stop = NULL;
    return m_outcome;
}

void SaveDialogDriver::watch() {
    HWND dialog = NULL;
    while (WaitForSingleObject(m_stop, kPollMs) == WAIT_TIMEOUT) {
        if (dialog == NULL) {
            dialog = findDialog(m_threadId, NULL);
            if (dialog != NULL) answer(dialog);
        } else if (m_outcome == Outcome::Confirmed && IsWindow(dialog)) {
            confirmOverwrite(dialog);
        }
    }
}

void SaveDialogDriver::answer(HWND dialog) {
    if (m_answer == SaveAnswer::User) {
        m_outcome = Outcome::ShownToUser;
        return;
    }
    HWND name = GetDlgItem(dialog, cmb13) != NULL ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
    if (m_answer == SaveAnswer::Cancel || name == NULL) {
        m_outcome = m_answer == SaveAnswer::Cancel ? Outcome::Cancelled : Outcome::NotAccepted;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    SetWindowTextA(name, m_path.c_str());
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    m_answeredAt = GetTickCount();
    m_outcome = Outcome::Confirmed;
}

// After the click: an overwrite prompt is answered Yes; a dialog that stays
// open refused the path (a message box about it is closed first).
void SaveDialogDriver::confirmOverwrite(HWND dialog) {
    HWND prompt = findDialog(m_threadId, dialog);
    if (GetTickCount() - m_answeredAt < kAcceptMs) {
        if (prompt != NULL) PostMessageA(prompt, WM_COMMAND, IDYES, 0);
        return;
    }
    if (prompt != NULL) {
        PostMessageA(prompt, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    m_outcome = Outcome::NotAccepted;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace avsview
