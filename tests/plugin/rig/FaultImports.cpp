// The fault replacements of GetTempFileNameA, malloc, free, fwrite and fclose.
#include "FaultImports.h"

#include <malloc.h>
#include <string.h>

#include "ImportTable.h"
#include "Replacements.h"

namespace {
struct CFaultState
{
    bool bScriptedTempNames = false;
    std::deque<std::string> tempNames;
    bool bFailAllocation = false;
    int nFailAt = 0, nAllocations = 0;
    bool bPoisonFrees = false;
    LONGLONG nWriteBudget = -1;
    bool bCloseFails = false;
};

CFaultState& State()
{
    static CFaultState s_state;
    return s_state;
}
}  // namespace

UINT WINAPI ReplacedGetTempFileNameA(LPCSTR pszDir, LPCSTR pszPrefix, UINT uUnique, LPSTR pszName)
{
    CFaultState& s = State();
    if (!s.bScriptedTempNames)
        return Original<decltype(&GetTempFileNameA)>(IMP_TEMP_NAME)(pszDir, pszPrefix, uUnique, pszName);
    if (s.tempNames.empty())
        return 0;
    memcpy(pszName, s.tempNames.front().c_str(), s.tempNames.front().size() + 1);
    s.tempNames.pop_front();
    CloseHandle(CreateFileA(pszName, GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL));
    return 1;
}

// (Failing every allocation after the chosen one too would starve the runtime's own exception handling.)
void* __cdecl ReplacedMalloc(size_t nBytes)
{
    CFaultState& s = State();
    if (s.bFailAllocation && s.nAllocations++ == s.nFailAt)
        return NULL;
    return Original<void*(__cdecl*)(size_t)>(IMP_MALLOC)(nBytes);
}

void __cdecl ReplacedFree(void* p)
{
    if (State().bPoisonFrees && p != NULL)
    {
        memset(p, 0xDD, _msize(p));
        return;
    }
    Original<void(__cdecl*)(void*)>(IMP_FREE)(p);
}

size_t __cdecl ReplacedFwrite(const void* pData, size_t nSize, size_t nCount, FILE* pFile)
{
    auto pfnReal = Original<size_t(__cdecl*)(const void*, size_t, size_t, FILE*)>(IMP_FWRITE);
    LONGLONG& nBudget = State().nWriteBudget;
    if (nBudget < 0 || static_cast<LONGLONG>(nSize * nCount) <= nBudget)
    {
        if (nBudget >= 0)
            nBudget -= nSize * nCount;
        return pfnReal(pData, nSize, nCount, pFile);
    }
    size_t nFits = static_cast<size_t>(nBudget) / nSize;
    nBudget = 0;
    return pfnReal(pData, nSize, nFits, pFile);
}

int __cdecl ReplacedFclose(FILE* pFile)
{
    int nResult = Original<int(__cdecl*)(FILE*)>(IMP_FCLOSE)(pFile);
    return State().bCloseFails ? EOF : nResult;
}

void CFaults::Reset()
{
    State() = CFaultState();
}

void CFaults::ScriptTempNames(const std::deque<std::string>& names)
{
    State().bScriptedTempNames = true;
    State().tempNames = names;
}

size_t CFaults::TempNamesLeft()
{
    return State().tempNames.size();
}

void CFaults::FailAllocation(int nFailAt)
{
    State().nAllocations = 0;
    State().nFailAt = nFailAt;
    State().bFailAllocation = true;
}

void CFaults::StopFailingAllocations()
{
    State().bFailAllocation = false;
}

void CFaults::PoisonFrees(bool bPoison)
{
    State().bPoisonFrees = bPoison;
}

void CFaults::LimitWrites(LONGLONG nBytes)
{
    State().nWriteBudget = nBytes;
}

void CFaults::FailCloses(bool bFail)
{
    State().bCloseFails = bFail;
}
