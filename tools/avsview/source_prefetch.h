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
    // Ends the fetch (cancelling a blocked read) and waits for the thread.
    void stop();

    State state() const;
    const ByteSource& source() const { return *m_source; }  // its length etc. once Open
    // Why opening failed, or why the source ended before its announced length.
    std::string error() const;

    // Moves up to capacity fetched bytes into out without waiting; the count taken.
    std::size_t take(uint8_t* out, std::size_t capacity);
    std::size_t buffered() const;
    // The fetch is over and every fetched byte has been taken.
    bool drained() const;
    // The source ended as it should: no read error, and the announced length reached.
    bool complete() const;

private:
    void run();
    bool fetchSome(std::vector<uint8_t>& block);
    void finish(const std::string& error);

    std::unique_ptr<ByteSource> m_source;   // the file or URL
    const std::size_t m_readAhead;          // limit of m_blocks' total size
    mutable std::mutex m_mutex;             // guards everything below
    std::condition_variable m_roomFreed;    // signalled when bytes were taken or stop() was called
    std::deque<std::vector<uint8_t>> m_blocks;  // fetched bytes not yet taken, in order
    std::size_t m_frontTaken = 0;           // bytes of m_blocks.front() already taken
    std::size_t m_buffered = 0;             // bytes in m_blocks not yet taken
    uint64_t m_fetched = 0;                 // bytes read from the source so far
    State m_state = State::Opening;         // see state()
    bool m_ended = false;                   // the fetch is over (end, failure or stop)
    bool m_stopping = false;                // stop() was called
    bool m_stoppedEarly = false;            // ... before the fetch was over
    std::string m_error;                    // see error()
    std::thread m_thread;                   // runs run()
};

}  // namespace avsview
