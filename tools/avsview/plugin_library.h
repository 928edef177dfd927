// streamplug.dll loaded the way a browser loads an NPAPI plug-in on Windows:
// LoadLibrary, NP_GetEntryPoints, NP_Initialize; NP_Shutdown before unloading.
#pragma once

#include <windows.h>

#include <string>

#include "npapi.h"

namespace avsview {

class PluginLibrary {
public:
    PluginLibrary() = default;
    ~PluginLibrary() { unload(); }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Loads and initialises the plug-in; on failure error says why and nothing stays loaded.
    bool load(const std::string& path, std::string& error);
    // NP_Shutdown, then FreeLibrary; nothing when not loaded.
    void unload();

    const NPPluginFuncs& funcs() const { return m_funcs; }

private:
    HMODULE m_module = NULL;                  // the loaded DLL
    NPPluginFuncs m_funcs = {};               // the instance functions NP_GetEntryPoints filled in
    NPError(WINAPI* m_shutdown)() = nullptr;  // NP_Shutdown, once initialised
};

// The plug-in avsview loads without --plugin: streamplug.dll beside avsview.exe.
std::string defaultPluginPath();

}  // namespace avsview
