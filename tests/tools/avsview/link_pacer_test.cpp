// The simulated link: chunks go once the link could have carried them.
#include <gtest/gtest.h>

#include "link_pacer.h"

using avsview::LinkPacer;

TEST(AvsviewLinkPacer, UnlimitedCarriesEverything) {
    LinkPacer link(0, 8192);
    EXPECT_TRUE(link.unlimited());
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(link.tryCarry(0, 1 << 20));
}

TEST(AvsviewLinkPacer, ChunksAtTheRate) {
    LinkPacer link(1000, 100);               // 1000 B/s: a 100-byte chunk every 100 ms
    EXPECT_FALSE(link.tryCarry(5000, 100));  // an idle link starts empty
    EXPECT_FALSE(link.tryCarry(5099, 100));
    EXPECT_TRUE(link.tryCarry(5100, 100));
    EXPECT_FALSE(link.tryCarry(5150, 100));
    EXPECT_TRUE(link.tryCarry(5150, 50));  // a smaller last chunk goes sooner
    EXPECT_FALSE(link.tryCarry(5200, 100));
    EXPECT_TRUE(link.tryCarry(5250, 100));
}

TEST(AvsviewLinkPacer, IdleLinkSavesOnlyTheBurst) {
    LinkPacer link(1000, 100);
    link.tryCarry(0, 100);
    EXPECT_TRUE(link.tryCarry(60000, 100));
    EXPECT_FALSE(link.tryCarry(60000, 1));
}

TEST(AvsviewLinkPacer, RefundOfWhatWasNotTaken) {
    LinkPacer link(1000, 100);
    link.tryCarry(0, 100);
    ASSERT_TRUE(link.tryCarry(100, 100));
    link.refund(60);
    EXPECT_TRUE(link.tryCarry(100, 60));
    EXPECT_FALSE(link.tryCarry(100, 1));
}

TEST(AvsviewLinkPacer, TickCounterWrap) {
    LinkPacer link(10000, 1000);
    link.tryCarry(0xFFFFFFF0u, 1000);
    EXPECT_FALSE(link.tryCarry(0x00000040u, 1000));  // 80 ms later: 800 bytes
    EXPECT_TRUE(link.tryCarry(0x00000054u, 1000));   // 100 ms later
}
