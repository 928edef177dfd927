// Import-table patching: walks the module's import descriptors by name.
#include "IatHook.h"

#include <string.h>

void* PatchImport(HMODULE hModule, const char* pszDll, const char* pszFunc, void* pReplacement)
{
    BYTE* pBase = reinterpret_cast<BYTE*>(hModule);
    auto* pDos = reinterpret_cast<IMAGE_DOS_HEADER*>(pBase);
    auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0)
        return NULL;
    for (auto* pDesc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + dir.VirtualAddress); pDesc->Name != 0;
         pDesc++)
    {
        if (_stricmp(reinterpret_cast<char*>(pBase + pDesc->Name), pszDll) != 0 || pDesc->OriginalFirstThunk == 0)
            continue;
        auto* pNames = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->OriginalFirstThunk);
        auto* pSlots = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->FirstThunk);
        for (; pNames->u1.AddressOfData != 0; pNames++, pSlots++)
        {
            if (IMAGE_SNAP_BY_ORDINAL(pNames->u1.Ordinal))
                continue;
            auto* pByName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pBase + pNames->u1.AddressOfData);
            if (strcmp(reinterpret_cast<char*>(pByName->Name), pszFunc) != 0)
                continue;
            void* pPrevious = reinterpret_cast<void*>(pSlots->u1.Function);
            DWORD dwOld;
            VirtualProtect(&pSlots->u1.Function, sizeof(void*), PAGE_READWRITE, &dwOld);
            pSlots->u1.Function = reinterpret_cast<ULONG_PTR>(pReplacement);
            VirtualProtect(&pSlots->u1.Function, sizeof(void*), dwOld, &dwOld);
            return pPrevious;
        }
    }
    return NULL;
}

BOOL CIatHook::Install(HMODULE hModule, const char* pszDll, const char* pszFunc, void* pReplacement)
{
    Remove();
    void* pOriginal = PatchImport(hModule, pszDll, pszFunc, pReplacement);
    if (pOriginal == NULL)
        return FALSE;
    m_hModule = hModule;
    m_pszDll = pszDll;
    m_pszFunc = pszFunc;
    m_pOriginal = pOriginal;
    return TRUE;
}

void CIatHook::Remove()
{
    if (m_pOriginal == NULL)
        return;
    PatchImport(m_hModule, m_pszDll, m_pszFunc, m_pOriginal);
    m_pOriginal = NULL;
}
