// Reassembly of a stream into the clip file: the header and the placed block in every
// chunking, the clip data from offset 0, the byte counter and the start threshold, which the bytes
// received reach whatever chunk brings them.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "StreamFile.h"
#include "StreamRig.h"
#include "stream_placement.h"

namespace {
class StreamReassembly : public CClipFileTest
{
protected:
    Bytes ReadFile() const { return ReadFileBytes(m_strPath); }

    // Feeds the stream in chunks of the given sizes (the last one takes the rest).
    void Feed(CStreamFile& receiver, const Bytes& stream, const std::vector<DWORD>& sizes,
              std::vector<BOOL>* pPlayable = NULL)
    {
        size_t pos = 0;
        for (size_t i = 0; pos < stream.size(); i++)
        {
            DWORD n = i < sizes.size() ? sizes[i] : static_cast<DWORD>(stream.size() - pos);
            ASSERT_TRUE(receiver.Receive(&stream[pos], n)) << "chunk " << i;
            if (pPlayable != NULL)
                pPlayable->push_back(receiver.IsPlayable());
            pos += n;
        }
    }
};

TEST_F(StreamReassembly, BlockAndClipDataOfTheFirstChunkLandWhereTheyBelong)
{
    Bytes clip = randomBytes(1005000, 1);
    Bytes stream = MakeClipStream(clip, 1000000);
    CStreamFile receiver(static_cast<DWORD>(stream.size()));
    ASSERT_TRUE(Create(receiver));
    EXPECT_EQ(avs::kUnknownStartBytes, receiver.GetStartBytes());

    ASSERT_TRUE(receiver.Receive(&stream[0], 8 + 5000 + 3000));
    EXPECT_FALSE(receiver.IsPlayable());
    EXPECT_EQ(8008u, receiver.GetBytesReceived());
    EXPECT_EQ(15000u, receiver.GetStartBytes());
    EXPECT_EQ(1005000u, receiver.GetLength());
    Bytes file = ReadFile();
    ASSERT_EQ(1005000u, file.size());
    EXPECT_TRUE(std::equal(clip.begin() + 1000000, clip.end(), file.begin() + 1000000));
    EXPECT_TRUE(std::equal(clip.begin(), clip.begin() + 3000, file.begin()));

    ASSERT_TRUE(receiver.Receive(&stream[8008], static_cast<DWORD>(stream.size() - 8008)));
    EXPECT_TRUE(receiver.IsPlayable());
    EXPECT_TRUE(receiver.Finish(TRUE));
    EXPECT_EQ(clip, ReadFile());
}

TEST_F(StreamReassembly, BlockEndingWithTheFirstChunkSendsTheNextChunkToOffsetZero)
{
    Bytes clip = randomBytes(1005000, 2);
    Bytes stream = MakeClipStream(clip, 1000000);
    CStreamFile receiver(static_cast<DWORD>(stream.size()));
    ASSERT_TRUE(Create(receiver));
    std::vector<BOOL> playable;
    Feed(receiver, stream, {5008, 4000}, &playable);
    EXPECT_EQ((std::vector<BOOL>{FALSE, FALSE, TRUE}), playable);
    EXPECT_TRUE(receiver.Finish(TRUE));
    EXPECT_EQ(clip, ReadFile());
}

TEST_F(StreamReassembly, BlockSpreadOverChunksGoesOnInsideTheBlockAndSplitsTheLastOne)
{
    Bytes clip = randomBytes(45000, 3);
    Bytes stream = MakeClipStream(clip, 40000);
    CStreamFile receiver(static_cast<DWORD>(stream.size()));
    ASSERT_TRUE(Create(receiver));
    std::vector<BOOL> playable;
    Feed(receiver, stream, {8 + 1000, 1000, 1000, 1000, 1000 + 500, 7000}, &playable);
    // 12508 bytes after the sixth chunk, the threshold 15000 inside the last one.
    EXPECT_EQ((std::vector<BOOL>{FALSE, FALSE, FALSE, FALSE, FALSE, FALSE, TRUE}), playable);
    EXPECT_TRUE(receiver.Finish(TRUE));
    EXPECT_EQ(clip, ReadFile());
}

TEST_F(StreamReassembly, EmptyBlockPutsEveryByteAfterTheHeaderFromOffsetZero)
{
    Bytes clip = randomBytes(30000, 4);
    Bytes stream = MakeClipStream(clip, static_cast<DWORD>(clip.size()));
    CStreamFile receiver(static_cast<DWORD>(stream.size()));
    ASSERT_TRUE(Create(receiver));
    ASSERT_TRUE(receiver.Receive(&stream[0], 8));
    EXPECT_EQ(10000u, receiver.GetStartBytes());
    ASSERT_TRUE(receiver.Receive(&stream[8], 9000));
    EXPECT_FALSE(receiver.IsPlayable());
    ASSERT_TRUE(receiver.Receive(&stream[9008], 991));
    EXPECT_FALSE(receiver.IsPlayable());
    ASSERT_TRUE(receiver.Receive(&stream[9999], 1));
    EXPECT_TRUE(receiver.IsPlayable());
    Feed(receiver, Bytes(stream.begin() + 10000, stream.end()), {});
    EXPECT_TRUE(receiver.Finish(TRUE));
    EXPECT_EQ(clip, ReadFile());
}

TEST_F(StreamReassembly, HeaderSplitOverChunksIsCollectedFirst)
{
    Bytes clip = randomBytes(20000, 5);
    Bytes stream = MakeClipStream(clip, 15000);
    CStreamFile receiver(static_cast<DWORD>(stream.size()));
    ASSERT_TRUE(Create(receiver));
    std::vector<BOOL> playable;
    Feed(receiver, stream, {1, 2, 3, 2 + 4999, 1 + 100}, &playable);
    EXPECT_EQ((std::vector<BOOL>{FALSE, FALSE, FALSE, FALSE, FALSE, TRUE}), playable);
    EXPECT_EQ(15000u, receiver.GetStartBytes());
    EXPECT_TRUE(receiver.Finish(TRUE));
    EXPECT_EQ(clip, ReadFile());
}

// Streams received at the same time keep their own state: each file is its own clip.
TEST_F(StreamReassembly, InterleavedStreamsDoNotDisturbEachOther)
{
    Bytes clipA = randomBytes(50000, 20), clipB = randomBytes(70000, 21);
    Bytes streamA = MakeClipStream(clipA, 45000), streamB = MakeClipStream(clipB, 60000);
    std::string strPathB = m_strPath + ".b.avi";
    CStreamFile a(static_cast<DWORD>(streamA.size())), b(static_cast<DWORD>(streamB.size()));
    ASSERT_TRUE(Create(a));
    ASSERT_TRUE(CreateFresh(b, strPathB));
    for (size_t pos = 0; pos < streamB.size(); pos += 1000)
    {
        if (pos < streamA.size())
        {
            ASSERT_TRUE(a.Receive(&streamA[pos], static_cast<DWORD>(std::min<size_t>(1000, streamA.size() - pos))));
        }
        ASSERT_TRUE(b.Receive(&streamB[pos], static_cast<DWORD>(std::min<size_t>(1000, streamB.size() - pos))));
    }
    EXPECT_EQ(15000u, a.GetStartBytes());
    EXPECT_EQ(20000u, b.GetStartBytes());
    EXPECT_TRUE(a.Finish(TRUE));
    EXPECT_TRUE(b.Finish(TRUE));
    EXPECT_EQ(clipA, ReadFile());
    EXPECT_EQ(clipB, ReadFileBytes(strPathB));
    DeleteFileA(strPathB.c_str());
}

// (Which streams are complete is the table's, stream_cases_test.)
TEST_F(StreamReassembly, FileClosedEarlyRefusesTheStreamAndIsNoClip)
{
    Bytes stream = MakeClipStream(randomBytes(12000, 30), 11000);
    CStreamFile receiver(static_cast<DWORD>(stream.size()));
    ASSERT_TRUE(Create(receiver));
    receiver.CloseFile();
    EXPECT_FALSE(receiver.Receive(&stream[0], static_cast<DWORD>(stream.size())));
    EXPECT_FALSE(receiver.Finish(TRUE));
}

// The length the browser announces may come or change while the stream runs: completeness
// goes by the value at the end.
TEST_F(StreamReassembly, CompletenessGoesByTheLengthKnownAtTheEnd)
{
    Bytes clip = randomBytes(20000, 31);
    Bytes stream = MakeClipStream(clip, 19000);
    CStreamFile receiver(0);
    ASSERT_TRUE(Create(receiver));
    ASSERT_TRUE(receiver.Receive(stream.data(), static_cast<DWORD>(stream.size())));
    receiver.SetStreamEnd(static_cast<DWORD>(stream.size()));
    EXPECT_TRUE(receiver.Finish(TRUE));
    EXPECT_EQ(clip, ReadFile());
}

// Clips as avspack packs them, with a gap bound small enough to test: the index (the file's
// tail) first, and a range from the middle followed by the whole file. A block further out
// than the bound waits aside; the file never reaches beyond the clip data written plus the
// bound, the block lands before any clip data can reach it, and every chunking, with the
// length announced or not, rebuilds the clip byte for byte.
TEST_F(StreamReassembly, BlockBeyondTheGapBoundWaitsAsideAndLandsInPlace)
{
    const DWORD GAP = 40000;
    Bytes clip = randomBytes(300000, 32);
    Bytes indexFirst = MakeClipStream(clip, 250000);
    Bytes rangeFirst = MakeStreamHeader(200000, 30000);
    rangeFirst.insert(rangeFirst.end(), clip.begin() + 200000, clip.begin() + 230000);
    rangeFirst.insert(rangeFirst.end(), clip.begin(), clip.end());
    std::mt19937 gen(33);
    for (const Bytes* pStream : {&indexFirst, &rangeFirst})
    {
        const Bytes& stream = *pStream;
        DWORD blockLength = stream[4] | stream[5] << 8 | stream[6] << 16;
        DWORD blockOffset = stream[0] | stream[1] << 8 | stream[2] << 16;
        for (DWORD dwEnd : {static_cast<DWORD>(stream.size()), static_cast<DWORD>(0)})
        {
            for (DWORD maxChunk : {997u, 65536u})
            {
                CStreamFile receiver(dwEnd, GAP);
                ASSERT_TRUE(Create(receiver));
                DWORD nExpectedStart = 8 + blockLength + blockOffset - GAP;
                size_t pos = 0;
                while (pos < stream.size())
                {
                    DWORD n = std::uniform_int_distribution<DWORD>(1, maxChunk)(gen);
                    n = static_cast<DWORD>(std::min<size_t>(n, stream.size() - pos));
                    ASSERT_TRUE(receiver.Receive(&stream[pos], n));
                    pos += n;
                    if (pos < 8)
                        continue;
                    EXPECT_EQ(nExpectedStart, receiver.GetStartBytes()) << "playback waits for the block";
                    DWORD nClipData = pos > 8 + blockLength ? static_cast<DWORD>(pos - 8 - blockLength) : 0;
                    bool bPlaced = nClipData >= blockOffset - GAP;
                    ASSERT_EQ(!bPlaced, receiver.IsBlockHeld() != FALSE) << "at stream offset " << pos;
                    DWORD nLength = receiver.GetLength();
                    if (!bPlaced)
                        EXPECT_EQ(nClipData, nLength);
                    else
                        EXPECT_EQ(std::max(nClipData, blockOffset + blockLength), nLength);
                }
                EXPECT_EQ(dwEnd != 0, receiver.Finish(TRUE) != FALSE) << "announced " << dwEnd;
                EXPECT_TRUE(clip == ReadFile())
                    << "block at " << blockOffset << ", announced " << dwEnd << ", chunks up to " << maxChunk;
            }
        }
    }
}

// A placed block far out waits aside from the first chunk on: the file holds only the clip data
// that arrived. A server announcing 0x80000010 bytes and sending {0x7FFF0000, 16}, and blocks of
// unannounced streams beyond the gap bound; one within reach goes to its place at once.
TEST_F(StreamReassembly, FarBlockWaitsAsideAndTheFileHoldsOnlyWhatArrived)
{
    struct Case
    {
        DWORD dwEnd, offset, length;
        bool bHeld;
        DWORD nLength;  // file length after the first chunk (header and 4000 bytes)
    };
    const Case cases[] = {
        {0x80000010, 0x7FFF0000, 16, true, 4000 - 16},
        {0, 0x7FFF0000, 5000, true, 0},
        {0, CStreamFile::kMaxGapAhead + 1, 5000, true, 0},
        {0, 1000000, 5000, false, 1004000},
    };
    for (const Case& c : cases)
    {
        CStreamFile receiver(c.dwEnd);
        ASSERT_TRUE(Create(receiver));
        Bytes chunk = MakeStreamHeader(c.offset, c.length);
        chunk.resize(chunk.size() + 4000, 0x5A);
        ASSERT_TRUE(receiver.Receive(chunk.data(), static_cast<DWORD>(chunk.size()))) << c.offset;
        EXPECT_EQ(c.bHeld, receiver.IsBlockHeld() != FALSE) << c.offset;
        EXPECT_EQ(c.nLength, receiver.GetLength()) << c.offset;
        if (c.length != 16)
            continue;
        Bytes more(100000, 0x33);
        ASSERT_TRUE(receiver.Receive(more.data(), static_cast<DWORD>(more.size())));
        EXPECT_EQ(4000u - 16u + 100000u, receiver.GetLength());
        EXPECT_FALSE(receiver.Finish(TRUE)) << "the block never reached its place";
        EXPECT_LE(ReadFile().size(), 8u + 4000u + 100000u);
    }
}
}  // namespace
