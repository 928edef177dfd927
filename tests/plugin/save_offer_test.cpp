// The offer to keep the clip at NPP_Destroy, with the Save As dialog and the
// copy observed through the plug-in's imports: when it is made, the dialog
// it asks for, what is copied where, and the removal of the temporary file.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "BrowserWindow.h"
#include "MciPlayer.h"
#include "PluginLibrary.h"
#include "PluginWindow.h"
#include "RigInstance.h"
#include "SaveAsSpy.h"
#include "TestFiles.h"

namespace {
class SaveOffer : public ::testing::Test
{
protected:
    SaveOffer() : m_page(NULL, 400, 300), m_area(m_page.Handle(), 320, 240), m_instance(Plugin()) {}

    void SetUp() override
    {
        ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error();
        ASSERT_EQ(NPERR_NO_ERROR, m_instance.New(NP_EMBED, {{"src", "clip.avs"}, {"autostart", "false"}}));
        ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(m_area.Handle()));
    }

    // The state a completely received clip leaves: its temporary file, the
    // name taken from its URL, and the offer enabled.
    void ReceivedClip(const std::string& strBytes)
    {
        m_strTemp = FreshTempPath(".avi");
        ASSERT_TRUE(WriteWholeFile(m_strTemp, strBytes));
        PluginInstance* pRecord = m_instance.Record();
        strcpy(pRecord->m_szTempPath, m_strTemp.c_str());
        strcpy(pRecord->m_szSaveName, "clip.avi");
        pRecord->m_pPlayer->m_bNoSaveOffer = FALSE;
    }

    CBrowserWindow m_page, m_area;  // the browser's page and the plug-in's area in it
    CRigInstance m_instance;        // the instance being destroyed
    std::string m_strTemp;          // its temporary clip file
};

// A stream of 8 header bytes (no placed block) followed by the clip.
std::string StreamOf(const std::string& strClip)
{
    return std::string(8, '\0') + strClip;
}
}  // namespace

TEST_F(SaveOffer, DialogIsAPlainSaveAsForAviFiles)
{
    ReceivedClip("RIFF clip");
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.Destroy());
    ASSERT_EQ(1u, CSaveAsSpy::Dialogs().size());
    const CSaveAsCall& call = CSaveAsSpy::Dialogs()[0];
    const OPENFILENAMEA& ofn = call.ofn;
    EXPECT_EQ(sizeof(OPENFILENAMEA), ofn.lStructSize);
    EXPECT_EQ(nullptr, ofn.hwndOwner);
    EXPECT_EQ(nullptr, ofn.hInstance);
    EXPECT_EQ(std::string("avi files(*.avi)\0*.avi\0\0", 24), call.strFilter);
    EXPECT_EQ(nullptr, ofn.lpstrCustomFilter);
    EXPECT_LE(ofn.nFilterIndex, 1u);
    EXPECT_EQ("clip.avi", call.strFile);
    EXPECT_GE(ofn.nMaxFile, static_cast<DWORD>(MAX_PATH));
    EXPECT_EQ(nullptr, ofn.lpstrFileTitle);
    EXPECT_EQ(nullptr, ofn.lpstrInitialDir);
    EXPECT_EQ(nullptr, ofn.lpstrTitle);
    EXPECT_EQ(static_cast<DWORD>(OFN_NOCHANGEDIR), ofn.Flags)
        << "current directory kept; no overwrite prompt, read-only box not hidden, no hook";
    EXPECT_EQ("avi", call.strDefExt);
    EXPECT_EQ(nullptr, ofn.lpfnHook);
    EXPECT_EQ(nullptr, ofn.lpTemplateName);
    EXPECT_EQ(0u, ofn.FlagsEx);
}

TEST_F(SaveOffer, ConfirmedCopyReplacesAnExistingFile)
{
    ReceivedClip("the downloaded clip");
    std::string strChosen = FreshTempPath(" saved.avi");
    ASSERT_TRUE(WriteWholeFile(strChosen, "an older file of that name"));
    CSaveAsSpy::ConfirmWith(strChosen);
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.Destroy());

    ASSERT_EQ(1u, CSaveAsSpy::Copies().size());
    EXPECT_EQ(m_strTemp, CSaveAsSpy::Copies()[0].strFrom);
    EXPECT_EQ(strChosen, CSaveAsSpy::Copies()[0].strTo);
    EXPECT_EQ(FALSE, CSaveAsSpy::Copies()[0].bFailIfExists);
    EXPECT_EQ("the downloaded clip", ReadWholeFile(strChosen));
    EXPECT_FALSE(FileExists(m_strTemp)) << "the temporary file goes after the copy";
    DeleteFileA(strChosen.c_str());
}

TEST_F(SaveOffer, CancelCopiesNothingAndStillDeletesTheTemporaryFile)
{
    ReceivedClip("the downloaded clip");
    CSaveAsSpy::Cancel();
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.Destroy());
    EXPECT_EQ(1u, CSaveAsSpy::Dialogs().size());
    EXPECT_TRUE(CSaveAsSpy::Copies().empty());
    EXPECT_FALSE(FileExists(m_strTemp));
}

TEST_F(SaveOffer, NoOfferBeforeAnyStream)
{
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.Destroy());
    EXPECT_TRUE(CSaveAsSpy::Dialogs().empty());
    EXPECT_TRUE(CSaveAsSpy::Copies().empty());
}

// The player, which holds the decision, was already released with the window.
TEST_F(SaveOffer, NoOfferOnceTheWindowWasWithdrawn)
{
    ReceivedClip("the downloaded clip");
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.SetWindow(NULL));
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.Destroy());
    EXPECT_TRUE(CSaveAsSpy::Dialogs().empty());
    EXPECT_FALSE(FileExists(m_strTemp));
}

// The device holding the clip open is closed before the dialog, so that the
// file can be copied and deleted; the windows are released only afterwards.
TEST_F(SaveOffer, DeviceLetsGoOfTheClipBeforeTheDialog)
{
    std::string strClip = ReadWholeFile(WindowsPathOf(PLUGIN_TEST_DATA "/clip320.avi"));
    ASSERT_GT(strClip.size(), 1000u);
    ReceivedClip(strClip);
    PluginInstance* pRecord = m_instance.Record();
    ASSERT_TRUE(pRecord->m_pPlayer->Open(pRecord->m_pWindow, pRecord->m_pSideWindow, m_strTemp.c_str(), 0))
        << "MCI error " << pRecord->m_pPlayer->m_dwLastError;
    HWND hSide = pRecord->m_pSideWindow->GetSafeHwnd();

    bool bFileFree = false, bSideAlive = false;
    CSaveAsSpy::WhileOpen([&] {
        HANDLE hFile = CreateFileA(m_strTemp.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
        bFileFree = hFile != INVALID_HANDLE_VALUE;
        if (bFileFree)
            CloseHandle(hFile);
        bSideAlive = IsWindow(hSide) != FALSE;
    });
    std::string strChosen = FreshTempPath(" kept.avi");
    CSaveAsSpy::ConfirmWith(strChosen);
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.Destroy());
    EXPECT_TRUE(bFileFree) << "the clip file was still held open during the dialog";
    EXPECT_TRUE(bSideAlive);
    EXPECT_TRUE(ReadWholeFile(strChosen) == strClip);
    EXPECT_FALSE(FileExists(m_strTemp));
    DeleteFileA(strChosen.c_str());
}

// Through the stream functions: a download that has not ended is not offered,
// and its partly written file does not outlive the instance.
TEST_F(SaveOffer, NoOfferWhileTheDownloadRuns)
{
    std::string strStream = StreamOf(std::string(4000, 'c'));
    NPStream stream = {};
    stream.url = "http://example.invalid/media/clip.avs";
    stream.end = static_cast<uint32_t>(strStream.size() + 50000);
    uint16_t type = 0;
    char szType[] = "video/avs";
    ASSERT_EQ(NPERR_NO_ERROR, Plugin().Funcs().newstream(m_instance.Npp(), szType, &stream, FALSE, &type));
    std::string strTemp = m_instance.Record()->m_szTempPath;
    ASSERT_FALSE(strTemp.empty());
    int32_t n = static_cast<int32_t>(strStream.size());
    ASSERT_EQ(n, Plugin().Funcs().write(m_instance.Npp(), &stream, 0, n, &strStream[0]));
    ASSERT_TRUE(FileExists(strTemp));

    ASSERT_EQ(NPERR_NO_ERROR, m_instance.Destroy());
    EXPECT_TRUE(CSaveAsSpy::Dialogs().empty());
    EXPECT_FALSE(FileExists(strTemp)) << "the partial file must be closed and deleted";
}

// Through the stream functions: a complete download from the network is
// offered under the name its URL ends with.
TEST_F(SaveOffer, CompleteDownloadIsOfferedUnderItsUrlName)
{
    std::string strClip(30000, 'v');
    std::string strStream = StreamOf(strClip);
    NPStream stream = {};
    stream.url = "http://example.invalid/media/trailer.avs";
    stream.end = static_cast<uint32_t>(strStream.size());
    uint16_t type = 0;
    char szType[] = "video/avs";
    ASSERT_EQ(NPERR_NO_ERROR, Plugin().Funcs().newstream(m_instance.Npp(), szType, &stream, FALSE, &type));
    int32_t n = static_cast<int32_t>(strStream.size());
    ASSERT_EQ(n, Plugin().Funcs().write(m_instance.Npp(), &stream, 0, n, &strStream[0]));
    ASSERT_EQ(NPERR_NO_ERROR, Plugin().Funcs().destroystream(m_instance.Npp(), &stream, NPRES_DONE));

    std::string strChosen = FreshTempPath(" trailer.avi");
    CSaveAsSpy::ConfirmWith(strChosen);
    ASSERT_EQ(NPERR_NO_ERROR, m_instance.Destroy());
    ASSERT_EQ(1u, CSaveAsSpy::Dialogs().size());
    EXPECT_EQ("trailer.avi", CSaveAsSpy::Dialogs()[0].strFile);
    EXPECT_TRUE(ReadWholeFile(strChosen) == strClip);
    DeleteFileA(strChosen.c_str());
}
