// The play routine of the plug-in window: starts the clip that is still
// downloading at its first frame, or plays a complete clip (restart or resume).
#include "PluginWindow.h"

#include "MciPlayer.h"
#include "PluginInstance.h"
#include "StreamFile.h"

namespace {
// Pause between two looks at the device while it seeks, in milliseconds.
const DWORD SEEK_POLL_MS = 100;
}  // namespace

void CPluginWindow::OnLButtonDown(UINT nCode, POINT)
{
    if (nCode != ID_PLAY && nCode != ID_STOP)
        return;
    CMciPlayer* pPlayer = GetPlayer();
    if (pPlayer == NULL)
        return;
    if (m_pInstance->m_bStreamOpen)
        StartDownloadingClip(nCode, pPlayer);
    else
        PlayCompleteClip(pPlayer);
}

// Opens the growing temporary file and shows its first frame; the stream side
// releases further frames as they arrive. Too little of the file: a beep only.
void CPluginWindow::StartDownloadingClip(UINT nCode, CMciPlayer* pPlayer)
{
    PluginInstance* pInstance = m_pInstance;
    if (pInstance->m_pStreamFile == NULL)
        return;
    if (pInstance->m_pStreamFile->GetLength() < pPlayer->m_nStartBytes)
    {
        MessageBeep(MB_ICONHAND);
        return;
    }
    pInstance->m_bAutoStart = TRUE;
    // A paused clip goes on with the stream side's next extension of playback.
    if (nCode == ID_PLAY && (pPlayer->m_nSyncFrame <= SYNC_BARELY_STARTED || pPlayer->m_bPaused))
        return;
    if (pPlayer->m_wDeviceID != 0)
        pPlayer->Close();
    pPlayer->m_nSyncFrame = SYNC_RESTARTING;
    pPlayer->Open(this, pInstance->m_pSideWindow, pInstance->m_szTempPath, 0);
    pPlayer->CenterVideo();
    pPlayer->m_nLength = pPlayer->GetLength();
    pPlayer->PlayRange(0, 0);
    RepaintInstanceWindow();
    pPlayer->m_nSyncFrame = SYNC_FIRST_FRAME;
}

// Resumes after the paused frame, restarts an opened clip from its first frame,
// or opens the clip; then plays to the end.
void CPluginWindow::PlayCompleteClip(CMciPlayer* pPlayer)
{
    if (pPlayer->m_bPaused)
    {
        DWORD dwPosition = pPlayer->GetPosition();
        // Reopened detached: the picture stays in the device's own window until the seek is done.
        pPlayer->Reopen(dwPosition + 1);
        if (!WaitWhileSeeking(pPlayer))
            return;
        pPlayer->AttachWindow();
    }
    else if (pPlayer->m_bOpened)
    {
        pPlayer->Reopen(0);
    }
    else
    {
        pPlayer->Open(this, m_pInstance->m_pSideWindow, m_pInstance->m_szTempPath, 0);
        pPlayer->CenterVideo();
    }
    pPlayer->m_bPaused = FALSE;
    pPlayer->Play();
    RepaintInstanceWindow();
}

// Messages for this and other windows run inside the wait; one of them may tear
// the instance down, deleting this object and the player. A quit request taken
// from the queue is put back, so the browser's own loop still sees it, and the
// wait ends there.
BOOL CPluginWindow::WaitWhileSeeking(CMciPlayer* pPlayer)
{
    CDestroyGuard guard(this);
    while (pPlayer->GetMode() == MCI_MODE_SEEK)
    {
        MSG msg;
        if (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
            {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (guard.IsDestroyed() || GetPlayer() != pPlayer)
                return FALSE;
        }
        Sleep(SEEK_POLL_MS);
    }
    return TRUE;
}
