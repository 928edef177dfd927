// The table of stream cases against the format library's reassembler: every chunking of every
// case is refused or taken as the table says and leaves the clip and completeness it names.
#include <gtest/gtest.h>

#include "memory_clip.h"
#include "stream_cases.h"
#include "stream_reassembler.h"

namespace {

using streamcases::StreamCase;

TEST(AvsStreamCases, TheReassemblerGivesEveryOutcomeOfTheTable) {
    for (const StreamCase& c : streamcases::streamCases()) {
        for (const std::vector<uint32_t>& chunking : c.chunkings) {
            const std::vector<uint32_t> chunks = streamcases::chunksOf(c, chunking);
            const std::string what = streamcases::describe(c, chunks);
            MemoryClip clip;
            avs::StreamReassembler reassembler(clip, c.announced, c.gapBound ? c.gapBound : avs::kMaxGapAhead);
            const std::size_t refusedAt = c.taken ? chunks.size() : streamcases::headerChunkOf(chunks);
            std::size_t at = 0;
            for (std::size_t i = 0; i < chunks.size(); ++i) {
                const avs::FeedResult expected = i < refusedAt ? avs::FeedResult::Taken : avs::FeedResult::Refused;
                ASSERT_EQ(reassembler.feed(c.stream.data() + at, chunks[i]), expected) << what << ": chunk " << i;
                at += chunks[i];
            }
            if (!c.taken) {
                const uint8_t more = 0;
                EXPECT_EQ(reassembler.feed(&more, 1), avs::FeedResult::Refused) << what;
                EXPECT_EQ(clip.calls, 0) << what << ": nothing is written";
            }
            EXPECT_EQ(reassembler.bytesReceived(), c.stream.size()) << what;
            EXPECT_TRUE(clip.bytes == c.clip)
                << what << ": " << clip.bytes.size() << " bytes, expected " << c.clip.size();
            EXPECT_EQ(reassembler.isComplete(), c.complete) << what;
        }
    }
}

}  // namespace
