// End to end on Wine's real MCI AVI device: a real clip travels as a stream with its index
// as the placed block, is rebuilt byte for byte, and plays to its end in the plug-in window.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "BrowserWindow.h"
#include "MciPlayer.h"
#include "MciImports.h"
#include "StreamRig.h"
#include "TestWindows.h"

namespace {
const DWORD CLIP_FRAMES = 60;

// Offset of the clip's index chunk ("idx1", the last chunk of the file).
DWORD IndexOffset(const Bytes& clip)
{
    for (size_t i = clip.size() - 4; i > 0; i--)
        if (memcmp(&clip[i], "idx1", 4) == 0)
            return static_cast<DWORD>(i);
    return 0;
}

class StreamPlaybackE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error();
        m_clip = ReadFileBytes(TestDataPath("clip320.avi"));
        ASSERT_GT(m_clip.size(), 100000u);
    }
    Bytes m_clip;
};

TEST_F(StreamPlaybackE2E, StreamedClipIsRebuiltAndPlaysToItsEnd)
{
    DWORD nIndex = IndexOffset(m_clip);
    ASSERT_GT(nIndex, 0u);
    Bytes bytes = MakeClipStream(m_clip, nIndex);
    CBrowserWindow window(NULL, 400, 300);
    CRigInstance instance(Plugin());
    ASSERT_EQ(NPERR_NO_ERROR, instance.New());
    ASSERT_EQ(NPERR_NO_ERROR, instance.SetWindow(window.Handle()));
    CRigStream stream(Plugin(), instance);
    ASSERT_EQ(NPERR_NO_ERROR, stream.Open("http://www.example.com/media/clip.avs", static_cast<DWORD>(bytes.size())));
    ASSERT_TRUE(stream.WriteRest(bytes, 4096));
    // Wine's device cannot open a file that is still open for writing, so the start at the
    // threshold is refused there; the stream goes on regardless.
    EXPECT_EQ(1u, CMciSpy::CallsOf(MCI_OPEN).size()) << "one start attempt, at the threshold";
    ASSERT_EQ(NPERR_NO_ERROR, stream.Close());
    PluginInstance* pRecord = instance.Record();
    EXPECT_TRUE(m_clip == ReadFileBytes(pRecord->m_szTempPath));

    // The user's Play on the complete clip: the real device opens the rebuilt file and plays it.
    CMciSpy::Reset();
    SendMessageA(window.Handle(), WM_COMMAND, 1000, 0);
    std::vector<CMciCall> opens = CMciSpy::CallsOf(MCI_OPEN);
    ASSERT_EQ(1u, opens.size());
    EXPECT_EQ(std::string(pRecord->m_szTempPath), opens[0].strElement);
    ASSERT_EQ(0u, opens[0].result);
    MCIDEVICEID id = pRecord->m_pPlayer->m_wDeviceID;
    ASSERT_NE(0u, id);
    EXPECT_EQ(CLIP_FRAMES, DeviceStatus(id, MCI_STATUS_LENGTH));
    EXPECT_TRUE(WaitFor([&] { return DeviceStatus(id, MCI_STATUS_POSITION) > 0; })) << "playing";
    EXPECT_TRUE(WaitFor([&] { return DeviceStatus(id, MCI_STATUS_MODE) == MCI_MODE_STOP; })) << "stops at the end";
    EXPECT_EQ(CLIP_FRAMES - 1, DeviceStatus(id, MCI_STATUS_POSITION)) << "on the last frame";
    std::string strTemp = pRecord->m_szTempPath;
    instance.Destroy();
    EXPECT_FALSE(FileExists(strTemp));
}
}  // namespace
