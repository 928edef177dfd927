// The fetch thread of one source: open, then read blocks while there is room
// ahead of the deliveries; the end is complete only at the announced length.
#include "source_prefetch.h"

#include <algorithm>
#include <cstring>

namespace avsview {

namespace {

const std::size_t kReadBlock = 16 * 1024;

}  // namespace

SourcePrefetch::SourcePrefetch(std::unique_ptr<ByteSource> source, std::size_t readAhead)
    : m_source(std::move(source)), m_readAhead(std::max<std::size_t>(readAhead, kReadBlock)) {}

SourcePrefetch::~SourcePrefetch() { stop(); }

void SourcePrefetch::start() { m_thread = std::thread(&SourcePrefetch::run, this); }

void SourcePrefetch::stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stoppedEarly = m_stoppedEarly || !m_ended;
        m_stopping = true;
    }
    m_roomFreed.notify_all();
    m_source->cancel();
    if (m_thread.joinable())
        m_thread.join();
}

void SourcePrefetch::run() {
    std::string error;
    const bool opened = m_source->open(error);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state = opened ? State::Open : State::Failed;
        if (!opened) {
            m_error = error;
            m_ended = true;
            return;
        }
    }
    std::vector<uint8_t> block;
    while (fetchSome(block)) {
    }
}

// Waits for room, reads one block and queues it; false once the fetch is over.
bool SourcePrefetch::fetchSome(std::vector<uint8_t>& block) {
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_roomFreed.wait(lock, [this] { return m_stopping || m_buffered < m_readAhead; });
        if (m_stopping) {
            m_ended = true;
            return false;
        }
    }
    block.resize(kReadBlock);
    std::size_t got = 0;
    std::string error;
    if (!m_source->read(block.data(), block.size(), got, error)) {
        finish(error);
        return false;
    }
    if (got == 0) {
        finish(std::string());
        return false;
    }
    block.resize(got);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fetched += got;
    m_buffered += got;
    m_blocks.push_back(std::move(block));
    block = std::vector<uint8_t>();
    return true;
}

void SourcePrefetch::finish(const std::string& error) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
    if (m_stopping)
        return;
    if (!error.empty())
        m_error = error;
    else if (m_source->lengthKnown() && m_fetched < m_source->length())
        m_error = "the source ended after " + std::to_string(m_fetched) + " of the " +
                  std::to_string(m_source->length()) + " bytes it announced";
}

SourcePrefetch::State SourcePrefetch::state() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

std::string SourcePrefetch::error() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

std::size_t SourcePrefetch::take(uint8_t* out, std::size_t capacity) {
    std::size_t taken = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        while (taken < capacity && !m_blocks.empty()) {
            const std::vector<uint8_t>& front = m_blocks.front();
            const std::size_t count = std::min(capacity - taken, front.size() - m_frontTaken);
            std::memcpy(out + taken, front.data() + m_frontTaken, count);
            taken += count;
            m_frontTaken += count;
            if (m_frontTaken == front.size()) {
                m_blocks.pop_front();
                m_frontTaken = 0;
            }
        }
        m_buffered -= taken;
    }
    if (taken > 0)
        m_roomFreed.notify_all();
    return taken;
}

std::size_t SourcePrefetch::buffered() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_buffered;
}

bool SourcePrefetch::drained() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ended && m_buffered == 0;
}

bool SourcePrefetch::complete() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ended && !m_stoppedEarly && m_state == State::Open && m_error.empty();
}

}  // namespace avsview
