// URLs, embed attributes, per-element file names and the page layout.
#include <gtest/gtest.h>

#include "page_layout.h"
#include "page_naming.h"

using namespace avsview;

TEST(AvsviewNaming, StreamUrlOfFilesAndUrls) {
    EXPECT_EQ(streamUrl("clips\\clip.avs", ""), "http://localhost/clip.avs");
    EXPECT_EQ(streamUrl("/tmp/my clip+1.avs", ""), "http://localhost/my%20clip%2B1.avs");
    EXPECT_EQ(streamUrl("Z:clip.avs", ""), "http://localhost/clip.avs");
    EXPECT_EQ(streamUrl("http://h:81/a/b.avs", ""), "http://h:81/a/b.avs");
    EXPECT_EQ(streamUrl("clip.avs", "file:///C:/clip.avs"), "file:///C:/clip.avs");
}

TEST(AvsviewNaming, EmbedAttributesInTagOrder) {
    typedef std::vector<std::pair<std::string, std::string>> Attributes;
    EXPECT_EQ(embedAttributes("http://h/c.avs", 160, 120, ""),
              (Attributes{{"src", "http://h/c.avs"}, {"type", "video/avs"}, {"width", "160"}, {"height", "120"}}));
    const Attributes withAutostart = embedAttributes("u", 1, 2, "False");
    ASSERT_EQ(withAutostart.size(), 5u);
    EXPECT_EQ(withAutostart.back(), (std::pair<std::string, std::string>{"autostart", "False"}));
}

TEST(AvsviewNaming, ElementPathsNumberedOnlyForSeveralElements) {
    EXPECT_EQ(elementPath("C:\\out\\copy.avi", 1, 1), "C:\\out\\copy.avi");
    EXPECT_EQ(elementPath("C:\\out\\copy.avi", 3, 4), "C:\\out\\copy-3.avi");
    EXPECT_EQ(elementPath("C:\\out.d\\copy", 2, 2), "C:\\out.d\\copy-2");
    EXPECT_EQ(elementPath("shot.tar.png", 10, 12), "shot.tar-10.png");
}

TEST(AvsviewLayout, GridOfEmbedsAndFullPage) {
    const PageLayout four = layOutPage(4, 100, 50, false);
    EXPECT_EQ(four.client.cx, 8 + 2 * 108);
    EXPECT_EQ(four.client.cy, 8 + 2 * 58);
    ASSERT_EQ(four.areas.size(), 4u);
    EXPECT_EQ(four.areas[1].left, 116);
    EXPECT_EQ(four.areas[1].top, 8);
    EXPECT_EQ(four.areas[2].left, 8);
    EXPECT_EQ(four.areas[2].top, 66);
    EXPECT_EQ(four.areas[3].right - four.areas[3].left, 100);
    EXPECT_EQ(layOutPage(3, 10, 10, false).client.cx, layOutPage(4, 10, 10, false).client.cx);
    EXPECT_EQ(layOutPage(5, 10, 10, false).areas[4].left, 8 + 18);

    const PageLayout full = layOutPage(1, 320, 240, true);
    EXPECT_EQ(full.client.cx, 320);
    EXPECT_EQ(full.areas[0].left, 0);
    EXPECT_EQ(full.areas[0].bottom, 240);
}
