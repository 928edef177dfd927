// Test spy for mciSendCommandA: records every command a module sends (with the
// parameter-block fields the player fills in) and can make chosen commands fail.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <digitalv.h>

#include <string>
#include <vector>

#include "IatHook.h"

// One recorded command.
struct CMciCall
{
    MCIDEVICEID wDeviceID;   // device the command was sent to
    UINT uMsg;               // MCI_OPEN, MCI_PLAY, ...
    DWORD dwFlags;           // command flags
    bool bHasParams;         // a parameter block was passed
    DWORD dwItem;            // MCI_STATUS: the item asked for
    DWORD dwFrom, dwTo;      // MCI_PLAY / MCI_SEEK limits
    HWND hWnd;               // MCI_WINDOW: window; MCI_OPEN: parent window
    HDC hDC;                 // MCI_UPDATE: context
    RECT rc;                 // MCI_PUT: rectangle
    DWORD dwStyle;           // MCI_OPEN: window style
    std::string strElement;  // MCI_OPEN: element name
    std::string strAlias;    // MCI_OPEN: alias text
    bool bDeviceTypeNull;    // MCI_OPEN: no device type given
    MCIDEVICEID wOpenedID;   // MCI_OPEN: identifier returned
    MCIERROR result;         // what the caller got back
};

// Process-wide spy: the hook is installed once per module and left in place;
// Reset() forgets the record and every planned failure.
class CMciSpy
{
public:
    // Hooks hModule's import of mciSendCommandA; FALSE when it has none.
    static BOOL Install(HMODULE hModule)
    {
        if (Hook().IsInstalled())
            return TRUE;
        return Hook().Install(hModule, "winmm.dll", "mciSendCommandA", reinterpret_cast<void*>(&Spy));
    }
    static void Reset()
    {
        Calls().clear();
        Failures().clear();
    }
    // Commands uMsg (for MCI_STATUS: of item dwItem) fail with err instead of
    // reaching the device, until Reset.
    static void Fail(UINT uMsg, MCIERROR err, DWORD dwItem = 0) { Failures().push_back(CFailure{uMsg, dwItem, err}); }
    static std::vector<CMciCall>& Calls()
    {
        static std::vector<CMciCall> s_calls;
        return s_calls;
    }
    // Recorded commands of one kind.
    static std::vector<CMciCall> CallsOf(UINT uMsg)
    {
        std::vector<CMciCall> found;
        for (const CMciCall& call : Calls())
            if (call.uMsg == uMsg)
                found.push_back(call);
        return found;
    }
    // The real function, for tests that ask the device themselves.
    static MCIERROR Real(MCIDEVICEID wDeviceID, UINT uMsg, DWORD_PTR dwFlags, DWORD_PTR dwParam)
    {
        return Hook().Original<decltype(&mciSendCommandA)>()(wDeviceID, uMsg, dwFlags, dwParam);
    }

private:
    struct CFailure
    {
        UINT uMsg;     // command to fail
        DWORD dwItem;  // status item (MCI_STATUS only)
        MCIERROR err;  // code to answer
    };

    static CIatHook& Hook()
    {
        static CIatHook s_hook;
        return s_hook;
    }
    static std::vector<CFailure>& Failures()
    {
        static std::vector<CFailure> s_failures;
        return s_failures;
    }

    static CMciCall Describe(MCIDEVICEID wDeviceID, UINT uMsg, DWORD dwFlags, DWORD_PTR dwParam)
    {
        CMciCall call = {};
        call.wDeviceID = wDeviceID;
        call.uMsg = uMsg;
        call.dwFlags = dwFlags;
        call.bHasParams = dwParam != 0;
        if (dwParam == 0)
            return call;
        switch (uMsg)
        {
        case MCI_OPEN:
        {
            auto* p = reinterpret_cast<MCI_DGV_OPEN_PARMSA*>(dwParam);
            call.strElement = p->lpstrElementName ? p->lpstrElementName : "";
            call.strAlias = p->lpstrAlias ? p->lpstrAlias : "";
            call.bDeviceTypeNull = p->lpstrDeviceType == NULL;
            call.dwStyle = p->dwStyle;
            call.hWnd = p->hWndParent;
            break;
        }
        case MCI_STATUS:
            call.dwItem = reinterpret_cast<MCI_STATUS_PARMS*>(dwParam)->dwItem;
            break;
        case MCI_PLAY:
            call.dwFrom = reinterpret_cast<MCI_PLAY_PARMS*>(dwParam)->dwFrom;
            call.dwTo = reinterpret_cast<MCI_PLAY_PARMS*>(dwParam)->dwTo;
            break;
        case MCI_SEEK:
            call.dwTo = reinterpret_cast<MCI_SEEK_PARMS*>(dwParam)->dwTo;
            break;
        case MCI_WINDOW:
            call.hWnd = reinterpret_cast<MCI_DGV_WINDOW_PARMSA*>(dwParam)->hWnd;
            break;
        case MCI_UPDATE:
            call.hDC = reinterpret_cast<MCI_DGV_UPDATE_PARMS*>(dwParam)->hDC;
            break;
        case MCI_PUT:
            call.rc = reinterpret_cast<MCI_DGV_PUT_PARMS*>(dwParam)->rc;
            break;
        }
        return call;
    }

    static MCIERROR WINAPI Spy(MCIDEVICEID wDeviceID, UINT uMsg, DWORD_PTR dwFlags, DWORD_PTR dwParam)
    {
        CMciCall call = Describe(wDeviceID, uMsg, static_cast<DWORD>(dwFlags), dwParam);
        call.result = 0;
        for (const CFailure& failure : Failures())
            if (failure.uMsg == uMsg && (uMsg != MCI_STATUS || failure.dwItem == call.dwItem))
                call.result = failure.err;
        if (call.result == 0)
            call.result = Real(wDeviceID, uMsg, dwFlags, dwParam);
        if (uMsg == MCI_OPEN && call.result == 0)
            call.wOpenedID = reinterpret_cast<MCI_OPEN_PARMSA*>(dwParam)->wDeviceID;
        Calls().push_back(call);
        return call.result;
    }
};
