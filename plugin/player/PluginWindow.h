// CPluginWindow: the window object behind the browser's plug-in window. It paints
// the frame, the logo and the picture, offers the popup menu and holds the play routine.
#pragma once

#include "Wnd.h"

struct PluginInstance;
class CMciPlayer;

// Window commands (WM_COMMAND identifiers). The last two are sent by no menu item.
const UINT ID_PLAY = 1000;        // "&Play..." / "&Resume..."; also the play routine's resume code
const UINT ID_STOP = 1001;        // "&Stop..."; also the play routine's restart code
const UINT ID_ABOUT = 1007;       // "&About": the companion player's About box
const UINT ID_GO = 1010;          // "Go ZEV!": the gallery page through the Go page
const UINT ID_STEP_LONG = 1016;   // extend progressive playback in steps of 400 frames
const UINT ID_STEP_SHORT = 1017;  // extend progressive playback in steps of 200 frames
const UINT ID_PAUSE = 1018;       // "P&ause..."

// m_nSyncFrame values of the player: playback being restarted / released up to the
// first frame; release points at or below SYNC_BARELY_STARTED mean playback has not
// really begun (Play then restarts rather than resumes).
const DWORD SYNC_RESTARTING = 0;
const DWORD SYNC_FIRST_FRAME = 1;
const DWORD SYNC_BARELY_STARTED = 2;

// The product logo: bitmap resource of the plug-in's own module.
const UINT IDB_LOGO = 129;

class CPluginWindow : public CWnd
{
public:
    CPluginWindow();
    ~CPluginWindow() override;

    const CMessageTable* GetMessageTable() const override;
    WNDPROC* GetSuperWndProcAddr() override;

    // Links the window to the instance record that owns it.
    void SetInstance(PluginInstance* pInstance) { m_pInstance = pInstance; }
    PluginInstance* GetInstance() const { return m_pInstance; }

    // The play routine. nCode ID_PLAY (1000) resumes or restarts, ID_STOP (1001)
    // restarts from the first frame; any other code (a real click's key state)
    // does nothing. While the clip downloads it opens the temporary file and shows
    // the first frame; afterwards it plays to the end. point is not used.
    void OnLButtonDown(UINT nCode, POINT point);

    // Shared by every plug-in window of the process.
    static BOOL s_bInPaint;    // a paint is running; a paint that arrives meanwhile is dropped
    static BOOL s_bLogoShown;  // the logo was drawn and no picture rectangle was found since

    static const CMessageTable s_messageTable;

protected:
    void OnPaint();
    void OnPaletteChanged(CWnd* pFocusWnd);
    void OnPlay();
    void OnStop();
    void OnPause();
    void OnGo();
    void OnStepLong();
    void OnStepShort();
    void OnAbout();
    void OnRButtonDown(UINT nFlags, POINT point);

    // Sunken grey frame nWidth lines deep over the whole client area; *pExclude
    // (the picture, or an empty rectangle) is left alone.
    void DrawFrame(int nWidth, const RECT* pExclude);
    // The logo stretched to 160 x 120 in the middle of the client area.
    void DrawLogo();

    PluginInstance* m_pInstance;  // owning instance (not owned); NULL until SetInstance

private:
    // Lets a handler that dispatches messages learn that its window object was
    // deleted meanwhile (for instance the instance torn down by a dispatched
    // message). Guards nest; the destructor marks every guard still active.
    class CDestroyGuard
    {
    public:
        explicit CDestroyGuard(CPluginWindow* pWnd);
        ~CDestroyGuard();
        BOOL IsDestroyed() const { return m_bDestroyed; }

    private:
        friend class CPluginWindow;
        CPluginWindow* m_pWnd;    // window watched; not touched once it is deleted
        CDestroyGuard* m_pOuter;  // guard of an enclosing handler of the same window
        BOOL m_bDestroyed;        // the window object was deleted while the guard lived
    };

    // The instance's player, or NULL without instance or player.
    CMciPlayer* GetPlayer() const;
    // InvalidateRect (erasing) and UpdateWindow on the instance's window.
    void RepaintInstanceWindow();
    // The play routine while the clip downloads / once it is complete.
    void StartDownloadingClip(UINT nCode, CMciPlayer* pPlayer);
    void PlayCompleteClip(CMciPlayer* pPlayer);
    // Dispatches queued messages every 100 ms while the device seeks. FALSE when
    // the window object or its player went away meanwhile: the caller must then
    // return at once without touching any member.
    BOOL WaitWhileSeeking(CMciPlayer* pPlayer);
    // Grayed states and first item of the popup menu.
    void GetMenuStates(CMciPlayer* pPlayer, BOOL* pbPlayGrayed, BOOL* pbStopGrayed) const;

    CDestroyGuard* m_pGuards;  // innermost active guard, NULL when none

    static const CMessageRow s_messageRows[];
};
