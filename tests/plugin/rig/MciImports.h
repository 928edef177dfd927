// The plug-in's MCI commands through the import table: every command recorded
// (CMciSpy), chosen commands failed, a test's observer asked first, and either
// Wine's real devices or a scripted device with its own clock (CScriptedMci)
// answering. Also Wine's AVI driver made to share the files it opens.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <digitalv.h>

#include <functional>
#include <string>
#include <vector>

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

// A test's look at each command before it is answered; returns true when it
// answered the command itself (with *pResult).
typedef std::function<bool(MCIDEVICEID wDeviceID, UINT uMsg, DWORD_PTR dwParam, MCIERROR* pResult)> MciObserver;

class CMciSpy
{
public:
    // Forgets the record and the planned failures.
    static void Reset();
    // Commands uMsg (for MCI_STATUS: of item dwItem) fail with err until Reset.
    static void Fail(UINT uMsg, MCIERROR err, DWORD dwItem = 0);
    static void Observe(const MciObserver& observer);
    static std::vector<CMciCall>& Calls();
    // Recorded commands of one kind.
    static std::vector<CMciCall> CallsOf(UINT uMsg);
    // The real function, for tests that ask a device themselves.
    static MCIERROR Real(MCIDEVICEID wDeviceID, UINT uMsg, DWORD_PTR dwFlags, DWORD_PTR dwParam);
};

// Device queries of the tests, past the record.
DWORD DeviceStatus(MCIDEVICEID id, DWORD dwItem, MCIERROR* pErr = NULL);
inline DWORD DeviceMode(MCIDEVICEID id)
{
    return DeviceStatus(id, MCI_STATUS_MODE);
}
inline DWORD DevicePosition(MCIDEVICEID id)
{
    return DeviceStatus(id, MCI_STATUS_POSITION);
}
bool DeviceAlive(MCIDEVICEID id);

// The scripted digital-video device: plays at a fixed frame rate against the
// test's clock, which the plug-in's GetTickCount reads while the script is on.
class CScriptedMci
{
public:
    enum
    {
        DEVICE_ID = 42,         // identifier the device answers MCI_OPEN with
        FRAMES_PER_SECOND = 15  // playing speed against the test clock
    };

    // Turns the script on: a closed device holding a clip of nLength frames, the clock at dwNow.
    static void Reset(DWORD nLength, DWORD dwNow);
    // The device as a play routine leaves it: open, at frame 0, not playing.
    static void SetOpen();
    static void Advance(DWORD dwMilliseconds);
    static DWORD Now();
    // The next play command is refused with err.
    static void FailNextPlay(MCIERROR err);
    // Like Wine's device: a file that another opener holds open for writing cannot be opened.
    static void RefuseFilesBeingWritten();

    static std::vector<CMciCall>& Calls() { return CMciSpy::Calls(); }
    // The commands recorded since the last call, which are forgotten.
    static std::vector<CMciCall> TakeCalls();
    // Current frame of the device at the test clock.
    static DWORD Position();
};
typedef CMciCall CScriptedCall;

// Wine's AVI driver opens its file denying writers; while this is on, it asks
// for no exclusion (so it can open a file that a stream still writes).
void ShareAviFiles(bool bShare);

// Back to Wine's devices, clock and driver: no record, failure, observer or script.
void ResetMci();
