// The NPAPI stream calls the page makes, against a scripted plug-in.
#include <gtest/gtest.h>

#include <cstring>

#include "stream_delivery.h"

using avsview::StreamDelivery;

namespace {

// What the scripted plug-in answers and what it was given.
struct Script {
    NPError newStreamAnswer = NPERR_NO_ERROR;
    uint16_t streamType = NP_NORMAL;
    int32_t ready = 0x0FFFFFFF;
    int32_t takeAtMost = 0x7FFFFFFF;
    bool refuse = false;
    std::string mimeType, url;
    uint32_t end = 0, lastModified = 0;
    std::vector<std::pair<int32_t, int32_t>> writes;  // offset, length
    std::string received;
    std::vector<NPReason> destroyed;
} g_script;

NPError newStream(NPP, NPMIMEType type, NPStream* stream, NPBool, uint16_t* stype) {
    g_script.mimeType = type;
    g_script.url = stream->url;
    g_script.end = stream->end;
    g_script.lastModified = stream->lastmodified;
    *stype = g_script.streamType;
    return g_script.newStreamAnswer;
}

int32_t writeReady(NPP, NPStream*) { return g_script.ready; }

int32_t write(NPP, NPStream*, int32_t offset, int32_t len, void* buffer) {
    g_script.writes.emplace_back(offset, len);
    if (g_script.refuse) return -1;
    const int32_t taken = std::min(len, g_script.takeAtMost);
    g_script.received.append(static_cast<const char*>(buffer), taken);
    return taken;
}

NPError destroyStream(NPP, NPStream*, NPReason reason) {
    g_script.destroyed.push_back(reason);
    return NPERR_NO_ERROR;
}

class AvsviewStreamDelivery : public testing::Test {
protected:
    void SetUp() override {
        g_script = Script();
        m_funcs.newstream = newStream;
        m_funcs.writeready = writeReady;
        m_funcs.write = write;
        m_funcs.destroystream = destroyStream;
    }

    int32_t offer(StreamDelivery& delivery, const char* text) {
        return delivery.write(reinterpret_cast<const uint8_t*>(text), uint32_t(std::strlen(text)));
    }

    NPPluginFuncs m_funcs = {};
    NPP_t m_npp = {};
};

}  // namespace

TEST_F(AvsviewStreamDelivery, NewStreamCarriesTypeUrlLengthAndTime) {
    StreamDelivery delivery(m_funcs, &m_npp);
    EXPECT_EQ(delivery.begin("http://localhost/clip.avs", 1234, 99), NPERR_NO_ERROR);
    EXPECT_EQ(delivery.state(), StreamDelivery::State::Open);
    EXPECT_EQ(g_script.mimeType, "video/avs");
    EXPECT_EQ(g_script.url, "http://localhost/clip.avs");
    EXPECT_EQ(g_script.end, 1234u);
    EXPECT_EQ(g_script.lastModified, 99u);
}

TEST_F(AvsviewStreamDelivery, ChunksAtStreamOffsetsCutToWriteReady) {
    StreamDelivery delivery(m_funcs, &m_npp);
    delivery.begin("u", 0, 0);
    g_script.ready = 4;
    EXPECT_EQ(offer(delivery, "abcdefg"), 4);
    g_script.ready = 0;
    EXPECT_EQ(offer(delivery, "efg"), 0);  // not ready: no write at all
    g_script.ready = 100;
    g_script.takeAtMost = 2;
    EXPECT_EQ(offer(delivery, "efg"), 2);  // taken only in part
    g_script.takeAtMost = 100;
    EXPECT_EQ(offer(delivery, "g"), 1);
    EXPECT_EQ(g_script.writes, (std::vector<std::pair<int32_t, int32_t>>{{0, 4}, {4, 3}, {6, 1}}));
    EXPECT_EQ(g_script.received, "abcdefg");
    EXPECT_EQ(delivery.delivered(), 7u);
    delivery.end(NPRES_DONE);
    delivery.end(NPRES_USER_BREAK);
    EXPECT_EQ(g_script.destroyed, std::vector<NPReason>{NPRES_DONE});
    EXPECT_EQ(offer(delivery, "h"), -1);
    EXPECT_EQ(g_script.writes.size(), 3u);
}

TEST_F(AvsviewStreamDelivery, NegativeWriteEndsTheStreamAsANetworkError) {
    StreamDelivery delivery(m_funcs, &m_npp);
    delivery.begin("u", 10, 0);
    EXPECT_EQ(offer(delivery, "ab"), 2);
    g_script.refuse = true;
    EXPECT_EQ(offer(delivery, "cd"), -1);
    EXPECT_TRUE(delivery.endedByPlugin());
    EXPECT_EQ(delivery.state(), StreamDelivery::State::Ended);
    EXPECT_EQ(delivery.reason(), NPRES_NETWORK_ERR);
    EXPECT_EQ(g_script.destroyed, std::vector<NPReason>{NPRES_NETWORK_ERR});
    EXPECT_EQ(delivery.delivered(), 2u);
}

TEST_F(AvsviewStreamDelivery, DeclinedStreamGetsNoWritesAndNoDestroy) {
    g_script.newStreamAnswer = NPERR_GENERIC_ERROR;
    g_script.streamType = NP_ASFILEONLY;
    StreamDelivery delivery(m_funcs, &m_npp);
    EXPECT_EQ(delivery.begin("u", 10, 0), NPERR_GENERIC_ERROR);
    EXPECT_EQ(delivery.state(), StreamDelivery::State::Declined);
    EXPECT_EQ(delivery.streamType(), NP_ASFILEONLY);
    EXPECT_EQ(offer(delivery, "ab"), -1);
    delivery.end(NPRES_DONE);
    EXPECT_TRUE(g_script.writes.empty());
    EXPECT_TRUE(g_script.destroyed.empty());
}
