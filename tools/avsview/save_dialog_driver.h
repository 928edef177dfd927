// Watches for the Save As dialog that the plug-in may show while an instance
// is destroyed, and answers it for scripted runs (or leaves it to the user).
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "options.h"

namespace avsview {

class SaveDialogDriver {
public:
    enum class Outcome {
        NoDialog,     // no Save As dialog appeared
        Confirmed,    // the path was entered and the dialog confirmed
        Cancelled,    // the dialog was cancelled
        ShownToUser,  // the dialog appeared and the user answered it
        NotAccepted,  // the dialog did not take the path and was cancelled instead
    };

    explicit SaveDialogDriver(SaveAnswer answer) : m_answer(answer) {}
    ~SaveDialogDriver() { end(); }
    SaveDialogDriver(const SaveDialogDriver&) = delete;
    SaveDialogDriver& operator=(const SaveDialogDriver&) = delete;

    // Starts watching the windows of threadId; path is entered for SaveAnswer::SaveAs.
    void begin(DWORD threadId, const std::string& path);
    // Stops watching; what happened since begin.
    Outcome end();

private:
    void watch();
    void answer(HWND dialog);
    void confirmOverwrite(HWND dialog);

    const SaveAnswer m_answer;                          // how the dialog is answered
    DWORD m_threadId = 0;                               // thread that runs the dialog
    std::string m_path;                                 // what to enter
    HANDLE m_stop = NULL;                               // set by end()
    std::thread m_thread;                               // runs watch()
    std::atomic<Outcome> m_outcome{Outcome::NoDialog};  // what happened so far
    DWORD m_answeredAt = 0;                             // tick count when the path was confirmed
};

}  // namespace avsview
