// Fetching ahead on a thread: whole files, sources that end early or fail,
// the read-ahead limit, and a stop while a read is blocked.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <fstream>

#include "file_source.h"
#include "source_prefetch.h"

using avsview::ByteSource;
using avsview::FileSource;
using avsview::SourcePrefetch;

namespace {

// Announces a length and hands out bytes of value 7 up to a limit, then ends
// or fails; with block set, a read waits until cancel().
class ScriptedSource : public ByteSource {
public:
    ScriptedSource(uint64_t announced, uint64_t supplied, bool failAtEnd, bool block = false)
        : m_supplied(supplied), m_failAtEnd(failAtEnd), m_block(block) {
        m_lengthKnown = announced > 0;
        m_length = announced;
        m_cancelled = CreateEventA(NULL, TRUE, FALSE, NULL);
    }
    ~ScriptedSource() override { CloseHandle(m_cancelled); }

    bool open(std::string&) override { return true; }
    bool read(uint8_t* buffer, std::size_t capacity, std::size_t& got, std::string& error) override {
        if (m_block) {
            WaitForSingleObject(m_cancelled, INFINITE);
            error = "cancelled";
            return false;
        }
        got = std::size_t(std::min<uint64_t>(capacity, m_supplied - m_given));
        std::fill(buffer, buffer + got, 7);
        m_given += got;
        reads++;
        if (got == 0 && m_failAtEnd) {
            error = "connection reset";
            return false;
        }
        return true;
    }
    void cancel() override { SetEvent(m_cancelled); }

    std::atomic<int> reads{0};

private:
    uint64_t m_supplied, m_given = 0;
    bool m_failAtEnd, m_block;
    HANDLE m_cancelled;
};

// Opening blocks until release is set, whatever cancel() does (a call the
// system cannot cancel); then it fails.
class UncancellableSource : public ByteSource {
public:
    explicit UncancellableSource(HANDLE release) : m_release(release) {}
    bool open(std::string& error) override {
        WaitForSingleObject(m_release, INFINITE);
        error = "released";
        return false;
    }
    bool read(uint8_t*, std::size_t, std::size_t&, std::string&) override { return false; }

private:
    HANDLE m_release;
};

// Takes everything until the fetch is over (bounded by a timeout).
std::vector<uint8_t> drain(SourcePrefetch& prefetch) {
    std::vector<uint8_t> all;
    uint8_t buffer[5000];
    const DWORD start = GetTickCount();
    while (!prefetch.drained() && GetTickCount() - start < 10000) {
        const std::size_t got = prefetch.take(buffer, sizeof(buffer));
        all.insert(all.end(), buffer, buffer + got);
        if (got == 0) Sleep(1);
    }
    return all;
}

}  // namespace

TEST(AvsviewSourcePrefetch, WholeFileInOrder) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "avsview_prefetch_test.avs";
    std::vector<uint8_t> content(100000);
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = uint8_t(i * 31 + i / 256);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(content.data()), content.size());

    SourcePrefetch prefetch(std::unique_ptr<ByteSource>(new FileSource(path)), 20000);
    prefetch.start();
    EXPECT_EQ(drain(prefetch), content);
    EXPECT_EQ(prefetch.state(), SourcePrefetch::State::Open);
    EXPECT_TRUE(prefetch.source().lengthKnown());
    EXPECT_EQ(prefetch.source().length(), content.size());
    EXPECT_NE(prefetch.source().lastModified(), 0u);
    EXPECT_TRUE(prefetch.complete());
    EXPECT_TRUE(prefetch.error().empty());
    prefetch.stop();
    EXPECT_TRUE(prefetch.complete());  // a stop after the end changes nothing
    DeleteFileA(path.c_str());
}

TEST(AvsviewSourcePrefetch, MissingFileFailsToOpen) {
    SourcePrefetch prefetch(std::unique_ptr<ByteSource>(new FileSource("no-such-clip.avs")), 20000);
    prefetch.start();
    drain(prefetch);
    EXPECT_EQ(prefetch.state(), SourcePrefetch::State::Failed);
    EXPECT_NE(prefetch.error().find("cannot open no-such-clip.avs"), std::string::npos);
    EXPECT_FALSE(prefetch.complete());
}

TEST(AvsviewSourcePrefetch, EndBeforeTheAnnouncedLengthIsIncomplete) {
    SourcePrefetch prefetch(std::unique_ptr<ByteSource>(new ScriptedSource(100, 60, false)), 20000);
    prefetch.start();
    EXPECT_EQ(drain(prefetch).size(), 60u);
    EXPECT_FALSE(prefetch.complete());
    EXPECT_EQ(prefetch.error(), "the source ended after 60 of the 100 bytes it announced");
}

TEST(AvsviewSourcePrefetch, UnknownLengthEndsCompleteAtItsEnd) {
    SourcePrefetch prefetch(std::unique_ptr<ByteSource>(new ScriptedSource(0, 70000, false)), 20000);
    prefetch.start();
    EXPECT_EQ(drain(prefetch).size(), 70000u);
    EXPECT_TRUE(prefetch.complete());
}

TEST(AvsviewSourcePrefetch, ReadErrorIsReported) {
    SourcePrefetch prefetch(std::unique_ptr<ByteSource>(new ScriptedSource(0, 10, true)), 20000);
    prefetch.start();
    EXPECT_EQ(drain(prefetch).size(), 10u);
    EXPECT_FALSE(prefetch.complete());
    EXPECT_EQ(prefetch.error(), "connection reset");
}

TEST(AvsviewSourcePrefetch, ReadsNoFurtherAheadThanAllowed) {
    ScriptedSource* source = new ScriptedSource(0, 1 << 30, false);
    SourcePrefetch prefetch(std::unique_ptr<ByteSource>(source), 40000);
    prefetch.start();
    Sleep(300);
    EXPECT_LT(prefetch.buffered(), 40000u + 16384u);
    const int readsWhileFull = source->reads;
    Sleep(100);
    EXPECT_EQ(source->reads, readsWhileFull);
    uint8_t buffer[30000];
    EXPECT_EQ(prefetch.take(buffer, sizeof(buffer)), sizeof(buffer));
    Sleep(300);
    EXPECT_GT(source->reads, readsWhileFull);
    prefetch.stop();
    EXPECT_FALSE(prefetch.complete());
}

TEST(AvsviewSourcePrefetch, StopEndsABlockedRead) {
    SourcePrefetch prefetch(std::unique_ptr<ByteSource>(new ScriptedSource(100, 100, false, true)), 20000);
    prefetch.start();
    Sleep(50);
    const DWORD start = GetTickCount();
    prefetch.stop();
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_TRUE(prefetch.drained());
    EXPECT_FALSE(prefetch.complete());
}

TEST(AvsviewSourcePrefetch, StopLeavesAnUncancellableCallBehindInBoundedTime) {
    HANDLE release = CreateEventA(NULL, TRUE, FALSE, NULL);
    {
        SourcePrefetch prefetch(std::unique_ptr<ByteSource>(new UncancellableSource(release)), 20000);
        prefetch.start();
        const DWORD start = GetTickCount();
        prefetch.stop();
        EXPECT_LT(GetTickCount() - start, 5000u);
        EXPECT_TRUE(prefetch.drained());
        EXPECT_FALSE(prefetch.complete());
        EXPECT_EQ(prefetch.state(), SourcePrefetch::State::Opening);
    }
    SetEvent(release);  // the thread left behind ends on its own
    Sleep(200);
    CloseHandle(release);
}
