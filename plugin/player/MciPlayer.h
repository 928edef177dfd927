// CMciPlayer: plays one clip file on the MCI digital-video device inside the
// plug-in window, and carries the playback counters the stream and window share.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <string>

class CWnd;

// Frame value Seek answers on failure.
const DWORD MCIPLAYER_SEEK_FAILED = 0xFFFFFFFF;

// One player per plug-in instance. Every command goes to the device by its
// identifier, without notification and without waiting; times are frames.
// Operations answer TRUE/FALSE (or a value with a fixed failure value) and keep
// the MCI code of a failure in m_dwLastError.
class CMciPlayer
{
public:
    CMciPlayer();
    ~CMciPlayer();

    // Opens strFile (device chosen by extension), the device's own window a child
    // of pParentWnd. dwStart 0: picture into pOwnerWnd at once; else seek there and
    // leave the picture detached until AttachWindow.
    BOOL Open(CWnd* pOwnerWnd, CWnd* pParentWnd, LPCSTR strFile, DWORD dwStart);
    // Directs the picture into the owner window; FALSE without an owner window.
    BOOL AttachWindow();
    // Closes the device (if one is open) and forgets the file and the owner window.
    void Close();
    // Close, then Open again with the same windows and file, then CenterVideo.
    // Only when a clip was opened (m_bOpened).
    BOOL Reopen(DWORD dwStart);
    // Redraws the current frame into the video window.
    void Update();
    BOOL Play();                               // current position to the end
    BOOL PlayRange(DWORD dwFrom, DWORD dwTo);  // from dwFrom to dwTo
    BOOL PlayTo(DWORD dwTo);                   // current position to dwTo
    // Realizes the device's palette as a background palette; MCI's result.
    MCIERROR Realize();
    // Pause and Stop both pause at the current frame; a failure closes the device.
    BOOL Pause();
    BOOL Stop();
    // Length and current frame; 0 without a device, and 0 on failure, which also
    // closes the device (m_bOpened unchanged).
    DWORD GetLength();
    DWORD GetPosition();
    // Device mode (MCI_MODE_...); 0 without a device, MCI_MODE_NOT_READY on failure.
    DWORD GetMode();
    // Places the picture, at its native size, in the middle of the video window.
    BOOL CenterVideo();
    // The same; pDest receives left, top, width, height (in its four members).
    BOOL CenterVideo(RECT* pDest);
    // Moves to frame dwTo; answers dwTo, or MCIPLAYER_SEEK_FAILED.
    DWORD Seek(DWORD dwTo);
    // Starts the companion player program with its About switch (uses no player state).
    void ShowAbout();

    BOOL m_bOpened;           // a clip was opened successfully and not closed since
    BOOL m_bPlaying;          // a play command succeeded since the last pause/stop/close
    HWND m_hVideoWnd;         // window showing the picture (owner handle of the last open)
    DWORD m_nSyncFrame;       // frame up to which progressive playback is released
    DWORD m_nBytesReceived;   // stream bytes delivered so far, header included
    DWORD m_nLength;          // clip length in frames, stored when the clip is opened
    BOOL m_bNoSaveOffer;      // 1: no offer to save the clip at instance destruction
    MCIDEVICEID m_wDeviceID;  // open device, 0 when none
    BOOL m_bPaused;           // paused by the user: the next play resumes
    DWORD m_nStartBytes;      // byte count from which playback may start
    MCIERROR m_dwLastError;   // code of the last failed MCI command (never cleared)
    std::string m_strFile;    // path of the open clip, empty when closed
    CWnd* m_pOwnerWnd;        // window that receives the picture (not owned)
    CWnd* m_pParentWnd;       // parent of the device's default window (not owned)

private:
    // Sends one command to the open device; records a failure.
    BOOL SendCommand(UINT nMessage, DWORD dwFlags, void* pParams);
    // Status item query; TRUE and *pValue on success.
    BOOL QueryStatus(DWORD dwItem, DWORD* pValue);
    // Sends MCI_WINDOW with the owner handle.
    BOOL SendWindow();
    // MCI_CLOSE after a failure; the device identifier is given up.
    void DropDevice();

    CMciPlayer(const CMciPlayer&) = delete;
    CMciPlayer& operator=(const CMciPlayer&) = delete;
};
