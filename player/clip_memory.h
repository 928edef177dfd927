// The clip rebuilt in memory from a stream: the positioned writes of the
// reassembler land here, and reads see only the bytes that have arrived.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "clip_writer.h"
#include "random_access.h"

namespace player {

// Largest clip kept in memory; a stream that reaches further is refused.
constexpr uint64_t kMaxClipBytes = 512u * 1024 * 1024;

class ClipMemory : public avs::ClipWriter, public kit::RandomAccessBytes {
public:
    explicit ClipMemory(uint64_t limit = kMaxClipBytes) : m_limit(limit) {}

    bool seekTo(uint64_t offset) override;
    bool write(const uint8_t* data, std::size_t length) override;
    bool holdBlock(uint64_t clipOffset, const uint8_t* data, std::size_t length) override;
    bool writeHeldBlock() override;

    // Reads arrived bytes from offset on; stops at the first byte not yet arrived.
    std::size_t readAt(uint64_t offset, void* data, std::size_t length) override;
    bool failed() const override { return false; }
    uint64_t limit() const { return m_limit; }

    // True when every byte of [begin, end) has arrived (also while held aside).
    bool hasArrived(uint64_t begin, uint64_t end) const;
    // The clip file as far as written; bytes not yet arrived read as zero.
    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    // The arrived bytes at [offset, offset + length), or null when not all have arrived.
    const uint8_t* bytesAt(uint64_t offset, uint64_t length) const;

private:
    struct Range {
        uint64_t begin;
        uint64_t end;
    };

    void markArrived(uint64_t begin, uint64_t end);
    // Arrived range holding offset, or null.
    const Range* rangeAt(uint64_t offset) const;

    uint64_t m_limit;              // farthest clip offset kept
    std::vector<uint8_t> m_bytes;  // the clip, as far as written
    std::vector<Range> m_arrived;  // written ranges of m_bytes, sorted and disjoint
    uint64_t m_position = 0;       // write position
    uint64_t m_heldAt = 0;         // clip offset of the held block's first byte
    std::vector<uint8_t> m_held;   // bytes of the placed block kept aside
};

}  // namespace player
