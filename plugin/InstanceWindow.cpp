// Attaching the instance to the browser's window and letting go of it:
// NPP_SetWindow and the teardown of the instance's player and windows.
#include <new>

#include "MciPlayer.h"
#include "PluginFuncs.h"
#include "PluginInstance.h"
#include "PluginWindow.h"

namespace {
// Subclasses the browser's window with a new plug-in window object and
// creates the hidden side window beneath it. The object is kept in the
// record even when subclassing fails (it is then attached to nothing).
// Without memory for the objects nothing is kept and nothing is attached.
NPError AttachWindow(PluginInstance* pRecord, HWND hBrowserWnd)
{
    pRecord->m_pWindow = new (std::nothrow) CPluginWindow();
    if (pRecord->m_pWindow == NULL)
        return NPERR_OUT_OF_MEMORY_ERROR;
    if (!pRecord->m_pWindow->SubclassWindow(hBrowserWnd))
    {
        MessageBoxA(NULL, "SubclassWindow Failed", "Plug-in-test", MB_OK);
        return NPERR_GENERIC_ERROR;
    }
    pRecord->m_pSideWindow = new (std::nothrow) CWnd();
    if (pRecord->m_pSideWindow == NULL)
    {
        ReleaseInstanceWindows(pRecord);
        return NPERR_OUT_OF_MEMORY_ERROR;
    }
    const RECT rcNone = {-1, -1, -1, -1};
    pRecord->m_pSideWindow->Create("STATIC", "SIDEWINDOW", WS_CHILD, rcNone, pRecord->m_pWindow, 0);
    pRecord->m_pWindow->SetInstance(pRecord);
    return NPERR_NO_ERROR;
}

// Repaints the plug-in window. A window object that is attached to nothing
// (its subclassing failed, or the browser's window is gone) has no window
// to repaint: a NULL handle would invalidate every window on the desktop.
void RepaintWindow(CPluginWindow* pWindow)
{
    if (pWindow->GetSafeHwnd() == NULL)
        return;
    pWindow->Invalidate(TRUE);
    pWindow->UpdateWindow();
}
}  // namespace

// Only the window handle of the NPWindow is used.
NPError NPP_SetWindow(NPP instance, NPWindow* window)
{
    if (window == NULL)
        return NPERR_GENERIC_ERROR;
    if (instance == NULL)
        return NPERR_INVALID_INSTANCE_ERROR;
    PluginInstance* pRecord = static_cast<PluginInstance*>(instance->pdata);
    if (pRecord == NULL)
        return NPERR_GENERIC_ERROR;
    HWND hBrowserWnd = static_cast<HWND>(window->window);
    if (hBrowserWnd == NULL)
    {
        if (pRecord->m_pWindow != NULL)
            ReleaseInstanceObjects(pRecord);
        return NPERR_NO_ERROR;
    }
    if (pRecord->m_pWindow == NULL)
    {
        NPError err = AttachWindow(pRecord, hBrowserWnd);
        if (err != NPERR_NO_ERROR)
            return err;
    }
    RepaintWindow(pRecord->m_pWindow);
    return NPERR_NO_ERROR;
}

// The player goes first, so that the device is closed before its display
// window goes away; the browser's window itself is never destroyed.
void ReleaseInstanceObjects(PluginInstance* pRecord)
{
    if (pRecord->m_pPlayer != NULL)
    {
        pRecord->m_pPlayer->Close();
        delete pRecord->m_pPlayer;
        pRecord->m_pPlayer = NULL;
    }
    ReleaseInstanceWindows(pRecord);
}

void ReleaseInstanceWindows(PluginInstance* pRecord)
{
    if (pRecord->m_pWindow == NULL)
        return;
    pRecord->m_pWindow->RestoreWindowProc();
    pRecord->m_pWindow->Detach();
    delete pRecord->m_pWindow;
    pRecord->m_pWindow = NULL;
    delete pRecord->m_pSideWindow;
    pRecord->m_pSideWindow = NULL;
}
