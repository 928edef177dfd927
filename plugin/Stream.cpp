// Stream.cpp - the stream functions of the plug-in table: the temporary clip file and the
// save decision of a new stream, reassembly chunk by chunk, the start and extension of
// playback while the clip downloads, and the end of the stream.
#include <new>

#include "MciPlayer.h"
#include "PluginFuncs.h"
#include "PluginInstance.h"
#include "PluginWindow.h"
#include "StreamFile.h"
#include "StreamNames.h"

namespace {
// NPP_WriteReady's answer: the plug-in takes chunks of any size.
const int32_t WRITE_READY_BYTES = 0x0FFFFFFF;

// A local file is not offered for saving; a remote clip is, under the name its URL ends with.
// A stream without a URL changes nothing.
void PrepareSaveOffer(PluginInstance* pRecord, const char* pszUrl)
{
    CMciPlayer* pPlayer = pRecord->m_pPlayer;
    if (IsLocalUrl(pszUrl))
    {
        if (pPlayer != NULL)
            pPlayer->m_bNoSaveOffer = TRUE;
        return;
    }
    if (pszUrl == NULL || pszUrl[0] == '\0')
        return;
    MakeSaveName(pszUrl, pRecord->m_szSaveName);
    if (pPlayer != NULL)
        pPlayer->m_bNoSaveOffer = FALSE;
}

// The temporary clip file of a new stream, or NULL (and no path) when it cannot be made.
CStreamFile* CreateStreamFile(PluginInstance* pRecord, DWORD dwStreamEnd)
{
    CStreamFile* pFile = new (std::nothrow) CStreamFile(dwStreamEnd);
    if (pFile != NULL && CreateTempClipFile(*pFile, pRecord->m_szTempPath))
        return pFile;
    delete pFile;
    pRecord->m_szTempPath[0] = '\0';
    return NULL;
}

// Releases more of the clip to the player: at most once per interval (or at once after the
// start), and only when the downloaded share has moved far enough past the release point.
void ExtendPlayback(PluginInstance* pRecord, CStreamFile* pFile)
{
    CMciPlayer* pPlayer = pRecord->m_pPlayer;
    if (!pFile->IsExtensionDue(GetTickCount(), pPlayer->m_nSyncFrame))
        return;
    DWORD nReleaseTo = pFile->ReleasePoint(pPlayer->m_nLength, pPlayer->m_nSyncFrame, pRecord->m_nExtendStep);
    if (nReleaseTo == 0)
        return;
    pFile->Flush();
    pPlayer->m_nSyncFrame = pPlayer->GetPosition();
    if (!pPlayer->PlayTo(nReleaseTo))
        return;
    pPlayer->m_nSyncFrame = nReleaseTo;
    pFile->RestartClock(GetTickCount());
}

// Opens the clip in the plug-in window and shows its first frame (during the download), or
// plays the complete clip from its start (after it).
void StartPlayback(PluginInstance* pRecord)
{
    POINT point = {0, 0};
    pRecord->m_pWindow->OnLButtonDown(ID_STOP, point);
}

// With automatic playback on, once the clip is playable: extend playback when a clip is open,
// else start it - once per stream, with a window to show it in and enough of the file on disk
// (a device that cannot open a file still being written then starts at the end of the stream).
void AdvancePlayback(PluginInstance* pRecord, CStreamFile* pFile)
{
    if (pRecord->m_pPlayer->m_wDeviceID != 0)
    {
        ExtendPlayback(pRecord, pFile);
        return;
    }
    if (pRecord->m_pWindow == NULL || pFile->WasStartTried() || pFile->GetLength() < pRecord->m_pPlayer->m_nStartBytes)
        return;
    pFile->SetStartTried();
    StartPlayback(pRecord);
}

// A complete clip with automatic playback on plays on to its end; one that could not be
// opened while it downloaded is opened now and played from its start.
void PlayOnToTheEnd(PluginInstance* pRecord)
{
    CMciPlayer* pPlayer = pRecord->m_pPlayer;
    if (pPlayer->m_wDeviceID != 0)
        pPlayer->PlayTo(pPlayer->m_nLength);
    else if (pRecord->m_pWindow != NULL)
        StartPlayback(pRecord);
}
}  // namespace

// An instance receives one clip: a further stream is declined, so that it can neither
// write into the file of the first one nor leave a second temporary file behind.
NPError NPP_NewStream(NPP instance, NPMIMEType, NPStream* stream, NPBool, uint16_t* stype)
{
    if (instance == NULL)
        return NPERR_INVALID_INSTANCE_ERROR;
    PluginInstance* pRecord = static_cast<PluginInstance*>(instance->pdata);
    if (pRecord == NULL || stream == NULL)
        return NPERR_GENERIC_ERROR;
    if (pRecord->m_pStreamFile != NULL || pRecord->m_szTempPath[0] != '\0')
    {
        stream->pdata = NULL;
        return NPERR_GENERIC_ERROR;
    }
    stream->pdata = pRecord;
    pRecord->m_pStream = stream;
    PrepareSaveOffer(pRecord, stream->url);
    pRecord->m_pStreamFile = CreateStreamFile(pRecord, stream->end);
    if (pRecord->m_pStreamFile == NULL && pRecord->m_pPlayer != NULL)
        pRecord->m_pPlayer->m_bNoSaveOffer = TRUE;
    pRecord->m_bStreamOpen = TRUE;
    if (stype != NULL)
        *stype = NP_NORMAL;
    return NPERR_NO_ERROR;
}

int32_t NPP_WriteReady(NPP, NPStream*)
{
    return WRITE_READY_BYTES;
}

// -1 ends the stream: no temporary file (or no instance any more), or a chunk that cannot be
// placed or written (the stream then never counts as complete, so the clip is not offered for
// saving). The stream's current length is taken at every chunk: the browser may learn it late.
int32_t NPP_Write(NPP, NPStream* stream, int32_t, int32_t len, void* buffer)
{
    PluginInstance* pRecord = FindStreamRecord(stream);
    CStreamFile* pFile = pRecord != NULL ? pRecord->m_pStreamFile : NULL;
    if (pFile == NULL || len < 0 || (buffer == NULL && len != 0))
        return -1;
    pFile->SetStreamEnd(stream->end);
    if (!pFile->Receive(buffer, static_cast<DWORD>(len)))
        return -1;
    CMciPlayer* pPlayer = pRecord->m_pPlayer;
    if (pPlayer == NULL)
        return len;
    ULONGLONG nReceived = pFile->GetBytesReceived();
    pPlayer->m_nBytesReceived = nReceived > 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<DWORD>(nReceived);
    pPlayer->m_nStartBytes = pFile->GetStartBytes();
    if (pRecord->m_bAutoStart && pFile->IsPlayable())
        AdvancePlayback(pRecord, pFile);
    return len;
}

// The end of the stream decides, by the stream's length as the browser knows it now (without
// one, by the clip's own size if the stream ended normally), whether the clip is complete:
// then playback may run to the end and the clip may be offered for saving; a partial clip is
// never offered. A stream whose instance is gone changes nothing.
NPError NPP_DestroyStream(NPP, NPStream* stream, NPReason reason)
{
    PluginInstance* pRecord = FindStreamRecord(stream);
    if (pRecord == NULL)
        return NPERR_NO_ERROR;
    pRecord->m_bStreamOpen = FALSE;
    pRecord->m_pStream = NULL;
    CStreamFile* pFile = pRecord->m_pStreamFile;
    if (pFile == NULL)
        return NPERR_NO_ERROR;
    pFile->SetStreamEnd(stream->end);
    BOOL bComplete = pFile->Finish(reason == NPRES_DONE);
    delete pFile;
    pRecord->m_pStreamFile = NULL;
    CMciPlayer* pPlayer = pRecord->m_pPlayer;
    if (pPlayer != NULL && bComplete)
    {
        pPlayer->m_bPaused = FALSE;
        if (pRecord->m_bAutoStart)
            PlayOnToTheEnd(pRecord);
    }
    else if (pPlayer != NULL)
    {
        pPlayer->m_bNoSaveOffer = TRUE;
    }
    pRecord->m_bAutoStart = FALSE;
    return NPERR_NO_ERROR;
}

// The browser names a file holding the whole clip: the temporary file is closed and the
// named file is played instead (only when there is a window to show it in).
void NPP_StreamAsFile(NPP instance, NPStream*, const char* fname)
{
    PluginInstance* pRecord = instance != NULL ? static_cast<PluginInstance*>(instance->pdata) : NULL;
    if (pRecord == NULL)
        return;
    if (pRecord->m_pStreamFile != NULL)
        pRecord->m_pStreamFile->CloseFile();
    CMciPlayer* pPlayer = pRecord->m_pPlayer;
    if (pPlayer == NULL || pRecord->m_pWindow == NULL || fname == NULL)
        return;
    pPlayer->Open(pRecord->m_pWindow, pRecord->m_pSideWindow, fname, 0);
    if (pRecord->m_wMode == NP_FULL)
        pPlayer->CenterVideo();
    pPlayer->Update();
    if (pRecord->m_bAutoStart)
        pPlayer->Play();
}
