// Import-address-table hooks for tests: replace one import of a loaded
// module (for instance MessageBoxA of streamplug.dll) by a test function.
#pragma once

#include <windows.h>

// Patches the slot of 'pszFunc' imported by name from 'pszDll' (matched
// without regard to case) in hModule's import table; returns the function
// the slot held before, or NULL when the module does not import it.
void* PatchImport(HMODULE hModule, const char* pszDll, const char* pszFunc, void* pReplacement);

// One installed hook, put back when the object goes away.
class CIatHook
{
public:
    CIatHook() : m_hModule(NULL), m_pszDll(NULL), m_pszFunc(NULL), m_pOriginal(NULL) {}
    ~CIatHook() { Remove(); }

    // Installs the replacement; FALSE when the module has no such import.
    BOOL Install(HMODULE hModule, const char* pszDll, const char* pszFunc, void* pReplacement);
    // Puts the original function back (nothing to do when not installed).
    void Remove();
    BOOL IsInstalled() const { return m_pOriginal != NULL; }

    // The real function, for spies that pass the call on.
    template <class F>
    F Original() const
    {
        return reinterpret_cast<F>(m_pOriginal);
    }

private:
    HMODULE m_hModule;      // module whose import table is patched
    const char* m_pszDll;   // name of the DLL the function comes from
    const char* m_pszFunc;  // name of the imported function
    void* m_pOriginal;      // what the slot held before, NULL when not installed

    CIatHook(const CIatHook&) = delete;
    CIatHook& operator=(const CIatHook&) = delete;
};
