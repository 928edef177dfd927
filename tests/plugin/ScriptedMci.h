// ScriptedMci.h - a scripted digital-video device and clock for a module under test: its
// mciSendCommandA and GetTickCount imports are replaced, every command is recorded, and the
// device plays at a fixed frame rate against the test's clock (no real device is involved).
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <digitalv.h>

#include <algorithm>
#include <string>
#include <vector>

#include "IatHook.h"

// One command the module sent.
struct CScriptedCall
{
    MCIDEVICEID wDeviceID;   // device addressed
    UINT uMsg;               // MCI_OPEN, MCI_PLAY, ...
    DWORD dwFlags;           // command flags
    DWORD dwItem;            // MCI_STATUS: item asked for
    DWORD dwFrom, dwTo;      // MCI_PLAY / MCI_SEEK limits (when their flags are given)
    std::string strElement;  // MCI_OPEN: file name
    MCIERROR result;         // what the module got back
};

class CScriptedMci
{
public:
    enum
    {
        DEVICE_ID = 42,         // identifier the device answers MCI_OPEN with
        FRAMES_PER_SECOND = 15  // playing speed against the test clock
    };

    // Replaces the module's imports (once per process); FALSE when one is missing.
    static BOOL Install(HMODULE hModule)
    {
        static CIatHook s_mciHook, s_tickHook;
        if (s_mciHook.IsInstalled())
            return TRUE;
        return s_mciHook.Install(hModule, "winmm.dll", "mciSendCommandA", reinterpret_cast<void*>(&Command)) &&
               s_tickHook.Install(hModule, "kernel32.dll", "GetTickCount", reinterpret_cast<void*>(&TickCount));
    }

    // A closed device holding a clip of nLength frames; the clock at dwNow; no record.
    static void Reset(DWORD nLength, DWORD dwNow)
    {
        State() = CState();
        State().nLength = nLength;
        State().dwNow = dwNow;
    }
    // The device as a play routine leaves it: open, at frame 0, not playing.
    static void SetOpen() { State().bOpen = true; }
    static void Advance(DWORD dwMilliseconds) { State().dwNow += dwMilliseconds; }
    static DWORD Now() { return State().dwNow; }
    // The next play command is refused with err.
    static void FailNextPlay(MCIERROR err) { State().nFailNextPlay = err; }
    // Like Wine's device: a file that another opener holds open for writing cannot be opened.
    static void RefuseFilesBeingWritten() { State().bRefuseWritten = true; }

    static std::vector<CScriptedCall>& Calls() { return State().calls; }
    // The commands recorded since the last call of TakeCalls, which forgets them.
    static std::vector<CScriptedCall> TakeCalls()
    {
        std::vector<CScriptedCall> calls;
        calls.swap(State().calls);
        return calls;
    }
    // Current frame of the device at the test clock.
    static DWORD Position()
    {
        const CState& s = State();
        if (!s.bPlaying)
            return s.nFrom;
        DWORD nPlayed = (s.dwNow - s.dwPlayTick) * FRAMES_PER_SECOND / 1000;
        return std::min(s.nTo, s.nFrom + nPlayed);
    }

private:
    struct CState
    {
        DWORD nLength = 0;            // clip length in frames
        DWORD dwNow = 0;              // the test clock, in milliseconds
        bool bOpen = false;           // a clip is open on DEVICE_ID
        bool bPlaying = false;        // a play command is running
        DWORD nFrom = 0, nTo = 0;     // frame the play started at, frame it stops at
        DWORD dwPlayTick = 0;         // clock value at the play command
        MCIERROR nFailNextPlay = 0;   // answer for the next play command (0: play)
        bool bRefuseWritten = false;  // a file open for writing elsewhere cannot be opened
        std::vector<CScriptedCall> calls;
    };
    static CState& State()
    {
        static CState s_state;
        return s_state;
    }

    static DWORD WINAPI TickCount() { return State().dwNow; }

    // TRUE when no other opener holds the file open for writing.
    static bool CanOpenExclusively(const char* pszFile)
    {
        HANDLE hFile = CreateFileA(pszFile, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        if (hFile == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(hFile);
        return true;
    }

    static MCIERROR Play(DWORD dwFlags, const MCI_PLAY_PARMS* pPlay)
    {
        CState& s = State();
        DWORD nFrom = (dwFlags & MCI_FROM) ? pPlay->dwFrom : Position();
        DWORD nTo = (dwFlags & MCI_TO) ? pPlay->dwTo : s.nLength;
        if (s.nFailNextPlay != 0)
        {
            MCIERROR err = s.nFailNextPlay;
            s.nFailNextPlay = 0;
            return err;
        }
        if (nFrom > s.nLength || nTo > s.nLength || nTo < nFrom)
            return MCIERR_OUTOFRANGE;
        s.bPlaying = true;
        s.nFrom = nFrom;
        s.nTo = nTo;
        s.dwPlayTick = s.dwNow;
        return 0;
    }

    static MCIERROR Answer(MCIDEVICEID wDeviceID, UINT uMsg, DWORD dwFlags, DWORD_PTR dwParam)
    {
        CState& s = State();
        if (uMsg == MCI_OPEN)
        {
            const char* pszFile = reinterpret_cast<MCI_OPEN_PARMSA*>(dwParam)->lpstrElementName;
            if (s.bRefuseWritten && !CanOpenExclusively(pszFile))
                return MCIERR_FILE_NOT_FOUND;
            reinterpret_cast<MCI_OPEN_PARMSA*>(dwParam)->wDeviceID = DEVICE_ID;
            s.bOpen = true;
            s.bPlaying = false;
            s.nFrom = 0;
            return 0;
        }
        if (wDeviceID != DEVICE_ID || !s.bOpen)
            return MCIERR_INVALID_DEVICE_ID;
        switch (uMsg)
        {
        case MCI_CLOSE:
            s.bOpen = false;
            s.bPlaying = false;
            return 0;
        case MCI_PLAY:
            return Play(dwFlags, reinterpret_cast<MCI_PLAY_PARMS*>(dwParam));
        case MCI_PAUSE:
            s.nFrom = Position();
            s.bPlaying = false;
            return 0;
        case MCI_SEEK:
            s.nFrom = reinterpret_cast<MCI_SEEK_PARMS*>(dwParam)->dwTo;
            s.bPlaying = false;
            return 0;
        case MCI_STATUS:
        {
            auto* pStatus = reinterpret_cast<MCI_STATUS_PARMS*>(dwParam);
            if (pStatus->dwItem == MCI_STATUS_LENGTH)
                pStatus->dwReturn = s.nLength;
            else if (pStatus->dwItem == MCI_STATUS_POSITION)
                pStatus->dwReturn = Position();
            else
                pStatus->dwReturn = s.bPlaying && Position() < s.nTo ? MCI_MODE_PLAY : MCI_MODE_STOP;
            return 0;
        }
        case MCI_WHERE:
        {
            RECT rc = {0, 0, 320, 240};
            reinterpret_cast<MCI_DGV_RECT_PARMS*>(dwParam)->rc = rc;
            return 0;
        }
        default:
            return 0;
        }
    }

    static MCIERROR WINAPI Command(MCIDEVICEID wDeviceID, UINT uMsg, DWORD_PTR dwFlags, DWORD_PTR dwParam)
    {
        CScriptedCall call = {};
        call.wDeviceID = wDeviceID;
        call.uMsg = uMsg;
        call.dwFlags = static_cast<DWORD>(dwFlags);
        if (uMsg == MCI_STATUS && dwParam != 0)
            call.dwItem = static_cast<DWORD>(reinterpret_cast<MCI_STATUS_PARMS*>(dwParam)->dwItem);
        if (uMsg == MCI_PLAY && dwParam != 0)
        {
            call.dwFrom = reinterpret_cast<MCI_PLAY_PARMS*>(dwParam)->dwFrom;
            call.dwTo = reinterpret_cast<MCI_PLAY_PARMS*>(dwParam)->dwTo;
        }
        if (uMsg == MCI_OPEN && dwParam != 0)
        {
            const char* pszElement = reinterpret_cast<MCI_OPEN_PARMSA*>(dwParam)->lpstrElementName;
            call.strElement = pszElement ? pszElement : "";
        }
        call.result = Answer(wDeviceID, uMsg, static_cast<DWORD>(dwFlags), dwParam);
        State().calls.push_back(call);
        return call.result;
    }
};
