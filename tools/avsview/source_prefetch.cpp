// The fetch thread of one source: open, then read blocks while there is room
// ahead of the deliveries; the end is complete only at the announced length.
#include "source_prefetch.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace avsview {

namespace {

const std::size_t kReadBlock = 16 * 1024;
// How long stop() waits for a cancelled call to return.
const std::chrono::milliseconds kStopWait(2000);

}  // namespace

SourcePrefetch::SourcePrefetch(std::unique_ptr<ByteSource> source, std::size_t readAhead)
    : m_fetch(std::make_shared<Fetch>()) {
    m_fetch->source = std::move(source);
    m_fetch->readAhead = std::max<std::size_t>(readAhead, kReadBlock);
}

SourcePrefetch::~SourcePrefetch() { stop(); }

void SourcePrefetch::start() { m_thread = std::thread(&SourcePrefetch::run, m_fetch); }

void SourcePrefetch::stop() {
    std::unique_lock<std::mutex> lock(m_fetch->mutex);
    m_fetch->stoppedEarly = m_fetch->stoppedEarly || !m_fetch->ended;
    m_fetch->stopping = true;
    m_fetch->ended = true;
    m_fetch->changed.notify_all();
    if (!m_thread.joinable()) return;
    lock.unlock();
    m_fetch->source->cancel();
    lock.lock();
    const bool done = m_fetch->changed.wait_for(lock, kStopWait, [this] { return m_fetch->threadDone; });
    lock.unlock();
    if (done)
        m_thread.join();
    else
        m_thread.detach();
}

void SourcePrefetch::run(std::shared_ptr<Fetch> fetch) {
    std::string error;
    const bool opened = fetch->source->open(error);
    std::vector<uint8_t> block;
    {
        std::lock_guard<std::mutex> lock(fetch->mutex);
        if (!fetch->stopping) {
            fetch->state = opened ? State::Open : State::Failed;
            if (!opened) {
                fetch->error = error;
                fetch->ended = true;
            }
        }
    }
    if (opened) {
        while (fetchSome(*fetch, block)) {
        }
    }
    std::lock_guard<std::mutex> lock(fetch->mutex);
    fetch->threadDone = true;
    fetch->changed.notify_all();
}

// Waits for room, reads one block and queues it; false once the fetch is over.
bool SourcePrefetch::fetchSome(Fetch& fetch, std::vector<uint8_t>& block) {
    {
        std::unique_lock<std::mutex> lock(fetch.mutex);
        fetch.changed.wait(lock, [&fetch] { return fetch.stopping || fetch.buffered < fetch.readAhead; });
        if (fetch.stopping) return false;
    }
    block.resize(kReadBlock);
    std::size_t got = 0;
    std::string error;
    if (!fetch.source->read(block.data(), block.size(), got, error)) {
        finish(fetch, error);
        return false;
    }
    if (got == 0) {
        finish(fetch, std::string());
        return false;
    }
    block.resize(got);
    std::lock_guard<std::mutex> lock(fetch.mutex);
    if (fetch.stopping) return false;
    fetch.fetched += got;
    fetch.buffered += got;
    fetch.blocks.push_back(std::move(block));
    block = std::vector<uint8_t>();
    return true;
}

void SourcePrefetch::finish(Fetch& fetch, const std::string& error) {
    std::lock_guard<std::mutex> lock(fetch.mutex);
    if (fetch.stopping) return;
    fetch.ended = true;
    if (!error.empty())
        fetch.error = error;
    else if (fetch.source->lengthKnown() && fetch.fetched < fetch.source->length())
        fetch.error = "the source ended after " + std::to_string(fetch.fetched) + " of the " +
                      std::to_string(fetch.source->length()) + " bytes it announced";
}

SourcePrefetch::State SourcePrefetch::state() const {
    std::lock_guard<std::mutex> lock(m_fetch->mutex);
    return m_fetch->state;
}

std::string SourcePrefetch::error() const {
    std::lock_guard<std::mutex> lock(m_fetch->mutex);
    return m_fetch->error;
}

std::size_t SourcePrefetch::take(uint8_t* out, std::size_t capacity) {
    Fetch& fetch = *m_fetch;
    std::size_t taken = 0;
    {
        std::lock_guard<std::mutex> lock(fetch.mutex);
        while (taken < capacity && !fetch.blocks.empty()) {
            const std::vector<uint8_t>& front = fetch.blocks.front();
            const std::size_t count = std::min(capacity - taken, front.size() - fetch.frontTaken);
            std::memcpy(out + taken, front.data() + fetch.frontTaken, count);
            taken += count;
            fetch.frontTaken += count;
            if (fetch.frontTaken == front.size()) {
                fetch.blocks.pop_front();
                fetch.frontTaken = 0;
            }
        }
        fetch.buffered -= taken;
    }
    if (taken > 0) fetch.changed.notify_all();
    return taken;
}

std::size_t SourcePrefetch::buffered() const {
    std::lock_guard<std::mutex> lock(m_fetch->mutex);
    return m_fetch->buffered;
}

bool SourcePrefetch::drained() const {
    std::lock_guard<std::mutex> lock(m_fetch->mutex);
    return m_fetch->ended && m_fetch->buffered == 0;
}

bool SourcePrefetch::complete() const {
    std::lock_guard<std::mutex> lock(m_fetch->mutex);
    return m_fetch->ended && !m_fetch->stoppedEarly && m_fetch->state == State::Open && m_fetch->error.empty();
}

}  // namespace avsview
