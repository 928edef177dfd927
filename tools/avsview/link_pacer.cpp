// Token bucket of the simulated link. Capacity accrues at the rate from the
// first request on (an idle link starts empty, as a real one delivers the first
// bytes only after their transfer time) and is kept in thousandths of a byte,
// so that any rate is exact at any tick length.
#include "link_pacer.h"

#include <algorithm>

namespace avsview {

LinkPacer::LinkPacer(uint32_t bytesPerSecond, uint32_t burst)
    : m_rate(bytesPerSecond), m_capacity(uint64_t(std::max<uint32_t>(burst, 1)) * 1000) {}

void LinkPacer::refill(uint32_t nowMs) {
    if (!m_started) {
        m_started = true;
        m_lastMs = nowMs;
        return;
    }
    const uint32_t elapsed = nowMs - m_lastMs;
    m_lastMs = nowMs;
    m_saved = std::min(m_capacity, m_saved + uint64_t(elapsed) * m_rate);
}

bool LinkPacer::tryCarry(uint32_t nowMs, uint32_t bytes) {
    if (unlimited()) return true;
    refill(nowMs);
    const uint64_t cost = std::min(uint64_t(bytes) * 1000, m_capacity);
    if (m_saved < cost) return false;
    m_saved -= cost;
    return true;
}

void LinkPacer::refund(uint32_t bytes) {
    if (!unlimited()) m_saved = std::min(m_capacity, m_saved + uint64_t(bytes) * 1000);
}

}  // namespace avsview
