// The simulated link of --rate: a token bucket that lets a chunk go once the
// link could have carried it, shared by every stream of the page.
#pragma once

#include <cstdint>

namespace avsview {

class LinkPacer {
public:
    // bytesPerSecond 0: unlimited. burst: the most bytes an idle link saves up
    // (at least the largest chunk, or that chunk could never go).
    LinkPacer(uint32_t bytesPerSecond, uint32_t burst);

    bool unlimited() const { return m_rate == 0; }
    // True when a chunk of bytes may go at nowMs (milliseconds, any fixed origin,
    // wrapping like GetTickCount); the chunk is then charged to the link.
    bool tryCarry(uint32_t nowMs, uint32_t bytes);
    // Gives back the part of a carried chunk that the receiver did not take.
    void refund(uint32_t bytes);

private:
    void refill(uint32_t nowMs);

    uint32_t m_rate;         // bytes per second, 0 = unlimited
    uint64_t m_capacity;     // burst, in thousandths of a byte
    uint64_t m_saved = 0;    // capacity saved up so far, in thousandths of a byte
    uint32_t m_lastMs = 0;   // time of the last refill
    bool m_started = false;  // m_lastMs is set
};

}  // namespace avsview
