// The one mciSendCommandA replacement: records, fails on request, lets the
// test's observer answer, then asks the scripted device or the real one.
#include "MciImports.h"

#include <algorithm>

#include "ImportTable.h"
#include "Replacements.h"

namespace {
struct CFailure
{
    UINT uMsg;     // command to fail
    DWORD dwItem;  // status item (MCI_STATUS only)
    MCIERROR err;  // code to answer
};

struct CScript
{
    bool bOn = false;             // the scripted device answers instead of Wine's
    DWORD nLength = 0;            // clip length in frames
    DWORD dwNow = 0;              // the test clock, in milliseconds
    bool bOpen = false;           // a clip is open on DEVICE_ID
    bool bPlaying = false;        // a play command is running
    DWORD nFrom = 0, nTo = 0;     // frame the play started at, frame it stops at
    DWORD dwPlayTick = 0;         // clock value at the play command
    MCIERROR nFailNextPlay = 0;   // answer for the next play command (0: play)
    bool bRefuseWritten = false;  // a file open for writing elsewhere cannot be opened
};

struct CMciState
{
    std::vector<CMciCall> calls;
    std::vector<CFailure> failures;
    MciObserver observer;
    CScript script;
    bool bShareAvi = false;
};

CMciState& State()
{
    static CMciState s_state;
    return s_state;
}
CScript& Script()
{
    return State().script;
}

CMciCall Describe(MCIDEVICEID wDeviceID, UINT uMsg, DWORD dwFlags, DWORD_PTR dwParam)
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
        call.dwItem = static_cast<DWORD>(reinterpret_cast<MCI_STATUS_PARMS*>(dwParam)->dwItem);
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

// TRUE when no other opener holds the file open for writing.
bool CanOpenExclusively(const char* pszFile)
{
    HANDLE hFile = CreateFileA(pszFile, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(hFile);
    return true;
}

MCIERROR ScriptedPlay(DWORD dwFlags, const MCI_PLAY_PARMS* pPlay)
{
    CScript& s = Script();
    DWORD nFrom = (dwFlags & MCI_FROM) ? pPlay->dwFrom : CScriptedMci::Position();
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

MCIERROR ScriptedStatus(MCI_STATUS_PARMS* pStatus)
{
    const CScript& s = Script();
    if (pStatus->dwItem == MCI_STATUS_LENGTH)
        pStatus->dwReturn = s.nLength;
    else if (pStatus->dwItem == MCI_STATUS_POSITION)
        pStatus->dwReturn = CScriptedMci::Position();
    else
        pStatus->dwReturn = s.bPlaying && CScriptedMci::Position() < s.nTo ? MCI_MODE_PLAY : MCI_MODE_STOP;
    return 0;
}

MCIERROR ScriptedOpen(MCI_OPEN_PARMSA* pOpen)
{
    CScript& s = Script();
    if (s.bRefuseWritten && !CanOpenExclusively(pOpen->lpstrElementName))
        return MCIERR_FILE_NOT_FOUND;
    pOpen->wDeviceID = CScriptedMci::DEVICE_ID;
    s.bOpen = true;
    s.bPlaying = false;
    s.nFrom = 0;
    return 0;
}

MCIERROR ScriptedAnswer(MCIDEVICEID wDeviceID, UINT uMsg, DWORD dwFlags, DWORD_PTR dwParam)
{
    CScript& s = Script();
    if (uMsg == MCI_OPEN)
        return ScriptedOpen(reinterpret_cast<MCI_OPEN_PARMSA*>(dwParam));
    if (wDeviceID != CScriptedMci::DEVICE_ID || !s.bOpen)
        return MCIERR_INVALID_DEVICE_ID;
    switch (uMsg)
    {
    case MCI_CLOSE:
        s.bOpen = false;
        s.bPlaying = false;
        return 0;
    case MCI_PLAY:
        return ScriptedPlay(dwFlags, reinterpret_cast<MCI_PLAY_PARMS*>(dwParam));
    case MCI_PAUSE:
        s.nFrom = CScriptedMci::Position();
        s.bPlaying = false;
        return 0;
    case MCI_SEEK:
        s.nFrom = reinterpret_cast<MCI_SEEK_PARMS*>(dwParam)->dwTo;
        s.bPlaying = false;
        return 0;
    case MCI_STATUS:
        return ScriptedStatus(reinterpret_cast<MCI_STATUS_PARMS*>(dwParam));
    case MCI_WHERE:
        reinterpret_cast<MCI_DGV_RECT_PARMS*>(dwParam)->rc = RECT{0, 0, 320, 240};
        return 0;
    default:
        return 0;
    }
}

std::string Hex(UINT n)
{
    char sz[16];
    snprintf(sz, sizeof(sz), "%04X", n);
    return sz;
}

MCIERROR Answer(const CMciCall& call, DWORD_PTR dwParam)
{
    CMciState& s = State();
    MCIERROR result = 0;
    if (s.observer && s.observer(call.wDeviceID, call.uMsg, dwParam, &result))
        return result;
    for (const CFailure& failure : s.failures)
        if (failure.uMsg == call.uMsg && (call.uMsg != MCI_STATUS || failure.dwItem == call.dwItem))
            result = failure.err;
    if (result != 0)
        return result;
    if (s.script.bOn)
        return ScriptedAnswer(call.wDeviceID, call.uMsg, call.dwFlags, dwParam);
    return CMciSpy::Real(call.wDeviceID, call.uMsg, call.dwFlags, dwParam);
}
}  // namespace

MCIERROR WINAPI ReplacedMciSendCommandA(MCIDEVICEID wDeviceID, UINT uMsg, DWORD_PTR dwFlags, DWORD_PTR dwParam)
{
    ImportEvents().push_back("mci " + Hex(uMsg));
    CMciCall call = Describe(wDeviceID, uMsg, static_cast<DWORD>(dwFlags), dwParam);
    call.result = Answer(call, dwParam);
    if (uMsg == MCI_OPEN && call.result == 0)
        call.wOpenedID = reinterpret_cast<MCI_OPEN_PARMSA*>(dwParam)->wDeviceID;
    State().calls.push_back(call);
    return call.result;
}

DWORD WINAPI ReplacedGetTickCount()
{
    return Script().bOn ? Script().dwNow : Original<decltype(&GetTickCount)>(IMP_TICK)();
}

HMMIO WINAPI ReplacedMmioOpenW(LPWSTR pszFile, MMIOINFO* pInfo, DWORD dwFlags)
{
    if (State().bShareAvi && (dwFlags & MMIO_DENYWRITE))
        dwFlags = (dwFlags & ~MMIO_DENYWRITE) | MMIO_DENYNONE;
    return Original<decltype(&mmioOpenW)>(IMP_AVI_OPEN)(pszFile, pInfo, dwFlags);
}

void ResetMci()
{
    State() = CMciState();
}

void CMciSpy::Reset()
{
    State().calls.clear();
    State().failures.clear();
}

void CMciSpy::Fail(UINT uMsg, MCIERROR err, DWORD dwItem)
{
    State().failures.push_back(CFailure{uMsg, dwItem, err});
}

void CMciSpy::Observe(const MciObserver& observer)
{
    State().observer = observer;
}

std::vector<CMciCall>& CMciSpy::Calls()
{
    return State().calls;
}

std::vector<CMciCall> CMciSpy::CallsOf(UINT uMsg)
{
    std::vector<CMciCall> found;
    for (const CMciCall& call : Calls())
        if (call.uMsg == uMsg)
            found.push_back(call);
    return found;
}

MCIERROR CMciSpy::Real(MCIDEVICEID wDeviceID, UINT uMsg, DWORD_PTR dwFlags, DWORD_PTR dwParam)
{
    auto pfnReal = Original<decltype(&mciSendCommandA)>(IMP_MCI_PROGRAM);
    return (pfnReal ? pfnReal : &mciSendCommandA)(wDeviceID, uMsg, dwFlags, dwParam);
}

DWORD DeviceStatus(MCIDEVICEID id, DWORD dwItem, MCIERROR* pErr)
{
    MCI_STATUS_PARMS status = {};
    status.dwItem = dwItem;
    MCIERROR err = CMciSpy::Real(id, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
    if (pErr)
        *pErr = err;
    return err == 0 ? static_cast<DWORD>(status.dwReturn) : 0xFFFFFFFF;
}

bool DeviceAlive(MCIDEVICEID id)
{
    MCIERROR err;
    DeviceStatus(id, MCI_STATUS_MODE, &err);
    return err == 0;
}

void CScriptedMci::Reset(DWORD nLength, DWORD dwNow)
{
    Script() = CScript();
    Script().bOn = true;
    Script().nLength = nLength;
    Script().dwNow = dwNow;
}

void CScriptedMci::SetOpen()
{
    Script().bOpen = true;
}

void CScriptedMci::Advance(DWORD dwMilliseconds)
{
    Script().dwNow += dwMilliseconds;
}

DWORD CScriptedMci::Now()
{
    return Script().dwNow;
}

void CScriptedMci::FailNextPlay(MCIERROR err)
{
    Script().nFailNextPlay = err;
}

void CScriptedMci::RefuseFilesBeingWritten()
{
    Script().bRefuseWritten = true;
}

std::vector<CMciCall> CScriptedMci::TakeCalls()
{
    std::vector<CMciCall> calls;
    calls.swap(State().calls);
    return calls;
}

DWORD CScriptedMci::Position()
{
    const CScript& s = Script();
    if (!s.bPlaying)
        return s.nFrom;
    DWORD nPlayed = (s.dwNow - s.dwPlayTick) * FRAMES_PER_SECOND / 1000;
    return std::min(s.nTo, s.nFrom + nPlayed);
}

void ShareAviFiles(bool bShare)
{
    State().bShareAvi = bShare;
}
