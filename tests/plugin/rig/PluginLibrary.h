// CPluginLibrary: the browser's side of loading streamplug.dll - by path,
// NP_GetEntryPoints and NP_Initialize - kept loaded for the whole process.
#pragma once

#include <string>

#include <windows.h>

#include "npapi.h"

// The MIME type the plug-in registers and the browser hands its streams and instances.
const char PLUGIN_MIME_TYPE[] = "video/avs";

class CPluginLibrary
{
public:
    typedef NPError(WINAPI* PFN_GETENTRYPOINTS)(NPPluginFuncs*);
    typedef NPError(WINAPI* PFN_INITIALIZE)(NPNetscapeFuncs*);
    typedef NPError(WINAPI* PFN_SHUTDOWN)();

    // The library at pszPath (a Linux path is turned into its Wine path),
    // loaded and initialised on first use. Later calls return the same object.
    static CPluginLibrary& Get(const char* pszPath);

    // FALSE, with Error() saying why, when loading or initialising failed.
    BOOL IsReady() const { return m_hModule != NULL && m_bInitialized; }
    const std::string& Error() const { return m_strError; }

    HMODULE Module() const { return m_hModule; }
    // The Windows path the library was loaded from.
    const std::string& Path() const { return m_strPath; }
    // The table as NP_GetEntryPoints filled it.
    const NPPluginFuncs& Funcs() const { return m_funcs; }
    // An exported function by name, NULL when it is not exported.
    void* Export(const char* pszName) const { return reinterpret_cast<void*>(GetProcAddress(m_hModule, pszName)); }

private:
    explicit CPluginLibrary(const char* pszPath);

    HMODULE m_hModule;       // the loaded library, NULL when loading failed
    BOOL m_bInitialized;     // NP_GetEntryPoints and NP_Initialize both answered NPERR_NO_ERROR
    std::string m_strPath;   // Windows path of the library
    std::string m_strError;  // what went wrong, empty when ready
    NPPluginFuncs m_funcs;   // the plug-in's function table
};

// Windows path of a file given by its Linux path (Wine's mapping); the path
// itself when it is not a Linux path or not running under Wine.
std::string WindowsPathOf(const char* pszPath);

#ifdef STREAMPLUG_DLL
// The plug-in under test (the build's streamplug.dll).
inline CPluginLibrary& Plugin()
{
    return CPluginLibrary::Get(STREAMPLUG_DLL);
}
#endif
