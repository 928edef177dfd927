// Allocations that fail inside the plug-in's functions: no C++ exception reaches the browser,
// the functions answer an NPAPI error (or end the stream), and the instance stays usable.
// The plug-in's malloc fails on request (the rig's fault imports).
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "BrowserWindow.h"
#include "FaultImports.h"
#include "PluginWindow.h"
#include "StreamRig.h"

namespace {
void Arm(int nFailAt)
{
    CFaults::FailAllocation(nFailAt);
}

bool IsNpapiAnswer(NPError err)
{
    return err == NPERR_NO_ERROR || err == NPERR_GENERIC_ERROR || err == NPERR_OUT_OF_MEMORY_ERROR;
}

class EntryOutOfMemory : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error(); }

    CBrowserWindow m_window{NULL, 320, 240};
};

// The window object cannot be allocated: the window is not taken, and it is once memory is back.
TEST_F(EntryOutOfMemory, SetWindowWithoutMemoryAnswersAnErrorAndCanBeRepeated)
{
    CRigInstance instance(Plugin());
    ASSERT_EQ(NPERR_NO_ERROR, instance.New());
    Arm(0);
    EXPECT_EQ(NPERR_OUT_OF_MEMORY_ERROR, instance.SetWindow(m_window.Handle()));
    CFaults::StopFailingAllocations();
    EXPECT_EQ(nullptr, instance.Record()->m_pWindow);
    EXPECT_EQ(CBrowserWindow::BrowserProc(), reinterpret_cast<WNDPROC>(GetWindowLongA(m_window.Handle(), GWL_WNDPROC)));
    EXPECT_EQ(NPERR_NO_ERROR, instance.SetWindow(m_window.Handle()));
    ASSERT_NE(nullptr, instance.Record()->m_pWindow);
    EXPECT_EQ(m_window.Handle(), instance.Record()->m_pWindow->GetSafeHwnd());
    EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
}

// Each allocation of NPP_SetWindow fails in turn (the objects, the handle map's entries):
// every call answers an NPAPI code, and the instance can still be torn down cleanly.
TEST_F(EntryOutOfMemory, EveryFailingAllocationOfSetWindowIsAnswered)
{
    for (int nFailAt = 0; nFailAt < 12; nFailAt++)
    {
        CRigInstance instance(Plugin());
        ASSERT_EQ(NPERR_NO_ERROR, instance.New());
        Arm(nFailAt);
        NPError err = instance.SetWindow(m_window.Handle());
        CFaults::StopFailingAllocations();
        EXPECT_TRUE(IsNpapiAnswer(err)) << "allocation " << nFailAt << ": " << err;
        EXPECT_EQ(NPERR_NO_ERROR, instance.SetWindow(NULL));
        EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
        EXPECT_EQ(CBrowserWindow::BrowserProc(),
                  reinterpret_cast<WNDPROC>(GetWindowLongA(m_window.Handle(), GWL_WNDPROC)))
            << "allocation " << nFailAt;
    }
}

// The chunk that starts playback opens the clip in the player (which copies its path); with
// allocations failing there and in the stream functions, the browser gets answers only.
TEST_F(EntryOutOfMemory, FailingAllocationsWhileTheStreamStartsPlaybackAreAnswered)
{
    Bytes clip = randomBytes(40000, 3);
    Bytes bytes = MakeClipStream(clip, 35000);
    for (int nFailAt = 0; nFailAt < 6; nFailAt++)
    {
        CRigInstance instance(Plugin());
        ASSERT_EQ(NPERR_NO_ERROR, instance.New());
        ASSERT_EQ(NPERR_NO_ERROR, instance.SetWindow(m_window.Handle()));
        CRigStream stream(Plugin(), instance);
        Arm(nFailAt);
        NPError err = stream.Open("http://www.example.com/clip.avs", static_cast<DWORD>(bytes.size()));
        EXPECT_TRUE(IsNpapiAnswer(err)) << "allocation " << nFailAt << ": " << err;
        int32_t nTaken = stream.Write(bytes.data(), 5008);
        EXPECT_TRUE(nTaken == 5008 || nTaken == -1) << nTaken;
        nTaken = stream.Write(&bytes[5008], 20000);
        EXPECT_TRUE(nTaken == 20000 || nTaken == -1) << nTaken;
        EXPECT_TRUE(IsNpapiAnswer(stream.Close()));
        CFaults::StopFailingAllocations();
        EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
    }
}
}  // namespace
