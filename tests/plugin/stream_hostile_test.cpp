// Streams whose header names a placed block that cannot belong to the stream: the stream
// is refused at the header, nothing is written (no padding), and it never counts as complete.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "StreamFile.h"
#include "StreamRig.h"

namespace
{
class HostileHeader : public CClipFileTest
{
protected:
    // The receiver closes its file first, so that the file can be deleted.
    void TearDown() override
    {
        m_pReceiver.reset();
        CClipFileTest::TearDown();
    }

    // Size of the file on disk, or -1 when it does not exist.
    LONGLONG FileSize() const
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(m_strPath.c_str(), GetFileExInfoStandard, &data))
            return -1;
        return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }

    // Offers a stream announced as dwEnd bytes, starting with the given header and 4000
    // bytes of block or clip data in the same chunk; answers what the receiver said.
    BOOL Offer(DWORD dwEnd, DWORD offset, DWORD length)
    {
        m_pReceiver.reset(new CStreamFile(dwEnd));
        if (!Create(*m_pReceiver))
            return FALSE;
        std::vector<BYTE> chunk = MakeStreamHeader(offset, length);
        chunk.resize(chunk.size() + 4000, 0x5A);
        return m_pReceiver->Receive(chunk.data(), static_cast<DWORD>(chunk.size()));
    }

    // After a refusal: later chunks are refused too, nothing reached the file.
    void ExpectNothingWritten()
    {
        BYTE more[100] = {};
        EXPECT_TRUE(m_pReceiver->HasFailed());
        EXPECT_FALSE(m_pReceiver->Receive(more, sizeof(more)));
        EXPECT_FALSE(m_pReceiver->Finish());
        EXPECT_EQ(0, FileSize());
    }

    std::unique_ptr<CStreamFile> m_pReceiver;
};

TEST_F(HostileHeader, BlockLongerThanTheAnnouncedStreamIsRefused)
{
    EXPECT_FALSE(Offer(100000, 0, 100000 - 7));
    ExpectNothingWritten();
    EXPECT_FALSE(Offer(100000, 0, 0xFFFFFFFF));
    ExpectNothingWritten();
    EXPECT_FALSE(Offer(7, 0, 1)) << "stream announced shorter than its header";
    ExpectNothingWritten();
}

TEST_F(HostileHeader, BlockPlacedBeyondWhatTheClipDataCanFillIsRefused)
{
    // 100000 announced: 8 header, 5000 block, so the clip data fills offsets 0 .. 94991.
    EXPECT_FALSE(Offer(100000, 94993, 5000));
    ExpectNothingWritten();
    EXPECT_FALSE(Offer(100000, 0x7FFF0000, 5000)) << "gigabytes of padding";
    ExpectNothingWritten();
    EXPECT_FALSE(Offer(100000, 0xFFFFFFF0, 0x20)) << "offset plus length wrapping 32 bits";
    ExpectNothingWritten();
}

TEST_F(HostileHeader, BlockThatJustFitsIsAccepted)
{
    EXPECT_TRUE(Offer(100000, 94992, 5000));
    EXPECT_EQ(94992u + 4000u, m_pReceiver->GetLength());
    EXPECT_FALSE(m_pReceiver->HasFailed());
}

TEST_F(HostileHeader, OffsetThatCannotBePositionedEndsTheStream)
{
    EXPECT_FALSE(Offer(0xFFFFFFFF, 0x90000000, 16));
    ExpectNothingWritten();
}

// A server announcing 0x80000010 bytes and sending the header {0x7FFF0000, 16}: the block fits
// the announced stream, but the file may not reach out to where it belongs before the clip
// data comes near; it holds no more than what was delivered.
TEST_F(HostileHeader, LyingAnnouncedLengthCannotMakeTheFileGrowBeyondWhatArrived)
{
    EXPECT_TRUE(Offer(0x80000010, 0x7FFF0000, 16));
    EXPECT_TRUE(m_pReceiver->IsBlockHeld());
    EXPECT_EQ(4000u - 16u, m_pReceiver->GetLength()) << "the clip data only";
    std::vector<BYTE> more(100000, 0x33);
    EXPECT_TRUE(m_pReceiver->Receive(more.data(), static_cast<DWORD>(more.size())));
    EXPECT_EQ(4000u - 16u + 100000u, m_pReceiver->GetLength());
    EXPECT_LE(FileSize(), 8 + 4000 + 100000);
    EXPECT_FALSE(m_pReceiver->Finish()) << "the block never reached its place";
}

// Without an announced length any block is taken (a long clip's index may travel first), and
// none pads the file: one further out than the gap bound waits aside.
TEST_F(HostileHeader, UnannouncedLengthTakesEveryBlockButPadsNoFurtherThanTheBound)
{
    EXPECT_TRUE(Offer(0, 0x7FFF0000, 5000));
    EXPECT_TRUE(m_pReceiver->IsBlockHeld());
    EXPECT_EQ(0u, m_pReceiver->GetLength());
    EXPECT_TRUE(Offer(0, CStreamFile::kMaxGapAhead + 1, 5000));
    EXPECT_TRUE(m_pReceiver->IsBlockHeld());
    EXPECT_EQ(0u, m_pReceiver->GetLength());
    EXPECT_TRUE(Offer(0, 1000000, 5000)) << "a block within reach goes to its place at once";
    EXPECT_FALSE(m_pReceiver->IsBlockHeld());
    EXPECT_EQ(1004000u, m_pReceiver->GetLength());
}

TEST_F(HostileHeader, EmptyBlockNeedsNoPlaceAndIsNotPositioned)
{
    EXPECT_TRUE(Offer(5000, 0xFFFFFFFF, 0));
    EXPECT_EQ(4000u, m_pReceiver->GetLength());
}

TEST_F(HostileHeader, RefusalComesWithTheChunkThatCompletesASplitHeader)
{
    m_pReceiver.reset(new CStreamFile(1000));
    ASSERT_TRUE(Create(*m_pReceiver));
    std::vector<BYTE> header = MakeStreamHeader(0x40000000, 100);
    EXPECT_TRUE(m_pReceiver->Receive(header.data(), 5));
    EXPECT_FALSE(m_pReceiver->Receive(header.data() + 5, 3));
    ExpectNothingWritten();
}
}
