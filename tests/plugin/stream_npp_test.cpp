// Stream reception through streamplug.dll's stream functions: the temporary file and its
// name, the save name and the save offer, several instances at once, and every failure that
// must end a stream with -1 and leave nothing behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <random>
#include <memory>
#include <string>

#include "BrowserWindow.h"
#include "FaultImports.h"
#include "MciPlayer.h"
#include "SaveAsSpy.h"
#include "StreamRig.h"

namespace {
// The Save As offers made so far (the rig's dialog stand-in).
int SaveOffers()
{
    return static_cast<int>(CSaveAsSpy::Dialogs().size());
}

std::string TempDir()
{
    char szDir[MAX_PATH];
    GetTempPathA(sizeof(szDir), szDir);
    return szDir;
}

const char REMOTE_URL[] = "http://www.example.com/media/clip.avs";

class StreamNpp : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error();
        m_strSaved = TempDir() + "saved_" + std::to_string(GetCurrentProcessId()) + ".avi";
        DeleteFileA(m_strSaved.c_str());
        m_nZevFilesBefore = CountTempFiles("ZEV*");
    }
    void TearDown() override { DeleteFileA(m_strSaved.c_str()); }

    // A new embedded instance (automatic start as the page asks) in a browser window, if wanted.
    std::unique_ptr<CRigInstance> NewInstance(bool bWindow = false)
    {
        std::unique_ptr<CRigInstance> pInstance(new CRigInstance(Plugin()));
        EXPECT_EQ(NPERR_NO_ERROR, pInstance->New());
        if (bWindow)
        {
            m_windows.emplace_back(new CBrowserWindow(NULL, 320, 240));
            EXPECT_EQ(NPERR_NO_ERROR, pInstance->SetWindow(m_windows.back()->Handle()));
        }
        return pInstance;
    }

    // Streams a whole clip to a new instance and ends the stream; the instance stays.
    std::unique_ptr<CRigInstance> ReceiveClip(const Bytes& clip, const char* pszUrl, DWORD dwEndAdjust = 0)
    {
        std::unique_ptr<CRigInstance> pInstance = NewInstance();
        Bytes stream = MakeClipStream(clip, static_cast<DWORD>(clip.size() * 3 / 4));
        CRigStream rigStream(Plugin(), *pInstance);
        EXPECT_EQ(NPERR_NO_ERROR, rigStream.Open(pszUrl, static_cast<DWORD>(stream.size()) + dwEndAdjust));
        EXPECT_TRUE(rigStream.WriteRest(stream, 4093));
        EXPECT_EQ(NPERR_NO_ERROR, rigStream.Close());
        return pInstance;
    }

    std::string m_strSaved;
    int m_nZevFilesBefore = 0;
    std::vector<std::unique_ptr<CBrowserWindow>> m_windows;
};

struct SaveNameCase
{
    const char* pszUrl;   // stream URL (NULL: none)
    const char* pszName;  // expected save name ("untouched": left as it was)
    BOOL bNoSaveOffer;    // expected player flag
};

TEST_F(StreamNpp, SaveNameAndOfferFollowTheUrl)
{
    const SaveNameCase cases[] = {
        {REMOTE_URL, "clip.avi", FALSE},
        {"file:///C:/media/clip.avs", "untouched", TRUE},
        {"http://www.example.com/get?x|clip.avs", "clip.avi", FALSE},
        {"http://www.example.com/media/", "", FALSE},
        {"FILE:/clip.avs", "clip.avi", FALSE},
        {"C:\\media\\clip.avs", "clip.avi", FALSE},
        {"clip.avs", "clip.avi", FALSE},
        {"", "untouched", TRUE},
        {NULL, "untouched", TRUE},
        {"http://host/get.cgi?id=7&f=clip.avs", "id=7&f=clip.avi", FALSE},
        {"http://host/a\"b<c>d*e.avs", "e.avi", FALSE},
        {"http://host/clip\tname.avs", "name.avi", FALSE},
    };
    for (const SaveNameCase& c : cases)
    {
        std::unique_ptr<CRigInstance> pInstance = NewInstance();
        strcpy(pInstance->Record()->m_szSaveName, "untouched");
        CRigStream stream(Plugin(), *pInstance);
        ASSERT_EQ(NPERR_NO_ERROR, stream.Open(c.pszUrl, 1000));
        EXPECT_STREQ(c.pszName, pInstance->Record()->m_szSaveName) << (c.pszUrl ? c.pszUrl : "(no URL)");
        EXPECT_EQ(c.bNoSaveOffer, pInstance->Record()->m_pPlayer->m_bNoSaveOffer) << (c.pszUrl ? c.pszUrl : "(no URL)");
    }
}

// No character that a Windows file name cannot hold reaches the Save As dialog, whatever the URL.
TEST_F(StreamNpp, SaveNameNeverHoldsCharactersAFileNameCannotHold)
{
    std::string strUrl = "http://host/";
    for (int c = 1; c < 128; c++)
        strUrl += static_cast<char>(c);
    strUrl += "clip.avs";
    for (size_t nCut : {strUrl.size(), strUrl.size() - 8, strUrl.size() - 60})
    {
        std::unique_ptr<CRigInstance> pInstance = NewInstance();
        CRigStream stream(Plugin(), *pInstance);
        ASSERT_EQ(NPERR_NO_ERROR, stream.Open(strUrl.substr(0, nCut).c_str(), 1000));
        std::string strName = pInstance->Record()->m_szSaveName;
        for (char c : strName)
            EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 && strchr("?*:\"<>|/\\", c) == NULL)
                << "character " << static_cast<int>(c) << " in " << strName;
    }
}

TEST_F(StreamNpp, UrlTailLongerThanTheFieldKeepsItsLastCharacters)
{
    std::string strTail = std::string(300, 'n') + ".avs";
    std::string strUrl = "http://www.example.com/" + strTail;
    std::unique_ptr<CRigInstance> pInstance = NewInstance();
    CRigStream stream(Plugin(), *pInstance);
    ASSERT_EQ(NPERR_NO_ERROR, stream.Open(strUrl.c_str(), 1000));
    std::string strExpected = strTail.substr(strTail.size() - 255);
    strExpected.back() = 'i';
    EXPECT_EQ(strExpected, pInstance->Record()->m_szSaveName);
}

TEST_F(StreamNpp, TemporaryFileIsANewZevAviFileInTheTempDirectory)
{
    std::unique_ptr<CRigInstance> pInstance = NewInstance();
    CRigStream stream(Plugin(), *pInstance);
    uint16_t type = 0;
    ASSERT_EQ(NPERR_NO_ERROR, stream.Open(REMOTE_URL, 1000, &type));
    EXPECT_EQ(NP_NORMAL, type);
    EXPECT_EQ(0x0FFFFFFF, Plugin().Funcs().writeready(pInstance->Npp(), &stream.Stream()));
    EXPECT_TRUE(pInstance->Record()->m_bStreamOpen);
    std::string strPath = pInstance->Record()->m_szTempPath;
    std::string strDir = TempDir();
    ASSERT_EQ(strDir, strPath.substr(0, strDir.size()));
    std::string strName = strPath.substr(strDir.size());
    EXPECT_EQ("ZEV", strName.substr(0, 3));
    EXPECT_EQ(".avi", strName.substr(strName.size() - 4));
    EXPECT_TRUE(FileExists(strPath));
    EXPECT_FALSE(FileExists(strPath.substr(0, strPath.size() - 3) + "TMP")) << "placeholder left behind";
    EXPECT_FALSE(FileExists(strPath.substr(0, strPath.size() - 3) + "tmp")) << "placeholder left behind";
    stream.Close();
    pInstance->Destroy();
    EXPECT_FALSE(FileExists(strPath));
}

TEST_F(StreamNpp, CompleteRemoteClipIsOfferedAndSavedByteForByte)
{
    Bytes clip = randomBytes(300000, 1);
    CSaveAsSpy::ConfirmWith(m_strSaved);
    std::unique_ptr<CRigInstance> pInstance = ReceiveClip(clip, REMOTE_URL);
    PluginInstance* pRecord = pInstance->Record();
    EXPECT_FALSE(pRecord->m_bStreamOpen);
    EXPECT_FALSE(pRecord->m_bAutoStart) << "cleared at the end of the stream";
    EXPECT_EQ(nullptr, pRecord->m_pStreamFile);
    EXPECT_EQ(clip.size() + 8, pRecord->m_pPlayer->m_nBytesReceived);
    EXPECT_EQ(static_cast<DWORD>(clip.size() - clip.size() * 3 / 4) + 10000, pRecord->m_pPlayer->m_nStartBytes);
    std::string strTemp = pRecord->m_szTempPath;
    EXPECT_EQ(clip, ReadFileBytes(strTemp));
    pInstance->Destroy();
    EXPECT_EQ(1, SaveOffers());
    EXPECT_EQ(clip, ReadFileBytes(m_strSaved));
    EXPECT_FALSE(FileExists(strTemp));
}

// (Partial and unannounced streams, refused headers and header-only streams are cases of the
// table that stream_cases_test runs through the stream functions.)
TEST_F(StreamNpp, LocalClipIsNotOffered)
{
    ReceiveClip(randomBytes(50000, 2), "file:///C:/media/clip.avs")->Destroy();
    EXPECT_EQ(0, SaveOffers());
    EXPECT_EQ(m_nZevFilesBefore, CountTempFiles("ZEV*"));
}

TEST_F(StreamNpp, DestructionInMidStreamOffersNothingAndLeavesNoFile)
{
    Bytes clip = randomBytes(100000, 3);
    Bytes bytes = MakeClipStream(clip, 90000);
    std::unique_ptr<CRigInstance> pInstance = NewInstance(true);
    CRigStream stream(Plugin(), *pInstance);
    ASSERT_EQ(NPERR_NO_ERROR, stream.Open(REMOTE_URL, static_cast<DWORD>(bytes.size())));
    ASSERT_EQ(50000, stream.Write(bytes.data(), 50000));
    std::string strTemp = pInstance->Record()->m_szTempPath;
    pInstance->Destroy();
    stream.Abandon();
    EXPECT_EQ(0, SaveOffers());
    EXPECT_FALSE(FileExists(strTemp));
}

// Four instances receiving at once, their chunks interleaved, each with its own placed block.
TEST_F(StreamNpp, FourInterleavedStreamsGiveFourIdenticalFiles)
{
    const int N = 4;
    std::vector<std::unique_ptr<CRigInstance>> instances;
    std::vector<std::unique_ptr<CRigStream>> streams;
    std::vector<Bytes> clips, bytes;
    for (int i = 0; i < N; i++)
    {
        clips.push_back(randomBytes(150000 + 20000 * i, 40 + i));
        bytes.push_back(MakeClipStream(clips[i], static_cast<DWORD>(clips[i].size()) - 3000 * (i + 1)));
        instances.push_back(NewInstance(i % 2 == 0));
        streams.emplace_back(new CRigStream(Plugin(), *instances[i]));
        ASSERT_EQ(NPERR_NO_ERROR, streams[i]->Open(REMOTE_URL, static_cast<DWORD>(bytes[i].size())));
    }
    std::mt19937 gen(7);
    for (bool bMore = true; bMore;)
    {
        bMore = false;
        for (int i = 0; i < N; i++)
        {
            DWORD nLeft = static_cast<DWORD>(bytes[i].size()) - streams[i]->Offset();
            if (nLeft == 0)
                continue;
            DWORD n = std::min(nLeft, std::uniform_int_distribution<DWORD>(1, 9000)(gen));
            ASSERT_EQ(static_cast<int32_t>(n), streams[i]->Write(&bytes[i][streams[i]->Offset()], n));
            bMore = true;
        }
    }
    std::vector<std::string> paths;
    for (int i = 0; i < N; i++)
    {
        streams[i]->Close();
        paths.push_back(instances[i]->Record()->m_szTempPath);
        EXPECT_TRUE(clips[i] == ReadFileBytes(paths[i])) << "instance " << i;
        EXPECT_FALSE(instances[i]->Record()->m_pPlayer->m_bNoSaveOffer) << "instance " << i;
    }
    for (int i = 0; i < N; i++)
    {
        instances[i]->Destroy();
        EXPECT_FALSE(FileExists(paths[i]));
    }
    EXPECT_EQ(N, SaveOffers());
}

TEST_F(StreamNpp, NoTemporaryNameEndsTheStream)
{
    CFaults::ScriptTempNames({});
    std::unique_ptr<CRigInstance> pInstance = NewInstance(true);
    CRigStream stream(Plugin(), *pInstance);
    ASSERT_EQ(NPERR_NO_ERROR, stream.Open(REMOTE_URL, 1000));
    EXPECT_STREQ("", pInstance->Record()->m_szTempPath);
    BYTE chunk[100] = {};
    EXPECT_EQ(-1, stream.Write(chunk, sizeof(chunk)));
    stream.Close();
    pInstance->Destroy();
    EXPECT_EQ(0, SaveOffers());
    EXPECT_EQ(m_nZevFilesBefore, CountTempFiles("ZEV*"));
}

// A temporary name that would not fit the path field is refused, never cut; the longest
// that fits is used.
TEST_F(StreamNpp, TemporaryPathLongerThanTheFieldIsRefusedSafely)
{
    std::string strDir = TempDir();
    std::string strFits = strDir + "ZEV" + std::string(255 - strDir.size() - 7, 'f') + ".TMP";
    ASSERT_EQ(255u, strFits.size());
    std::string strTooLong = strDir + "ZEV" + std::string(256 - strDir.size() - 7, 'g') + ".TMP";
    for (const std::string* pName : {&strFits, &strTooLong})
    {
        CFaults::ScriptTempNames({*pName});
        std::unique_ptr<CRigInstance> pInstance = NewInstance();
        PluginInstance* pRecord = pInstance->Record();
        strcpy(pRecord->m_szSaveName, "sentinel");
        CRigStream stream(Plugin(), *pInstance);
        ASSERT_EQ(NPERR_NO_ERROR, stream.Open(NULL, 1000));
        EXPECT_FALSE(FileExists(*pName)) << "placeholder left behind";
        EXPECT_STREQ("sentinel", pRecord->m_szSaveName) << "the path overran its field";
        BYTE chunk[1000] = {};
        if (pName == &strFits)
        {
            std::string strAvi = pName->substr(0, 252) + "avi";
            EXPECT_EQ(strAvi, pRecord->m_szTempPath);
            EXPECT_EQ(1000, stream.Write(chunk, sizeof(chunk)));
            stream.Close();
            pInstance->Destroy();
            EXPECT_FALSE(FileExists(strAvi));
        }
        else
        {
            EXPECT_STREQ("", pRecord->m_szTempPath);
            EXPECT_EQ(-1, stream.Write(chunk, sizeof(chunk)));
        }
    }
}

TEST_F(StreamNpp, FileThatCannotBeCreatedEndsTheStream)
{
    std::string strBase = TempDir() + "ZEVDIR" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA((strBase + ".avi").c_str(), NULL));
    CFaults::ScriptTempNames({strBase + ".TMP"});
    std::unique_ptr<CRigInstance> pInstance = NewInstance(true);
    CRigStream stream(Plugin(), *pInstance);
    ASSERT_EQ(NPERR_NO_ERROR, stream.Open(REMOTE_URL, 1000));
    EXPECT_STREQ("", pInstance->Record()->m_szTempPath);
    EXPECT_FALSE(FileExists(strBase + ".TMP")) << "placeholder left behind";
    BYTE chunk[1000] = {};
    EXPECT_EQ(-1, stream.Write(chunk, sizeof(chunk)));
    stream.Close();
    pInstance->Destroy();
    EXPECT_EQ(0, SaveOffers());
    EXPECT_TRUE(RemoveDirectoryA((strBase + ".avi").c_str())) << "someone else's directory was touched";
}

TEST_F(StreamNpp, FullDiskEndsTheStreamAndNothingIsLeft)
{
    Bytes clip = randomBytes(400000, 5);
    Bytes bytes = MakeClipStream(clip, 390000);
    std::unique_ptr<CRigInstance> pInstance = NewInstance(true);
    CRigStream stream(Plugin(), *pInstance);
    ASSERT_EQ(NPERR_NO_ERROR, stream.Open(REMOTE_URL, static_cast<DWORD>(bytes.size())));
    CFaults::LimitWrites(150000);
    EXPECT_FALSE(stream.WriteRest(bytes, 65536));
    EXPECT_EQ(2u * 65536, stream.Offset()) << "the chunk that did not fit was refused";
    EXPECT_EQ(-1, stream.Write(&bytes[stream.Offset()], 100));
    std::string strTemp = pInstance->Record()->m_szTempPath;
    stream.Close();
    pInstance->Destroy();
    EXPECT_EQ(0, SaveOffers());
    EXPECT_FALSE(FileExists(strTemp));
}

TEST_F(StreamNpp, DataLostWhenTheFileIsClosedMakesTheClipIncomplete)
{
    CFaults::FailCloses(true);
    ReceiveClip(randomBytes(30000, 6), REMOTE_URL)->Destroy();
    EXPECT_EQ(0, SaveOffers());
}

TEST_F(StreamNpp, SecondStreamForAnInstanceIsDeclined)
{
    Bytes clip = randomBytes(40000, 7);
    CSaveAsSpy::ConfirmWith(m_strSaved);
    std::unique_ptr<CRigInstance> pInstance = ReceiveClip(clip, REMOTE_URL);
    std::string strTemp = pInstance->Record()->m_szTempPath;
    CRigStream second(Plugin(), *pInstance);
    EXPECT_EQ(NPERR_GENERIC_ERROR, second.Open("http://www.example.com/other.avs", 1000));
    BYTE chunk[100] = {};
    EXPECT_EQ(-1, second.Write(chunk, sizeof(chunk)));
    EXPECT_EQ(NPERR_NO_ERROR, second.Close());
    EXPECT_EQ(strTemp, pInstance->Record()->m_szTempPath);
    EXPECT_STREQ("clip.avi", pInstance->Record()->m_szSaveName);
    pInstance->Destroy();
    EXPECT_EQ(clip, ReadFileBytes(m_strSaved));
    EXPECT_EQ(m_nZevFilesBefore, CountTempFiles("ZEV*"));
}

// Data before the browser supplied a window, and after it withdrew the window (which also
// releases the player): the clip is written whole, nothing plays, nothing breaks.
TEST_F(StreamNpp, StreamWithoutWindowOrPlayerIsStillWritten)
{
    Bytes clip = randomBytes(120000, 8);
    Bytes bytes = MakeClipStream(clip, 100000);
    std::unique_ptr<CRigInstance> pInstance = NewInstance();
    CRigStream stream(Plugin(), *pInstance);
    ASSERT_EQ(NPERR_NO_ERROR, stream.Open(REMOTE_URL, static_cast<DWORD>(bytes.size())));
    ASSERT_EQ(25000, stream.Write(bytes.data(), 25000));
    ASSERT_EQ(30000u, pInstance->Record()->m_pPlayer->m_nStartBytes);
    ASSERT_EQ(10000, stream.Write(&bytes[25000], 10000)) << "covers the start threshold without a window";
    EXPECT_EQ(0u, pInstance->Record()->m_pPlayer->m_wDeviceID);
    CBrowserWindow window(NULL, 320, 240);
    ASSERT_EQ(NPERR_NO_ERROR, pInstance->SetWindow(window.Handle()));
    ASSERT_EQ(NPERR_NO_ERROR, pInstance->SetWindow(NULL));
    ASSERT_EQ(nullptr, pInstance->Record()->m_pPlayer);
    EXPECT_TRUE(stream.WriteRest(bytes, 7000));
    EXPECT_EQ(NPERR_NO_ERROR, stream.Close());
    std::string strTemp = pInstance->Record()->m_szTempPath;
    EXPECT_EQ(clip, ReadFileBytes(strTemp));
    pInstance->Destroy();
    EXPECT_FALSE(FileExists(strTemp));
}

// The system's temporary name reserves only the .TMP name: another instance (or program) may
// hold the .avi of the same stem. Its file is never opened, truncated or deleted; the plug-in
// takes the next name, and leaves no placeholder behind.
TEST_F(StreamNpp, TemporaryNameWhoseAviIsTakenIsPassedOver)
{
    std::string strStem = TempDir() + "ZEVC" + std::to_string(GetCurrentProcessId());
    std::string strOthers = strStem + "A.avi";
    ASSERT_TRUE(WriteWholeFile(strOthers, "another instance's clip"));
    CFaults::ScriptTempNames({strStem + "A.TMP", strStem + "B.TMP"});
    Bytes clip = randomBytes(30000, 11);
    std::unique_ptr<CRigInstance> pInstance = NewInstance();
    CRigStream stream(Plugin(), *pInstance);
    Bytes bytes = MakeClipStream(clip, 25000);
    ASSERT_EQ(NPERR_NO_ERROR, stream.Open(REMOTE_URL, static_cast<DWORD>(bytes.size())));
    EXPECT_EQ(strStem + "B.avi", pInstance->Record()->m_szTempPath);
    EXPECT_FALSE(FileExists(strStem + "A.TMP")) << "placeholder left behind";
    EXPECT_FALSE(FileExists(strStem + "B.TMP")) << "placeholder left behind";
    EXPECT_TRUE(stream.WriteRest(bytes, 4096));
    stream.Close();
    EXPECT_EQ("another instance's clip", ReadWholeFile(strOthers));
    EXPECT_EQ(clip, ReadFileBytes(strStem + "B.avi"));
    pInstance->Destroy();
    EXPECT_FALSE(FileExists(strStem + "B.avi"));
    EXPECT_EQ("another instance's clip", ReadWholeFile(strOthers)) << "teardown deleted another's clip";
    DeleteFileA(strOthers.c_str());
}

// Two instances handed the same name: each gets a file of its own, and the first teardown
// leaves the second clip alone.
TEST_F(StreamNpp, InstancesGivenTheSameNameGetFilesOfTheirOwn)
{
    std::string strStem = TempDir() + "ZEVS" + std::to_string(GetCurrentProcessId());
    CFaults::ScriptTempNames({strStem + "A.TMP", strStem + "A.TMP", strStem + "B.TMP"});
    Bytes clips[2] = {randomBytes(40000, 12), randomBytes(50000, 13)};
    std::unique_ptr<CRigInstance> instances[2] = {NewInstance(), NewInstance()};
    std::unique_ptr<CRigStream> streams[2];
    Bytes bytes[2];
    for (int i = 0; i < 2; i++)
    {
        bytes[i] = MakeClipStream(clips[i], 30000);
        streams[i].reset(new CRigStream(Plugin(), *instances[i]));
        ASSERT_EQ(NPERR_NO_ERROR, streams[i]->Open(REMOTE_URL, static_cast<DWORD>(bytes[i].size())));
    }
    std::string paths[2] = {instances[0]->Record()->m_szTempPath, instances[1]->Record()->m_szTempPath};
    EXPECT_EQ(strStem + "A.avi", paths[0]);
    EXPECT_EQ(strStem + "B.avi", paths[1]);
    for (int i = 0; i < 2; i++)
    {
        EXPECT_TRUE(streams[i]->WriteRest(bytes[i], 3000));
        streams[i]->Close();
    }
    instances[0]->Destroy();
    EXPECT_FALSE(FileExists(paths[0]));
    EXPECT_EQ(clips[1], ReadFileBytes(paths[1]));
    instances[1]->Destroy();
    EXPECT_EQ(2, SaveOffers());
}

// Names keep colliding: after a bounded number of tries the stream ends, nothing of the
// other files was touched and no placeholder is left.
TEST_F(StreamNpp, EveryNameTakenEndsTheStreamAndTouchesNothing)
{
    std::string strStem = TempDir() + "ZEVT" + std::to_string(GetCurrentProcessId());
    std::vector<std::string> others;
    std::deque<std::string> names;
    for (int i = 0; i < 40; i++)
    {
        others.push_back(strStem + std::to_string(i) + ".avi");
        ASSERT_TRUE(WriteWholeFile(others.back(), "taken"));
        names.push_back(strStem + std::to_string(i) + ".TMP");
    }
    CFaults::ScriptTempNames(names);
    std::unique_ptr<CRigInstance> pInstance = NewInstance();
    CRigStream stream(Plugin(), *pInstance);
    ASSERT_EQ(NPERR_NO_ERROR, stream.Open(REMOTE_URL, 1000));
    EXPECT_STREQ("", pInstance->Record()->m_szTempPath);
    EXPECT_LT(0u, CFaults::TempNamesLeft()) << "the tries are bounded";
    BYTE chunk[100] = {};
    EXPECT_EQ(-1, stream.Write(chunk, sizeof(chunk)));
    stream.Close();
    pInstance->Destroy();
    for (int i = 0; i < 40; i++)
    {
        EXPECT_EQ("taken", ReadWholeFile(others[i]));
        EXPECT_FALSE(FileExists(strStem + std::to_string(i) + ".TMP"));
        DeleteFileA(others[i].c_str());
    }
    EXPECT_EQ(0, SaveOffers());
}

// Some hosts deliver a last call for a stream that the instance outlived. The freed record
// (overwritten here, as a reused block would be) is not looked into, and a later instance's
// stream is not disturbed by the stale one.
TEST_F(StreamNpp, StreamCallsAfterDestroyTouchNoFreedRecord)
{
    Bytes clip = randomBytes(40000, 15);
    Bytes bytes = MakeClipStream(clip, 30000);
    std::unique_ptr<CRigInstance> pInstance = NewInstance(true);
    CRigStream stale(Plugin(), *pInstance);
    ASSERT_EQ(NPERR_NO_ERROR, stale.Open(REMOTE_URL, static_cast<DWORD>(bytes.size())));
    ASSERT_EQ(20000, stale.Write(bytes.data(), 20000));
    CFaults::PoisonFrees(true);
    pInstance->Destroy();
    EXPECT_EQ(-1, stale.Write(&bytes[20000], 10000));
    EXPECT_EQ(NPERR_NO_ERROR, stale.Close());
    CFaults::PoisonFrees(false);

    std::unique_ptr<CRigInstance> pLater = NewInstance();
    stale.Stream().pdata = pLater->Record();
    CRigStream fresh(Plugin(), *pLater);
    ASSERT_EQ(NPERR_NO_ERROR, fresh.Open(REMOTE_URL, static_cast<DWORD>(bytes.size())));
    EXPECT_EQ(-1, stale.Write(&bytes[0], 10000)) << "another instance's record";
    EXPECT_EQ(NPERR_NO_ERROR, stale.Close());
    EXPECT_TRUE(pLater->Record()->m_bStreamOpen);
    EXPECT_TRUE(fresh.WriteRest(bytes, 5000));
    fresh.Close();
    EXPECT_EQ(clip, ReadFileBytes(pLater->Record()->m_szTempPath));
}
}  // namespace
