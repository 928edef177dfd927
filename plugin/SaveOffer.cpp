// The Save As offer: a plain save dialog (no owner, no overwrite prompt) for
// "*.avi", then a copy of the temporary clip file.
#include "SaveOffer.h"

#include <string.h>
#include <windows.h>
#include <commdlg.h>

#include "PluginInstance.h"

namespace {
// One filter entry: display text, pattern, end of list.
const char s_szFilter[] = "avi files(*.avi)\0*.avi\0";
}  // namespace

void OfferToSaveClip(const PluginInstance* pRecord)
{
    char szFile[MAX_PATH];
    lstrcpynA(szFile, pRecord->m_szSaveName, sizeof(szFile));

    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof(ofn));
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = NULL;
    ofn.lpstrFilter = s_szFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = sizeof(szFile);
    ofn.lpstrDefExt = "avi";
    // The browser's current directory is on its library search path: the dialog leaves it alone.
    ofn.Flags = OFN_NOCHANGEDIR;
    if (GetSaveFileNameA(&ofn))
        CopyFileA(pRecord->m_szTempPath, szFile, FALSE);
}
