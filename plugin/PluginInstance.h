// PluginInstance: the record of one plug-in instance, kept in the instance's
// and the stream's pdata; it owns the player, the windows and the clip file.
#pragma once

#include <windows.h>

#include "StreamNames.h"
#include "npapi.h"

class CPluginWindow;
class CWnd;
class CMciPlayer;
class CStreamFile;

// Minimum advance of progressive playback, in frames (long and short step).
const DWORD EXTEND_STEP_LONG = 400;
const DWORD EXTEND_STEP_SHORT = 200;

struct PluginInstance
{
    CPluginWindow* m_pWindow;            // owned: window object subclassing the browser's window, NULL until SetWindow
    CWnd* m_pSideWindow;                 // owned: hidden "STATIC" child of m_pWindow, the player's MCI parent window
    CMciPlayer* m_pPlayer;               // owned: the instance's player, NULL once released
    BOOL m_bAutoStart;                   // play by itself while the clip downloads (the "autostart" attribute)
    CStreamFile* m_pStreamFile;          // owned: temporary clip file while a stream is received, else NULL
    uint16_t m_wMode;                    // NP_EMBED or NP_FULL, as given to NPP_New
    DWORD m_nExtendStep;                 // minimum advance in frames before playback is extended
    BOOL m_bStreamOpen;                  // a stream is being received (NPP_NewStream until NPP_DestroyStream)
    char m_szTempPath[kStreamNameSize];  // full path of the temporary clip file, "" when none
    char m_szSaveName[kStreamNameSize];  // file name proposed by the Save As offer
    NPStream* m_pStream;                 // the stream being received (NPP_NewStream until NPP_DestroyStream), else NULL
    PluginInstance* m_pNextLive;         // next record in the library's list of live instances
};

// The library's live records, from NPP_New until NPP_Destroy. A host may deliver a last call
// for a stream whose instance is gone: its pdata then names a freed record, which is never
// looked into - only compared with the live ones.
void AddLiveInstance(PluginInstance* pRecord);
void RemoveLiveInstance(PluginInstance* pRecord);
// The live record whose current stream this is (through the stream's pdata), else NULL.
PluginInstance* FindStreamRecord(const NPStream* stream);

// Releases the player (closing its device first), then the window object -
// giving the browser's window its own procedure back - and the side window.
// Afterwards the record holds no player and no windows.
void ReleaseInstanceObjects(PluginInstance* pRecord);
// The window part of it: the window object (the browser's window gets its own procedure
// back) and the side window.
void ReleaseInstanceWindows(PluginInstance* pRecord);
