// Loading of the plug-in. The browser table given to NP_Initialize carries a
// size and a version but no functions: avsview offers none, and streamplug
// calls none.
#include "plugin_library.h"

#include "system_error.h"

// The browser's function table (npfunctions.h, NPNetscapeFuncs), members in
// the published order up to forceredraw (NPAPI 0.11); all of them are null.
struct _NPNetscapeFuncs {
    uint16_t size;
    uint16_t version;
    void* geturl;
    void* posturl;
    void* requestread;
    void* newstream;
    void* write;
    void* destroystream;
    void* status;
    void* uagent;
    void* memalloc;
    void* memfree;
    void* memflush;
    void* reloadplugins;
    void* getJavaEnv;
    void* getJavaPeer;
    void* geturlnotify;
    void* posturlnotify;
    void* getvalue;
    void* setvalue;
    void* invalidaterect;
    void* invalidateregion;
    void* forceredraw;
};

namespace avsview {

namespace {

const uint16_t kNpapiVersion = 11;  // major 0, minor 11

typedef NPError(WINAPI* GetEntryPointsProc)(NPPluginFuncs*);
typedef NPError(WINAPI* InitializeProc)(NPNetscapeFuncs*);
typedef NPError(WINAPI* ShutdownProc)();

NPNetscapeFuncs makeBrowserFuncs() {
    NPNetscapeFuncs funcs = {};
    funcs.size = sizeof(NPNetscapeFuncs);
    funcs.version = kNpapiVersion;
    return funcs;
}

NPNetscapeFuncs g_browserFuncs = makeBrowserFuncs();

template <typename Proc>
Proc entryPoint(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

std::string defaultPluginPath() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string exe(path, length);
    const std::size_t slash = exe.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : exe.substr(0, slash + 1)) + "streamplug.dll";
}

bool PluginLibrary::load(const std::string& path, std::string& error) {
    m_module = LoadLibraryA(path.c_str());
    if (m_module == NULL) {
        error = "cannot load the plug-in " + path + ": " + systemErrorText();
        return false;
    }
    GetEntryPointsProc getEntryPoints = entryPoint<GetEntryPointsProc>(m_module, "NP_GetEntryPoints");
    InitializeProc initialize = entryPoint<InitializeProc>(m_module, "NP_Initialize");
    ShutdownProc shutdown = entryPoint<ShutdownProc>(m_module, "NP_Shutdown");
    if (getEntryPoints == nullptr || initialize == nullptr || shutdown == nullptr) {
        error = path + " does not export NP_GetEntryPoints, NP_Initialize and NP_Shutdown";
    } else {
        m_funcs = NPPluginFuncs();
        m_funcs.size = sizeof(NPPluginFuncs);
        m_funcs.version = kNpapiVersion;
        NPError result = getEntryPoints(&m_funcs);
        if (result != NPERR_NO_ERROR)
            error = "NP_GetEntryPoints of " + path + " failed with NPAPI error " + std::to_string(result);
        else if (!m_funcs.newp || !m_funcs.destroy || !m_funcs.setwindow || !m_funcs.newstream ||
                 !m_funcs.destroystream || !m_funcs.write)
            error = path + " left out instance or stream functions of its function table";
        else if ((result = initialize(&g_browserFuncs)) != NPERR_NO_ERROR)
            error = "NP_Initialize of " + path + " failed with NPAPI error " + std::to_string(result);
        else
            m_shutdown = shutdown;
    }
    if (m_shutdown == nullptr) {
        FreeLibrary(m_module);
        m_module = NULL;
        return false;
    }
    return true;
}

void PluginLibrary::unload() {
    if (m_shutdown != nullptr) m_shutdown();
    m_shutdown = nullptr;
    if (m_module != NULL) FreeLibrary(m_module);
    m_module = NULL;
}

}  // namespace avsview
