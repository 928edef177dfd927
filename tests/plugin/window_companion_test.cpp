// The Go and About commands against a companion player directory of the test:
// the profile file in the Windows directory, a stand-in DAZAVOZ32.EXE that records
// its command line, the Go page's bytes, and ".htm" opened through an association
// the test registers (never the host's browser).
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "Companion.h"
#include "LaunchImports.h"
#include "PluginInstance.h"
#include "TestFiles.h"
#include "TestWindows.h"
#include "WindowRig.h"

namespace {
const char PROFILE[] = "VEDORER.INI";
const char HTM_CLASS[] = "StreamplugWindowTestPage";

// The rig's record of WinExec, ShellExecuteA and the profile reads.
CLaunchRecord& Launches()
{
    return CLaunches::Record();
}

std::string WindowsDirectory()
{
    char sz[MAX_PATH];
    GetWindowsDirectoryA(sz, sizeof(sz));
    return sz;
}

void SetRegistryDefault(const std::string& strKey, const std::string& strValue)
{
    HKEY hKey;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CLASSES_ROOT, strKey.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &hKey, NULL));
    RegSetValueExA(hKey, NULL, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                   static_cast<DWORD>(strValue.size() + 1));
    RegCloseKey(hKey);
}

// The page the Go command must write: one refresh element, no line end.
std::string ExpectedPage()
{
    return std::string("<META HTTP-EQUIV=\"Refresh\" CONTENT=\"0; URL=") + g_szGalleryUrl + "\">";
}

// Waits for the stand-in's record in strDir and returns it ("(none)" when it never came).
std::string WaitForCommandLine(const std::string& strDir)
{
    std::string path = strDir + "\\commandline.txt";
    if (!WaitFor([&] { return FileExists(path); }))
        return "(none)";
    return ReadWholeFile(path);
}

class WindowCompanion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error();
        // The profile and the association belong to the whole prefix: one test at a time.
        m_hLock = CreateMutexA(NULL, FALSE, "streamplug_window_companion_test");
        ASSERT_NE(nullptr, m_hLock);
        WaitForSingleObject(m_hLock, INFINITE);
        m_bLocked = true;

        // A directory of this test's own: a stand-in of an earlier test still ending cannot disturb it.
        static int s_nTest = 0;
        m_strDir = "C:\\wcomp" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(s_nTest++);
        MakeDirectory(m_strDir);
        m_strStub = WindowsPathOf(COMPANION_STUB_EXE);
        ASSERT_TRUE(CopyFileA(m_strStub.c_str(), (m_strDir + "\\DAZAVOZ32.EXE").c_str(), FALSE));
        MakeDirectory(m_strDir + "\\opener");
        m_strOpener = m_strDir + "\\opener\\DAZAVOZ32.EXE";
        ASSERT_TRUE(CopyFileA(m_strStub.c_str(), m_strOpener.c_str(), FALSE));
        RegisterPageOpener();
        WriteProfile(m_strDir.c_str());
        CLaunches::Reset();
    }

    void TearDown() override
    {
        if (!m_bLocked)
            return;
        RemoveProfile();
        RestorePageAssociation();
        for (const std::string& file : m_files)
            RemoveFile(file);
        for (auto it = m_dirs.rbegin(); it != m_dirs.rend(); ++it)
        {
            for (const char* pszName : {"\\DAZAVOZ32.EXE", "\\commandline.txt", "\\GoZev.htm"})
                RemoveFile(*it + pszName);
            EXPECT_TRUE(RemoveDirectoryA(it->c_str())) << *it;
        }
        ReleaseMutex(m_hLock);
        CloseHandle(m_hLock);
    }

    // A stand-in started by the test may still run (its program cannot be deleted
    // then) and write its record: the program goes first, once it has ended (which
    // takes long on a loaded machine).
    static void RemoveFile(const std::string& strPath)
    {
        EXPECT_TRUE(WaitFor(
            [&] {
                DeleteFileA(strPath.c_str());
                return !FileExists(strPath);
            },
            60000))
            << strPath;
    }

    // Creates the directory (removed with its test files at the end) unless it exists.
    void MakeDirectory(const std::string& strDir)
    {
        if (CreateDirectoryA(strDir.c_str(), NULL))
            m_dirs.push_back(strDir);
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strDir.c_str())) << strDir;
    }
    // A directory path of exactly nLength characters below the test directory, created.
    std::string MakeLongDirectory(size_t nLength)
    {
        std::string dir = m_strDir;
        while (dir.size() < nLength)
        {
            size_t nRoom = nLength - dir.size() - 1;
            size_t n = std::min<size_t>(nRoom, 60);
            if (n + 1 == nRoom)
                n--;
            dir += "\\" + std::string(n, static_cast<char>('a' + dir.size() % 26));
            MakeDirectory(dir);
        }
        return dir;
    }

    static void WriteProfile(const char* pszDirectory)
    {
        WritePrivateProfileStringA("Program", "Directory", pszDirectory, PROFILE);
    }
    static void RemoveProfile()
    {
        DeleteFileA((WindowsDirectory() + "\\" + PROFILE).c_str());
        WritePrivateProfileStringA(NULL, NULL, NULL, PROFILE);
    }

    void RegisterPageOpener()
    {
        char szOld[256] = "";
        LONG nOld = sizeof(szOld);
        // A run that crashed may have left the test's own association behind.
        m_bHadHtm =
            RegQueryValueA(HKEY_CLASSES_ROOT, ".htm", szOld, &nOld) == ERROR_SUCCESS && strcmp(szOld, HTM_CLASS) != 0;
        m_strOldHtm = szOld;
        SetRegistryDefault(".htm", HTM_CLASS);
        SetRegistryDefault(std::string(HTM_CLASS) + "\\shell\\open\\command", "\"" + m_strOpener + "\" \"%1\"");
    }
    void RestorePageAssociation()
    {
        if (m_bHadHtm)
            SetRegistryDefault(".htm", m_strOldHtm);
        else
            RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
        for (const char* pszKey : {"\\shell\\open\\command", "\\shell\\open", "\\shell", ""})
            RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(HTM_CLASS) + pszKey).c_str());
    }

    HANDLE m_hLock = NULL;
    bool m_bLocked = false;
    std::string m_strDir;              // the companion player's directory of the test
    std::string m_strStub;             // the built stand-in program
    std::string m_strOpener;           // the stand-in registered for ".htm"
    std::vector<std::string> m_dirs;   // directories the test created
    std::vector<std::string> m_files;  // other files the test created
    bool m_bHadHtm = false;            // ".htm" had an association before the test
    std::string m_strOldHtm;           // and this was its class
};
}  // namespace

TEST_F(WindowCompanion, AboutFromTheMenuStartsTheCompanionWithItsSwitch)
{
    CWindowRig rig(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady());
    OpenMenu(rig.Handle(), ID_ABOUT);
    std::string expected = m_strDir + "\\DAZAVOZ32.EXE /ABOUT";
    EXPECT_EQ(std::vector<std::string>{expected}, Launches().commands);
    EXPECT_EQ(std::vector<UINT>{SW_SHOW}, Launches().shows);
    EXPECT_EQ(expected, WaitForCommandLine(m_strDir));
    EXPECT_TRUE(Launches().opened.empty());
}

// A directory with blanks ("C:\Program Files\...") is quoted with the program name: unquoted,
// the system would first look for a program named by the part before the first blank.
TEST_F(WindowCompanion, AboutQuotesADirectoryWithBlanks)
{
    CWindowRig rig(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady());
    std::string dir = m_strDir + "\\my player";
    MakeDirectory(dir);
    ASSERT_TRUE(CopyFileA(m_strStub.c_str(), (dir + "\\DAZAVOZ32.EXE").c_str(), FALSE));
    WriteProfile(dir.c_str());
    rig.Command(ID_ABOUT);
    EXPECT_EQ(std::vector<std::string>{"\"" + dir + "\\DAZAVOZ32.EXE\" /ABOUT"}, Launches().commands);
    EXPECT_TRUE(WaitFor([&] { return FileExists(dir + "\\commandline.txt"); })) << "the companion did not start";
}

TEST_F(WindowCompanion, GoFromTheMenuWritesTheRefreshPageAndOpensItThroughTheAssociation)
{
    ASSERT_EQ(0, strncmp(g_szGalleryUrl, "http://", 7)) << "a web address";
    CWindowRig rig(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady());
    OpenMenu(rig.Handle(), ID_GO);
    std::string page = m_strDir + "\\GoZev.htm";
    EXPECT_EQ(ExpectedPage(), ReadWholeFile(page));
    EXPECT_EQ(std::vector<std::string>{page}, Launches().opened);
    EXPECT_TRUE(Launches().bShellArgsAsExpected);
    EXPECT_EQ("\"" + m_strOpener + "\" \"" + page + "\"", WaitForCommandLine(m_strDir + "\\opener"));
    EXPECT_TRUE(Launches().commands.empty());
}

TEST_F(WindowCompanion, EveryGoReplacesThePage)
{
    CWindowRig rig(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady());
    std::string page = m_strDir + "\\GoZev.htm";
    ASSERT_TRUE(WriteWholeFile(page, std::string(500, 'x') + "\n<META old>\n"));
    rig.Command(ID_GO);
    EXPECT_EQ(ExpectedPage(), ReadWholeFile(page));
    rig.Command(ID_GO);
    EXPECT_EQ(ExpectedPage(), ReadWholeFile(page)) << "one refresh element, never two";
    EXPECT_EQ(2u, Launches().opened.size());
}

TEST_F(WindowCompanion, GoWithoutAWritablePageOpensNothing)
{
    CWindowRig rig(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady());
    std::string missing = m_strDir + "\\missing";
    WriteProfile(missing.c_str());
    rig.Command(ID_GO);
    EXPECT_FALSE(FileExists(missing + "\\GoZev.htm"));
    EXPECT_TRUE(Launches().opened.empty()) << "the shell is not asked";
    rig.Command(ID_ABOUT);
    EXPECT_EQ(std::vector<std::string>{missing + "\\DAZAVOZ32.EXE /ABOUT"}, Launches().commands)
        << "a companion that cannot start ends the command silently";
}

TEST_F(WindowCompanion, WithoutProfileOrKeyTheDirectoryIsCVedorer)
{
    CWindowRig rig(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady());
    MakeDirectory("C:\\vedorer");
    ASSERT_TRUE(CopyFileA(m_strStub.c_str(), "C:\\vedorer\\DAZAVOZ32.EXE", FALSE));
    for (const char* pszName : {"DAZAVOZ32.EXE", "commandline.txt", "GoZev.htm"})
        m_files.push_back(std::string("C:\\vedorer\\") + pszName);
    RemoveProfile();

    rig.Command(ID_ABOUT);
    EXPECT_EQ("C:\\vedorer\\DAZAVOZ32.EXE /ABOUT", WaitForCommandLine("C:\\vedorer"));
    rig.Command(ID_GO);
    EXPECT_EQ(ExpectedPage(), ReadWholeFile("C:\\vedorer\\GoZev.htm"));
    EXPECT_EQ(std::vector<std::string>{"C:\\vedorer\\GoZev.htm"}, Launches().opened);

    CLaunches::Reset();
    WritePrivateProfileStringA("Program", "Other", "C:\\elsewhere", PROFILE);
    rig.Command(ID_ABOUT);
    EXPECT_EQ(std::vector<std::string>{"C:\\vedorer\\DAZAVOZ32.EXE /ABOUT"}, Launches().commands)
        << "a profile without the key";
}

TEST_F(WindowCompanion, ADirectoryEndingInABackslashGivesADoubledBackslash)
{
    CWindowRig rig(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady());
    WriteProfile((m_strDir + "\\").c_str());
    rig.Command(ID_ABOUT);
    rig.Command(ID_GO);
    EXPECT_EQ(std::vector<std::string>{m_strDir + "\\\\DAZAVOZ32.EXE /ABOUT"}, Launches().commands);
    EXPECT_EQ(std::vector<std::string>{m_strDir + "\\\\GoZev.htm"}, Launches().opened);
    EXPECT_EQ(ExpectedPage(), ReadWholeFile(m_strDir + "\\GoZev.htm"));
}

TEST_F(WindowCompanion, GoTakesDirectoriesOf249CharactersAndCutsLongerOnes)
{
    CWindowRig rig(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady());
    std::string dir = MakeLongDirectory(249);
    ASSERT_EQ(249u, dir.size());
    std::string page = dir + "\\GoZev.htm";
    ASSERT_EQ(259u, page.size());

    WriteProfile(dir.c_str());
    rig.Command(ID_GO);
    EXPECT_EQ(ExpectedPage(), ReadWholeFile(page));
    ASSERT_EQ(1u, Launches().opened.size());
    EXPECT_EQ(page, Launches().opened[0]);

    DeleteFileA(page.c_str());
    WriteProfile((dir + std::string(51, 'z')).c_str());
    rig.Command(ID_GO);
    EXPECT_EQ(ExpectedPage(), ReadWholeFile(page)) << "only the first 249 characters are read";
    ASSERT_EQ(2u, Launches().opened.size());
    EXPECT_EQ(page, Launches().opened[1]);
}

TEST_F(WindowCompanion, AboutTakesDirectoriesOf254CharactersAndCutsLongerOnes)
{
    CWindowRig rig(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady());
    std::string dir = "C:\\" + std::string(251, 'd');
    ASSERT_EQ(254u, dir.size());
    WriteProfile(dir.c_str());
    rig.Command(ID_ABOUT);
    WriteProfile((dir + std::string(40, 'e')).c_str());
    rig.Command(ID_ABOUT);
    std::string expected = dir + "\\DAZAVOZ32.EXE /ABOUT";
    ASSERT_EQ(275u, expected.size());
    EXPECT_EQ((std::vector<std::string>{expected, expected}), Launches().commands);
}

TEST_F(WindowCompanion, TheProfileIsReadWithTheLimitsOfEachBuffer)
{
    CWindowRig rig(NP_EMBED, 200, 150);
    ASSERT_TRUE(rig.IsReady());
    rig.Command(ID_GO);
    rig.Command(ID_ABOUT);
    EXPECT_EQ((std::vector<std::string>{"Program|Directory|C:\\vedorer|250|VEDORER.INI",
                                        "Program|Directory|C:\\vedorer|255|VEDORER.INI"}),
              Launches().profileReads);
}

// The window class linked into this program, without an instance: About needs
// the player and does nothing; Go uses no instance state and still works.
TEST_F(WindowCompanion, WithoutInstanceAboutDoesNothingAndGoStillWorks)
{
    HWND hHost = CreateTestHost(100, 100);
    HWND hWnd = CreateWindowExA(0, TEST_WINDOW_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, hHost, NULL,
                                GetModuleHandleA(NULL), NULL);
    CPluginWindow window;
    ASSERT_TRUE(window.SubclassWindow(hWnd));
    SendMessageA(hWnd, WM_COMMAND, ID_ABOUT, 0);
    EXPECT_TRUE(Launches().commands.empty());
    SendMessageA(hWnd, WM_COMMAND, ID_GO, 0);
    EXPECT_EQ(ExpectedPage(), ReadWholeFile(m_strDir + "\\GoZev.htm"));
    EXPECT_EQ(std::vector<std::string>{m_strDir + "\\GoZev.htm"}, Launches().opened);
    window.RestoreWindowProc();
    window.Detach();
    DestroyWindow(hHost);
}
