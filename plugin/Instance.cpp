// Instance creation and destruction: the record, the "autostart" attribute,
// the offer to keep the downloaded clip and the removal of the temporary file.
#include <new>

#include "MciPlayer.h"
#include "PluginFuncs.h"
#include "PluginInstance.h"
#include "SaveOffer.h"
#include "StreamFile.h"

namespace {
// Whole-string comparison ignoring ASCII case; a missing string matches nothing.
bool EqualsNoCase(const char* pszA, const char* pszB)
{
    if (pszA == NULL || pszB == NULL)
        return false;
    for (;; pszA++, pszB++)
    {
        char a = *pszA, b = *pszB;
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
        if (a == '\0')
            return true;
    }
}

// Applies the embed tag's "autostart" attributes; later ones win. The list
// is examined only when it holds at least two attributes.
void ReadAutoStart(PluginInstance* pRecord, int16_t argc, char* argn[], char* argv[])
{
    if (argc < 2 || argn == NULL || argv == NULL)
        return;
    for (int i = 0; i < argc; i++)
    {
        if (!EqualsNoCase(argn[i], "autostart"))
            continue;
        if (EqualsNoCase(argv[i], "true"))
            pRecord->m_bAutoStart = TRUE;
        else if (EqualsNoCase(argv[i], "false"))
            pRecord->m_bAutoStart = FALSE;
    }
}

// A download still running at destruction is not offered for saving. Its
// file object (closing the file, so that it can be deleted) goes in any case.
void CloseStreamFile(PluginInstance* pRecord)
{
    if (pRecord->m_bStreamOpen && pRecord->m_pPlayer != NULL)
        pRecord->m_pPlayer->m_bNoSaveOffer = TRUE;
    delete pRecord->m_pStreamFile;
    pRecord->m_pStreamFile = NULL;
}
}  // namespace

NPError NPP_New(NPMIMEType, NPP instance, uint16_t mode, int16_t argc, char* argn[], char* argv[], NPSavedData*)
{
    if (instance == NULL)
        return NPERR_INVALID_INSTANCE_ERROR;
    PluginInstance* pRecord = new (std::nothrow) PluginInstance();
    CMciPlayer* pPlayer = new (std::nothrow) CMciPlayer();
    if (pRecord == NULL || pPlayer == NULL)
    {
        delete pPlayer;
        delete pRecord;
        return NPERR_OUT_OF_MEMORY_ERROR;
    }
    pRecord->m_nExtendStep = EXTEND_STEP_LONG;
    pRecord->m_pWindow = NULL;
    pRecord->m_pPlayer = pPlayer;
    pRecord->m_wMode = mode;
    pRecord->m_bAutoStart = TRUE;
    pRecord->m_bStreamOpen = FALSE;
    pRecord->m_szTempPath[0] = '\0';
    ReadAutoStart(pRecord, argc, argn, argv);
    AddLiveInstance(pRecord);
    instance->pdata = pRecord;
    return NPERR_NO_ERROR;
}

// Nothing is saved for the browser: 'save' is left alone.
NPError NPP_Destroy(NPP instance, NPSavedData**)
{
    if (instance == NULL)
        return NPERR_INVALID_INSTANCE_ERROR;
    PluginInstance* pRecord = static_cast<PluginInstance*>(instance->pdata);
    if (pRecord == NULL)
        return NPERR_NO_ERROR;
    CloseStreamFile(pRecord);
    CMciPlayer* pPlayer = pRecord->m_pPlayer;
    if (pPlayer != NULL)
    {
        pPlayer->Close();
        if (!pPlayer->m_bNoSaveOffer)
            OfferToSaveClip(pRecord);
    }
    // A Play command handled while the dialog was open may have opened the clip
    // again (and the player may be gone by now): the file must be free to go.
    if (pRecord->m_pPlayer != NULL)
        pRecord->m_pPlayer->Close();
    if (pRecord->m_szTempPath[0] != '\0')
        DeleteFileA(pRecord->m_szTempPath);
    ReleaseInstanceObjects(pRecord);
    RemoveLiveInstance(pRecord);
    delete pRecord;
    instance->pdata = NULL;
    return NPERR_NO_ERROR;
}

void NPP_Print(NPP, NPPrint*) {}

void NPP_URLNotify(NPP, const char*, NPReason, void*) {}
