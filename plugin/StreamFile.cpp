// CStreamFile: opening and closing the shared, buffered temporary file.
#include "StreamFile.h"

#include <share.h>

BOOL CStreamFile::Open(const char* pszPath)
{
    Close();
    m_pFile = _fsopen(pszPath, "w+b", _SH_DENYNO);
    return m_pFile != NULL;
}

void CStreamFile::Close()
{
    if (m_pFile == NULL)
        return;
    fclose(m_pFile);
    m_pFile = NULL;
}
