// In-memory clip: a byte vector grown by positioned writes, the ranges written
// so far, and the placed block kept aside until the reassembler places it.
#include "clip_memory.h"

#include <algorithm>
#include <cstring>

namespace player {

bool ClipMemory::seekTo(uint64_t offset) {
    if (offset > m_limit) return false;
    m_position = offset;
    return true;
}

bool ClipMemory::write(const uint8_t* data, std::size_t length) {
    if (length == 0) return true;
    if (length > m_limit - m_position) return false;
    const uint64_t end = m_position + length;
    if (end > m_bytes.size()) m_bytes.resize(std::size_t(end));
    std::memcpy(m_bytes.data() + m_position, data, length);
    markArrived(m_position, end);
    m_position = end;
    return true;
}

bool ClipMemory::holdBlock(uint64_t clipOffset, const uint8_t* data, std::size_t length) {
    if (m_held.empty()) m_heldAt = clipOffset;
    if (clipOffset > m_limit || length > m_limit - clipOffset) return false;
    m_held.insert(m_held.end(), data, data + length);
    return true;
}

bool ClipMemory::writeHeldBlock() {
    std::vector<uint8_t> held;
    held.swap(m_held);
    return write(held.data(), held.size());
}

void ClipMemory::markArrived(uint64_t begin, uint64_t end) {
    Range merged{begin, end};
    std::vector<Range> kept;
    for (const Range& range : m_arrived) {
        if (range.end < merged.begin || range.begin > merged.end) {
            kept.push_back(range);
        } else {
            merged.begin = std::min(merged.begin, range.begin);
            merged.end = std::max(merged.end, range.end);
        }
    }
    kept.insert(std::upper_bound(kept.begin(), kept.end(), merged,
                                 [](const Range& a, const Range& b) { return a.begin < b.begin; }),
                merged);
    m_arrived.swap(kept);
}

const ClipMemory::Range* ClipMemory::rangeAt(uint64_t offset) const {
    for (const Range& range : m_arrived) {
        if (offset >= range.begin && offset < range.end) return &range;
    }
    return nullptr;
}

const uint8_t* ClipMemory::bytesAt(uint64_t offset, uint64_t length) const {
    if (!m_held.empty() && offset >= m_heldAt && offset - m_heldAt <= m_held.size() &&
        length <= m_held.size() - (offset - m_heldAt))
        return m_held.data() + (offset - m_heldAt);
    const Range* range = rangeAt(offset);
    if (range == nullptr) return length == 0 ? m_bytes.data() : nullptr;
    return length <= range->end - offset ? m_bytes.data() + offset : nullptr;
}

bool ClipMemory::hasArrived(uint64_t begin, uint64_t end) const {
    return end >= begin && bytesAt(begin, end - begin) != nullptr;
}

std::size_t ClipMemory::readAt(uint64_t offset, void* data, std::size_t length) {
    uint64_t available = 0;
    if (!m_held.empty() && offset >= m_heldAt && offset - m_heldAt < m_held.size()) {
        available = m_held.size() - (offset - m_heldAt);
    } else if (const Range* range = rangeAt(offset)) {
        available = range->end - offset;
    }
    const std::size_t got = std::size_t(std::min<uint64_t>(available, length));
    if (got != 0) std::memcpy(data, bytesAt(offset, got), got);
    return got;
}

}  // namespace player
