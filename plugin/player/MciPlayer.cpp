// CMciPlayer: the MCI commands behind each player operation and its failure rules.
#include "MciPlayer.h"

#include <digitalv.h>

#include <new>

#include "StreamFile.h"
#include "Wnd.h"

namespace {
// Flags of the open command: element name, window style, parent window, 32-bit block.
const DWORD OPEN_FLAGS = MCI_OPEN_ELEMENT | MCI_DGV_OPEN_WS | MCI_DGV_OPEN_PARENT | MCI_DGV_OPEN_32BIT;

HWND HandleOf(CWnd* pWnd)
{
    return pWnd ? pWnd->GetSafeHwnd() : NULL;
}
}  // namespace

CMciPlayer::CMciPlayer()
    : m_bOpened(FALSE), m_bPlaying(FALSE), m_hVideoWnd(NULL), m_nSyncFrame(0), m_nBytesReceived(0), m_nLength(0),
      m_bNoSaveOffer(TRUE), m_wDeviceID(0), m_bPaused(FALSE), m_nStartBytes(CStreamFile::kUnknownStartBytes),
      m_dwLastError(0), m_pOwnerWnd(NULL), m_pParentWnd(NULL)
{}

CMciPlayer::~CMciPlayer()
{
    Close();
}

BOOL CMciPlayer::SendCommand(UINT nMessage, DWORD dwFlags, void* pParams)
{
    MCIERROR err = ::mciSendCommandA(m_wDeviceID, nMessage, dwFlags, reinterpret_cast<DWORD_PTR>(pParams));
    if (err != 0)
    {
        m_dwLastError = err;
        return FALSE;
    }
    return TRUE;
}

BOOL CMciPlayer::Open(CWnd* pOwnerWnd, CWnd* pParentWnd, LPCSTR strFile, DWORD dwStart)
{
    // The name may be this player's own m_strFile, which Close empties. A copy that cannot
    // be made fails the open before anything changes.
    std::string file;
    try
    {
        file = strFile ? strFile : "";
    }
    catch (const std::bad_alloc&)
    {
        m_dwLastError = MCIERR_OUT_OF_MEMORY;
        return FALSE;
    }
    if (m_wDeviceID != 0)
        Close();
    m_pParentWnd = pParentWnd;

    char szAlias[] = "AVIPlugIn";
    MCI_DGV_OPEN_PARMSA open = {};
    open.lpstrDeviceType = NULL;
    open.lpstrElementName = &file[0];
    open.lpstrAlias = szAlias;
    open.dwStyle = WS_CHILD;
    open.hWndParent = HandleOf(pParentWnd);
    MCIERROR err = ::mciSendCommandA(0, MCI_OPEN, OPEN_FLAGS, reinterpret_cast<DWORD_PTR>(&open));
    if (err != 0)
    {
        m_dwLastError = err;
        return FALSE;
    }

    m_strFile.swap(file);
    m_pOwnerWnd = pOwnerWnd;
    m_wDeviceID = open.wDeviceID;
    if (dwStart != 0)
        Seek(dwStart);
    else if (!SendWindow())
        return FALSE;

    m_hVideoWnd = HandleOf(pOwnerWnd);
    m_bOpened = TRUE;
    return TRUE;
}

BOOL CMciPlayer::SendWindow()
{
    MCI_DGV_WINDOW_PARMSA window = {};
    window.hWnd = HandleOf(m_pOwnerWnd);
    return SendCommand(MCI_WINDOW, MCI_DGV_WINDOW_HWND, &window);
}

BOOL CMciPlayer::AttachWindow()
{
    if (m_pOwnerWnd == NULL)
        return FALSE;
    return SendWindow();
}

void CMciPlayer::Close()
{
    if (m_wDeviceID != 0)
        ::mciSendCommandA(m_wDeviceID, MCI_CLOSE, 0, 0);
    m_wDeviceID = 0;
    m_bPlaying = FALSE;
    m_bOpened = FALSE;
    m_strFile.clear();
    m_pOwnerWnd = NULL;
}

void CMciPlayer::DropDevice()
{
    ::mciSendCommandA(m_wDeviceID, MCI_CLOSE, 0, 0);
    m_wDeviceID = 0;
}

BOOL CMciPlayer::Reopen(DWORD dwStart)
{
    if (!m_bOpened)
        return FALSE;
    CWnd* pOwnerWnd = m_pOwnerWnd;
    CWnd* pParentWnd = m_pParentWnd;
    std::string file;
    file.swap(m_strFile);
    Close();
    if (!Open(pOwnerWnd, pParentWnd, file.c_str(), dwStart))
        return FALSE;
    CenterVideo();
    return TRUE;
}

void CMciPlayer::Update()
{
    HDC hdc = ::GetDC(m_hVideoWnd);
    if (m_wDeviceID != 0)
    {
        MCI_DGV_UPDATE_PARMS update = {};
        update.hDC = hdc;
        ::mciSendCommandA(m_wDeviceID, MCI_UPDATE, MCI_DGV_UPDATE_HDC, reinterpret_cast<DWORD_PTR>(&update));
    }
    ::ReleaseDC(m_hVideoWnd, hdc);
}

BOOL CMciPlayer::Play()
{
    MCI_PLAY_PARMS play = {};
    if (!SendCommand(MCI_PLAY, 0, &play))
        return FALSE;
    m_bPlaying = TRUE;
    return TRUE;
}

BOOL CMciPlayer::PlayRange(DWORD dwFrom, DWORD dwTo)
{
    MCI_PLAY_PARMS play = {};
    play.dwFrom = dwFrom;
    play.dwTo = dwTo;
    if (!SendCommand(MCI_PLAY, MCI_FROM | MCI_TO, &play))
        return FALSE;
    m_bPlaying = TRUE;
    return TRUE;
}

BOOL CMciPlayer::PlayTo(DWORD dwTo)
{
    MCI_PLAY_PARMS play = {};
    play.dwTo = dwTo;
    if (!SendCommand(MCI_PLAY, MCI_TO, &play))
        return FALSE;
    m_bPlaying = TRUE;
    return TRUE;
}

MCIERROR CMciPlayer::Realize()
{
    return ::mciSendCommandA(m_wDeviceID, MCI_REALIZE, MCI_DGV_REALIZE_BKGD, 0);
}

BOOL CMciPlayer::Pause()
{
    m_bPlaying = FALSE;
    if (SendCommand(MCI_PAUSE, 0, NULL))
        return TRUE;
    DropDevice();
    m_bOpened = FALSE;
    return FALSE;
}

BOOL CMciPlayer::Stop()
{
    return Pause();
}

BOOL CMciPlayer::QueryStatus(DWORD dwItem, DWORD* pValue)
{
    MCI_STATUS_PARMS status = {};
    status.dwItem = dwItem;
    MCIERROR err = ::mciSendCommandA(m_wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
    if (err != 0)
    {
        if (dwItem != MCI_STATUS_MODE)
            m_dwLastError = err;
        return FALSE;
    }
    *pValue = static_cast<DWORD>(status.dwReturn);
    return TRUE;
}

DWORD CMciPlayer::GetLength()
{
    if (m_wDeviceID == 0)
        return 0;
    DWORD dwLength = 0;
    if (!QueryStatus(MCI_STATUS_LENGTH, &dwLength))
    {
        DropDevice();
        return 0;
    }
    return dwLength;
}

DWORD CMciPlayer::GetPosition()
{
    if (m_wDeviceID == 0)
        return 0;
    DWORD dwPosition = 0;
    if (!QueryStatus(MCI_STATUS_POSITION, &dwPosition))
    {
        DropDevice();
        return 0;
    }
    return dwPosition;
}

DWORD CMciPlayer::GetMode()
{
    if (m_wDeviceID == 0)
        return 0;
    DWORD dwMode = 0;
    if (!QueryStatus(MCI_STATUS_MODE, &dwMode))
        return MCI_MODE_NOT_READY;
    return dwMode;
}

BOOL CMciPlayer::CenterVideo()
{
    RECT dest;
    return CenterVideo(&dest);
}

BOOL CMciPlayer::CenterVideo(RECT* pDest)
{
    MCI_DGV_RECT_PARMS where = {};
    if (::mciSendCommandA(m_wDeviceID, MCI_WHERE, MCI_DGV_WHERE_SOURCE, reinterpret_cast<DWORD_PTR>(&where)) != 0)
        return FALSE;
    // MCI rectangles carry the width and height in right and bottom.
    LONG nWidth = where.rc.right;
    LONG nHeight = where.rc.bottom;

    RECT window = {};
    ::GetWindowRect(m_hVideoWnd, &window);
    LONG nWindowWidth = window.right - window.left;
    LONG nWindowHeight = window.bottom - window.top;

    MCI_DGV_PUT_PARMS put = {};
    put.rc.left = (nWindowWidth - nWidth) / 2;
    put.rc.top = (nWindowHeight - nHeight) / 2;
    put.rc.right = nWidth;
    put.rc.bottom = nHeight;
    ::mciSendCommandA(m_wDeviceID, MCI_PUT, MCI_DGV_PUT_DESTINATION | MCI_DGV_RECT, reinterpret_cast<DWORD_PTR>(&put));
    *pDest = put.rc;
    return TRUE;
}

DWORD CMciPlayer::Seek(DWORD dwTo)
{
    MCI_SEEK_PARMS seek = {};
    seek.dwTo = dwTo;
    if (!SendCommand(MCI_SEEK, MCI_TO, &seek))
        return MCIPLAYER_SEEK_FAILED;
    return dwTo;
}
