// The library as a browser finds it: exactly the entry-point exports, both
// pairs of start-up names on the same functions, the callee-cleans calling
// convention of the entry points and the filling of the plug-in table.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "PluginLibrary.h"
#include "StackProbe.h"

namespace {
class EntryPoints : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error(); }
};

// Names in the library's export directory.
std::set<std::string> ExportedNames(HMODULE hModule)
{
    BYTE* pBase = reinterpret_cast<BYTE*>(hModule);
    auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    if (dir.VirtualAddress == 0)
        return names;
    auto* pExports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(pBase + dir.VirtualAddress);
    auto* pNames = reinterpret_cast<DWORD*>(pBase + pExports->AddressOfNames);
    for (DWORD i = 0; i < pExports->NumberOfNames; i++)
        names.insert(reinterpret_cast<char*>(pBase + pNames[i]));
    EXPECT_EQ(pExports->NumberOfFunctions, pExports->NumberOfNames) << "exports without a name";
    return names;
}

bool InsideModule(HMODULE hModule, const void* p)
{
    BYTE* pBase = reinterpret_cast<BYTE*>(hModule);
    auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
    const BYTE* pb = static_cast<const BYTE*>(p);
    return pb >= pBase && pb < pBase + pNt->OptionalHeader.SizeOfImage;
}
}  // namespace

TEST_F(EntryPoints, ExportsExactlyTheEntryPointsByPlainName)
{
    std::set<std::string> expected = {"NP_GetEntryPoints", "NP_Initialize", "NP_PluginInit", "NP_PluginShutdown",
                                      "NP_Shutdown"};
    EXPECT_EQ(expected, ExportedNames(Plugin().Module()));
    EXPECT_EQ(nullptr, Plugin().Export("NP_GetEntryPoints@4"));
    EXPECT_EQ(nullptr, Plugin().Export("_NP_Initialize@4"));
}

TEST_F(EntryPoints, BothStartUpNamesAreTheSameFunctions)
{
    EXPECT_NE(nullptr, Plugin().Export("NP_Initialize"));
    EXPECT_EQ(Plugin().Export("NP_Initialize"), Plugin().Export("NP_PluginInit"));
    EXPECT_NE(nullptr, Plugin().Export("NP_Shutdown"));
    EXPECT_EQ(Plugin().Export("NP_Shutdown"), Plugin().Export("NP_PluginShutdown"));
}

// The callee removes the arguments of the three entry points (__stdcall);
// the caller removes those of the table's functions (__cdecl).
TEST_F(EntryPoints, EntryPointsRemoveTheirArgumentsTableFunctionsDoNot)
{
    NPPluginFuncs funcs = {};
    funcs.size = sizeof(funcs);
    DWORD tableArg[] = {reinterpret_cast<DWORD>(&funcs)};
    EXPECT_EQ(0, StackBytesLeftByCall(Plugin().Export("NP_GetEntryPoints"), tableArg, 1));
    EXPECT_EQ(reinterpret_cast<void*>(Plugin().Funcs().newp), reinterpret_cast<void*>(funcs.newp));

    static void* s_browserFuncs[64];
    DWORD browserArg[] = {reinterpret_cast<DWORD>(s_browserFuncs)};
    EXPECT_EQ(0, StackBytesLeftByCall(Plugin().Export("NP_Initialize"), browserArg, 1));
    EXPECT_EQ(0, StackBytesLeftByCall(Plugin().Export("NP_PluginInit"), browserArg, 1));
    EXPECT_EQ(0, StackBytesLeftByCall(Plugin().Export("NP_Shutdown"), NULL, 0));
    EXPECT_EQ(0, StackBytesLeftByCall(Plugin().Export("NP_PluginShutdown"), NULL, 0));

    // NPP_SetWindow(NULL, NULL) only answers an error, and NPP_WriteReady only a number.
    DWORD twoNulls[] = {0, 0};
    EXPECT_EQ(8, StackBytesLeftByCall(reinterpret_cast<void*>(Plugin().Funcs().setwindow), twoNulls, 2));
    EXPECT_EQ(8, StackBytesLeftByCall(reinterpret_cast<void*>(Plugin().Funcs().writeready), twoNulls, 2));
}

TEST_F(EntryPoints, StartUpAndShutDownAnswerNoError)
{
    auto pfnInit = reinterpret_cast<CPluginLibrary::PFN_INITIALIZE>(Plugin().Export("NP_PluginInit"));
    auto pfnShutdown = reinterpret_cast<CPluginLibrary::PFN_SHUTDOWN>(Plugin().Export("NP_PluginShutdown"));
    static void* s_browserFuncs[64];
    EXPECT_EQ(NPERR_NO_ERROR, pfnInit(reinterpret_cast<NPNetscapeFuncs*>(s_browserFuncs)));
    EXPECT_EQ(NPERR_NO_ERROR, pfnShutdown());
    auto pfnNpShutdown = reinterpret_cast<CPluginLibrary::PFN_SHUTDOWN>(Plugin().Export("NP_Shutdown"));
    EXPECT_EQ(NPERR_NO_ERROR, pfnNpShutdown());
}

// Exactly the ten function members are written; everything else keeps what
// the browser put there.
TEST_F(EntryPoints, GetEntryPointsWritesOnlyTheTenFunctions)
{
    NPPluginFuncs funcs;
    memset(&funcs, 0xA5, sizeof(funcs));
    funcs.size = 0x1234;
    funcs.version = 0x0016;
    auto pfn = reinterpret_cast<CPluginLibrary::PFN_GETENTRYPOINTS>(Plugin().Export("NP_GetEntryPoints"));
    ASSERT_EQ(NPERR_NO_ERROR, pfn(&funcs));

    EXPECT_EQ(0x1234, funcs.size);
    EXPECT_EQ(0x0016, funcs.version);
    const void* untouched = reinterpret_cast<const void*>(0xA5A5A5A5);
    EXPECT_EQ(untouched, reinterpret_cast<void*>(funcs.event));
    EXPECT_EQ(untouched, funcs.javaClass);
    EXPECT_EQ(untouched, reinterpret_cast<void*>(funcs.getvalue));
    EXPECT_EQ(untouched, reinterpret_cast<void*>(funcs.setvalue));

    const void* members[] = {
        reinterpret_cast<void*>(funcs.newp),          reinterpret_cast<void*>(funcs.destroy),
        reinterpret_cast<void*>(funcs.setwindow),     reinterpret_cast<void*>(funcs.newstream),
        reinterpret_cast<void*>(funcs.destroystream), reinterpret_cast<void*>(funcs.asfile),
        reinterpret_cast<void*>(funcs.writeready),    reinterpret_cast<void*>(funcs.write),
        reinterpret_cast<void*>(funcs.print),         reinterpret_cast<void*>(funcs.urlNotify),
    };
    std::set<const void*> distinct;
    for (const void* p : members)
    {
        EXPECT_TRUE(InsideModule(Plugin().Module(), p));
        distinct.insert(p);
    }
    EXPECT_EQ(10u, distinct.size()) << "every member holds a function of its own";
}

TEST_F(EntryPoints, GetEntryPointsRefusesAMissingTable)
{
    auto pfn = reinterpret_cast<CPluginLibrary::PFN_GETENTRYPOINTS>(Plugin().Export("NP_GetEntryPoints"));
    EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, pfn(NULL));
}
