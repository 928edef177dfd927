// Fetches one source on a thread of its own, ahead of the page's deliveries,
// so that a slow or stalled connection never blocks the window thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "byte_source.h"

namespace avsview {

class SourcePrefetch {
public:
    enum class State {
        Opening,  // the source is being opened
        Open,     // open: length and modification time are known; bytes arrive
        Failed,   // the source could not be opened
    };

    // readAhead: how many fetched bytes may wait for delivery.
    SourcePrefetch(std::unique_ptr<ByteSource> source, std::size_t readAhead);
    ~SourcePrefetch();

    void start();
    // Ends the fetch: cancels a blocked call and waits a little for the thread.
    // A thread still blocked then (a call the system cannot cancel) is left to
    // finish by itself; it keeps what it uses alive and touches nothing else.
    void stop();

    State state() const;
    const ByteSource& source() const { return *m_fetch->source; }  // its length etc. once Open
    // Why opening failed, or why the source ended before its announced length.
    std::string error() const;

    // Moves up to capacity fetched bytes into out without waiting; the count taken.
    std::size_t take(uint8_t* out, std::size_t capacity);
    std::size_t buffered() const;
    // The fetch is over (or stopped) and every fetched byte has been taken.
    bool drained() const;
    // The source ended as it should: no read error, and the announced length reached.
    bool complete() const;

private:
    // Everything the fetch thread uses, shared with it.
    struct Fetch {
        std::unique_ptr<ByteSource> source;       // the file or URL
        std::size_t readAhead = 0;                // limit of blocks' total size
        std::mutex mutex;                         // guards everything below
        std::condition_variable changed;          // bytes taken, stop requested, or thread done
        std::deque<std::vector<uint8_t>> blocks;  // fetched bytes not yet taken, in order
        std::size_t frontTaken = 0;               // bytes of blocks.front() already taken
        std::size_t buffered = 0;                 // bytes in blocks not yet taken
        uint64_t fetched = 0;                     // bytes read from the source so far
        State state = State::Opening;             // see state()
        bool ended = false;                       // the fetch is over (end, failure or stop)
        bool stopping = false;                    // stop() was called
        bool stoppedEarly = false;                // ... before the fetch was over
        bool threadDone = false;                  // the thread has returned
        std::string error;                        // see error()
    };

    static void run(std::shared_ptr<Fetch> fetch);
    static bool fetchSome(Fetch& fetch, std::vector<uint8_t>& block);
    static void finish(Fetch& fetch, const std::string& error);

    std::shared_ptr<Fetch> m_fetch;  // shared with the thread
    std::thread m_thread;            // runs run()
};

}  // namespace avsview
