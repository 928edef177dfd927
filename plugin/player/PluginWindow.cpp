// CPluginWindow: its message table, the menu commands that drive the player,
// the palette notification and the guard that outlives a deleted window object.
#include "PluginWindow.h"

#include "MciPlayer.h"
#include "PluginInstance.h"

BOOL CPluginWindow::s_bInPaint = FALSE;
BOOL CPluginWindow::s_bLogoShown = FALSE;

const CMessageRow CPluginWindow::s_messageRows[] = {
    MessageRow<&CPluginWindow::OnPaint>(WM_PAINT),
    MessageRow<&CPluginWindow::OnPaletteChanged>(WM_PALETTECHANGED),
    MessageRow<&CPluginWindow::OnLButtonDown>(WM_LBUTTONDOWN),
    CommandRow<&CPluginWindow::OnPlay>(ID_PLAY),
    CommandRow<&CPluginWindow::OnStop>(ID_STOP),
    CommandRow<&CPluginWindow::OnPause>(ID_PAUSE),
    CommandRow<&CPluginWindow::OnGo>(ID_GO),
    CommandRow<&CPluginWindow::OnStepLong>(ID_STEP_LONG),
    CommandRow<&CPluginWindow::OnStepShort>(ID_STEP_SHORT),
    CommandRow<&CPluginWindow::OnAbout>(ID_ABOUT),
    MessageRow<&CPluginWindow::OnRButtonDown>(WM_RBUTTONDOWN),
};
const CMessageTable CPluginWindow::s_messageTable = MakeMessageTable(&CWnd::s_messageTable, s_messageRows);

CPluginWindow::CPluginWindow() : m_pInstance(NULL), m_pGuards(NULL) {}

CPluginWindow::~CPluginWindow()
{
    for (CDestroyGuard* pGuard = m_pGuards; pGuard != NULL; pGuard = pGuard->m_pOuter)
        pGuard->m_bDestroyed = TRUE;
}

const CMessageTable* CPluginWindow::GetMessageTable() const
{
    return &s_messageTable;
}

WNDPROC* CPluginWindow::GetSuperWndProcAddr()
{
    return CWnd::GetSuperWndProcAddr();
}

CPluginWindow::CDestroyGuard::CDestroyGuard(CPluginWindow* pWnd)
    : m_pWnd(pWnd), m_pOuter(pWnd->m_pGuards), m_bDestroyed(FALSE)
{
    pWnd->m_pGuards = this;
}

CPluginWindow::CDestroyGuard::~CDestroyGuard()
{
    if (!m_bDestroyed)
        m_pWnd->m_pGuards = m_pOuter;
}

CMciPlayer* CPluginWindow::GetPlayer() const
{
    return m_pInstance != NULL ? m_pInstance->m_pPlayer : NULL;
}

void CPluginWindow::RepaintInstanceWindow()
{
    CPluginWindow* pWindow = m_pInstance->m_pWindow;
    if (pWindow == NULL || pWindow->GetSafeHwnd() == NULL)
        return;
    pWindow->Invalidate(TRUE);
    pWindow->UpdateWindow();
}

void CPluginWindow::OnPlay()
{
    CMciPlayer* pPlayer = GetPlayer();
    if (pPlayer == NULL)
        return;
    POINT point = {0, 0};
    OnLButtonDown(pPlayer->m_nSyncFrame > SYNC_BARELY_STARTED ? ID_PLAY : ID_STOP, point);
}

// The device stays at its frame; the next Play starts again from the first frame.
void CPluginWindow::OnStop()
{
    CMciPlayer* pPlayer = GetPlayer();
    if (pPlayer == NULL)
        return;
    pPlayer->Stop();
    m_pInstance->m_bAutoStart = FALSE;
    pPlayer->m_bPaused = FALSE;
}

// The next Play (offered as Resume) goes on after the current frame.
void CPluginWindow::OnPause()
{
    CMciPlayer* pPlayer = GetPlayer();
    if (pPlayer == NULL)
        return;
    pPlayer->Pause();
    m_pInstance->m_bAutoStart = FALSE;
    pPlayer->m_bPaused = TRUE;
}

void CPluginWindow::OnStepLong()
{
    if (m_pInstance != NULL)
        m_pInstance->m_nExtendStep = EXTEND_STEP_LONG;
}

void CPluginWindow::OnStepShort()
{
    if (m_pInstance != NULL)
        m_pInstance->m_nExtendStep = EXTEND_STEP_SHORT;
}

// Another window realized its palette: the picture's palette is realized again
// as a background palette.
void CPluginWindow::OnPaletteChanged(CWnd* pFocusWnd)
{
    CMciPlayer* pPlayer = GetPlayer();
    if (pFocusWnd != this && pPlayer != NULL)
        pPlayer->Realize();
}
