// The table of stream cases against the plug-in: through its stream file directly (with the
// gap bound each case asks for) and through streamplug.dll's stream functions as a browser
// calls them. Every chunking is refused or taken as the table says and leaves the clip file
// and completeness (the save offer) it names.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "MciPlayer.h"
#include "SaveAsSpy.h"
#include "StreamFile.h"
#include "StreamRig.h"
#include "stream_cases.h"

namespace {
using streamcases::StreamCase;

const char REMOTE_URL[] = "http://www.example.com/media/clip.avs";

class StreamCases : public CClipFileTest
{};

TEST_F(StreamCases, TheStreamFileGivesEveryOutcomeOfTheTable)
{
    for (const StreamCase& c : streamcases::streamCases())
    {
        for (const std::vector<uint32_t>& chunking : c.chunkings)
        {
            std::vector<uint32_t> chunks = streamcases::chunksOf(c, chunking);
            std::string strWhat = streamcases::describe(c, chunks);
            size_t nRefusedAt = c.taken ? chunks.size() : streamcases::headerChunkOf(chunks);
            {
                CStreamFile receiver(c.announced,
                                     c.gapBound != 0 ? c.gapBound : static_cast<DWORD>(CStreamFile::kMaxGapAhead));
                ASSERT_TRUE(Create(receiver)) << strWhat;
                size_t pos = 0;
                for (size_t i = 0; i < chunks.size(); i++)
                {
                    ASSERT_EQ(i < nRefusedAt, receiver.Receive(&c.stream[pos], chunks[i]) != FALSE)
                        << strWhat << ": chunk " << i;
                    pos += chunks[i];
                }
                EXPECT_EQ(!c.taken, receiver.HasFailed() != FALSE) << strWhat;
                if (!c.taken)
                {
                    BYTE more = 0;
                    EXPECT_FALSE(receiver.Receive(&more, 1)) << strWhat << ": nothing more is taken";
                }
                EXPECT_EQ(c.stream.size(), receiver.GetBytesReceived()) << strWhat;
                EXPECT_EQ(c.complete, receiver.Finish(TRUE) != FALSE) << strWhat;
            }
            Bytes file = ReadFileBytes(m_strPath);
            EXPECT_TRUE(file == c.clip) << strWhat << ": " << file.size() << " bytes, expected " << c.clip.size();
        }
    }
}

class StreamCasesNpp : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error(); }
};

// A new instance (no window: nothing plays) per delivery; a complete clip is offered for
// saving at destruction (the offer is declined), any other is not.
TEST_F(StreamCasesNpp, TheStreamFunctionsGiveEveryOutcomeOfTheTable)
{
    for (const StreamCase& c : streamcases::streamCases())
    {
        if (c.gapBound != 0)
            continue;
        for (const std::vector<uint32_t>& chunking : c.chunkings)
        {
            std::vector<uint32_t> chunks = streamcases::chunksOf(c, chunking);
            std::string strWhat = streamcases::describe(c, chunks);
            size_t nRefusedAt = c.taken ? chunks.size() : streamcases::headerChunkOf(chunks);
            CSaveAsSpy::Reset();
            CRigInstance instance(Plugin());
            ASSERT_EQ(NPERR_NO_ERROR, instance.New()) << strWhat;
            CRigStream stream(Plugin(), instance);
            ASSERT_EQ(NPERR_NO_ERROR, stream.Open(REMOTE_URL, c.announced)) << strWhat;
            size_t pos = 0;
            for (size_t i = 0; i < chunks.size(); i++)
            {
                int32_t nExpected = i < nRefusedAt ? static_cast<int32_t>(chunks[i]) : -1;
                ASSERT_EQ(nExpected, stream.Write(&c.stream[pos], chunks[i])) << strWhat << ": chunk " << i;
                pos += chunks[i];
            }
            if (!c.taken)
            {
                BYTE more = 0;
                EXPECT_EQ(-1, stream.Write(&more, 1)) << strWhat << ": nothing more is taken";
            }
            EXPECT_EQ(NPERR_NO_ERROR, stream.Close());
            std::string strTemp = instance.Record()->m_szTempPath;
            Bytes file = ReadFileBytes(strTemp);
            EXPECT_TRUE(file == c.clip) << strWhat << ": " << file.size() << " bytes, expected " << c.clip.size();
            EXPECT_EQ(!c.complete, instance.Record()->m_pPlayer->m_bNoSaveOffer != FALSE) << strWhat;
            EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
            EXPECT_EQ(c.complete ? 1u : 0u, CSaveAsSpy::Dialogs().size()) << strWhat;
            EXPECT_FALSE(FileExists(strTemp)) << strWhat;
        }
    }
}
}  // namespace
