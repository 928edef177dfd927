// The rules that extend progressive playback, where the player tests do not reach them:
// the tick counter's wrap, a clock of its own per stream, and the playable estimate.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StreamFile.h"
#include "StreamRig.h"

namespace {
class ReleaseRules : public CClipFileTest
{
protected:
    // A receiver of a stream announced as dwEnd bytes with a placed block of
    // blockLength bytes, after nReceived bytes (header included) have arrived.
    void Receive(CStreamFile& receiver, DWORD blockLength, DWORD nReceived)
    {
        ASSERT_TRUE(Create(receiver));
        std::vector<BYTE> bytes(nReceived, 0);
        bytes[4] = static_cast<BYTE>(blockLength);
        bytes[5] = static_cast<BYTE>(blockLength >> 8);
        bytes[6] = static_cast<BYTE>(blockLength >> 16);
        ASSERT_TRUE(receiver.Receive(bytes.data(), nReceived));
    }
};

TEST_F(ReleaseRules, TickCounterWrapIsHarmless)
{
    CStreamFile receiver(100000);
    receiver.IsExtensionDue(0xFFFFF000, 500);
    EXPECT_FALSE(receiver.IsExtensionDue(0xFFFFF000 + 14999, 500));
    EXPECT_TRUE(receiver.IsExtensionDue(0xFFFFF000 + 15000, 500));
}

TEST_F(ReleaseRules, EachStreamKeepsItsOwnClock)
{
    CStreamFile first(100000), second(100000);
    first.IsExtensionDue(1000, 500);
    EXPECT_FALSE(second.IsExtensionDue(20000, 500)) << "the second stream's clock starts now";
    EXPECT_TRUE(first.IsExtensionDue(20000, 500));
    EXPECT_FALSE(second.IsExtensionDue(34999, 500));
}

TEST_F(ReleaseRules, EstimateIsTheDownloadedShareOfTheClipLength)
{
    // Block 2000; announced 102000: the share is (received - 2000) / 100000.
    CStreamFile receiver(102000);
    Receive(receiver, 2000, 2000 + 35000);
    EXPECT_EQ(700u, receiver.PlayableEstimate(2000));
    EXPECT_EQ(349u, receiver.PlayableEstimate(999)) << "truncated toward zero (349.65)";
    EXPECT_EQ(0u, receiver.PlayableEstimate(0));
}

TEST_F(ReleaseRules, EstimateIsZeroWhenNoClipDataIsExpected)
{
    // Only an unannounced stream with an empty block gets there (0 - 0 bytes expected).
    CStreamFile receiver(0);
    Receive(receiver, 0, 1000);
    EXPECT_EQ(0u, receiver.PlayableEstimate(3000));
}

}  // namespace
