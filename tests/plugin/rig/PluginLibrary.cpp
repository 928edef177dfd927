// Loading the plug-in as a browser does: LoadLibrary, then the entry points
// looked up by their standard Windows names.
#include "PluginLibrary.h"

#include <string.h>

#include <map>

std::string WindowsPathOf(const char* pszPath)
{
    typedef WCHAR*(CDECL * PFN_DOSNAME)(const char*);
    auto pfnDosName = reinterpret_cast<PFN_DOSNAME>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (pszPath[0] != '/' || pfnDosName == NULL)
        return pszPath;
    WCHAR* pszWide = pfnDosName(pszPath);
    if (pszWide == NULL)
        return pszPath;
    char szPath[MAX_PATH * 2];
    int n = WideCharToMultiByte(CP_ACP, 0, pszWide, -1, szPath, sizeof(szPath), NULL, NULL);
    HeapFree(GetProcessHeap(), 0, pszWide);
    return n > 0 ? std::string(szPath) : std::string(pszPath);
}

CPluginLibrary& CPluginLibrary::Get(const char* pszPath)
{
    static std::map<std::string, CPluginLibrary*> s_libraries;
    CPluginLibrary*& pLibrary = s_libraries[pszPath];
    if (pLibrary == NULL)
        pLibrary = new CPluginLibrary(pszPath);
    return *pLibrary;
}

CPluginLibrary::CPluginLibrary(const char* pszPath)
    : m_hModule(NULL), m_bInitialized(FALSE), m_strPath(WindowsPathOf(pszPath))
{
    memset(&m_funcs, 0, sizeof(m_funcs));
    m_funcs.size = sizeof(m_funcs);
    m_hModule = LoadLibraryA(m_strPath.c_str());
    if (m_hModule == NULL)
    {
        m_strError = "LoadLibrary failed for " + m_strPath + " (error " + std::to_string(GetLastError()) + ")";
        return;
    }
    auto pfnGetEntryPoints = reinterpret_cast<PFN_GETENTRYPOINTS>(Export("NP_GetEntryPoints"));
    auto pfnInitialize = reinterpret_cast<PFN_INITIALIZE>(Export("NP_Initialize"));
    if (pfnGetEntryPoints == NULL || pfnInitialize == NULL)
    {
        m_strError = "NP_GetEntryPoints or NP_Initialize not exported";
        return;
    }
    // A browser table of null functions: a plug-in calling any would crash.
    static void* s_browserFuncs[64];
    NPNetscapeFuncs* pBrowserFuncs = reinterpret_cast<NPNetscapeFuncs*>(s_browserFuncs);
    if (pfnGetEntryPoints(&m_funcs) != NPERR_NO_ERROR || pfnInitialize(pBrowserFuncs) != NPERR_NO_ERROR)
    {
        m_strError = "NP_GetEntryPoints or NP_Initialize failed";
        return;
    }
    m_bInitialized = TRUE;
}
