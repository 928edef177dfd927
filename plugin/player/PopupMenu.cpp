// The plug-in window's right-button popup menu: Play/Resume, Stop and Pause
// enabled by the download and play state, Go and About always.
#include "PluginWindow.h"

#include "Menu.h"
#include "MciPlayer.h"
#include "PluginInstance.h"

// While the clip downloads, Play needs strictly more bytes than the start
// threshold and no automatic playback; Stop and Pause need automatic playback.
// Afterwards the device's mode decides (and refreshes m_bPlaying).
void CPluginWindow::GetMenuStates(CMciPlayer* pPlayer, BOOL* pbPlayGrayed, BOOL* pbStopGrayed) const
{
    if (m_pInstance->m_bStreamOpen)
    {
        *pbPlayGrayed = m_pInstance->m_bAutoStart || pPlayer->m_nStartBytes >= pPlayer->m_nBytesReceived;
        *pbStopGrayed = !m_pInstance->m_bAutoStart;
        return;
    }
    pPlayer->m_bPlaying = pPlayer->GetMode() == MCI_MODE_PLAY;
    *pbPlayGrayed = pPlayer->m_bPlaying;
    *pbStopGrayed = !pPlayer->m_bPlaying;
}

// The browser sees the press first. The chosen command comes back later as
// WM_COMMAND through the message table.
void CPluginWindow::OnRButtonDown(UINT, POINT point)
{
    Default();
    CMciPlayer* pPlayer = GetPlayer();
    if (pPlayer == NULL)
        return;
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;

    BOOL bPlayGrayed, bStopGrayed;
    GetMenuStates(pPlayer, &bPlayGrayed, &bStopGrayed);
    const char* pszPlay = !bPlayGrayed && pPlayer->m_bPaused ? "&Resume..." : "&Play...";
    UINT nPlayFlags = bPlayGrayed ? MF_GRAYED : 0;
    UINT nStopFlags = bStopGrayed ? MF_GRAYED : 0;
    menu.AppendMenu(nPlayFlags, ID_PLAY, pszPlay);
    menu.AppendMenu(nStopFlags, ID_STOP, "&Stop...");
    menu.AppendMenu(nStopFlags, ID_PAUSE, "P&ause...");
    menu.AppendMenu(0, ID_GO, "Go ZEV!");
    menu.AppendMenu(0, ID_ABOUT, "&About");

    ClientToScreen(&point);
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}
