// The check walks the rebuilt clip's RIFF header and the chunks at the top of
// its first form, as avspack checks an AVI it packs. A clip byte comes from the
// clip data where that reaches, else from the placed block, else it is a gap
// (zero).
#include "clip_check.h"

#include <algorithm>
#include <cstring>

#include "bytes.h"
#include "riff.h"

namespace avspack {

namespace {

constexpr uint64_t kRiffHeaderSize = 12;
constexpr int kMaxTopChunks = 100000;  // an AVI has a handful; more is no AVI layout

class ClipReader {
public:
    ClipReader(kit::File& stream, const avs::StreamLayout& layout) : m_stream(stream), m_layout(layout) {}

    // Reads clip bytes offset .. offset + length - 1 (within the clip).
    bool read(uint64_t offset, uint8_t* data, uint64_t length) {
        const uint64_t blockStart = avs::kStreamHeaderSize;
        const uint64_t clipStart = blockStart + m_layout.header.blockLength;
        while (length > 0) {
            uint64_t run = length;
            uint64_t from = 0;
            bool gap = false;
            if (offset < m_layout.clipDataLength) {
                run = std::min(run, m_layout.clipDataLength - offset);
                from = clipStart + offset;
            } else if (offset >= m_layout.header.blockOffset && offset < m_layout.blockEnd) {
                run = std::min(run, m_layout.blockEnd - offset);
                from = blockStart + offset - m_layout.header.blockOffset;
            } else {
                gap = true;
                if (offset < m_layout.header.blockOffset) run = std::min(run, m_layout.header.blockOffset - offset);
            }
            if (gap)
                std::memset(data, 0, std::size_t(run));
            else if (!m_stream.seekTo(from) || !m_stream.readExactly(data, std::size_t(run)))
                return false;
            offset += run;
            data += run;
            length -= run;
        }
        return true;
    }

private:
    kit::File& m_stream;
    const avs::StreamLayout& m_layout;
};

std::string quoted(const uint8_t* code) { return "'" + kit::fourccText(reinterpret_cast<const char*>(code)) + "'"; }

// Walks the chunks of the form from offset 12 to riffEnd.
ClipVerdict checkChunks(ClipReader& clip, uint64_t riffEnd, std::string& problem) {
    uint64_t at = kRiffHeaderSize;
    for (int count = 0; at + 8 <= riffEnd; ++count) {
        uint8_t head[8];
        if (!clip.read(at, head, sizeof head)) return ClipVerdict::ReadFailed;
        const uint64_t size = kit::readLe32(head + 4);
        const uint64_t end = at + 8 + size;
        if (end > riffEnd) {
            problem = "its chunk " + quoted(head) + " at clip offset " + std::to_string(at) + " runs to " +
                      std::to_string(end) + ", past the end of its RIFF form at " + std::to_string(riffEnd);
            return ClipVerdict::NotAvi;
        }
        if (count == kMaxTopChunks) {
            problem = "its RIFF form holds more than " + std::to_string(kMaxTopChunks) + " chunks, no AVI layout";
            return ClipVerdict::NotAvi;
        }
        at = end + (size & 1);
    }
    return ClipVerdict::Avi;
}

}  // namespace

ClipVerdict checkRebuiltClip(kit::File& stream, const avs::StreamLayout& layout, std::string& problem) {
    if (layout.clipLength < kRiffHeaderSize) {
        problem = "the rebuilt clip has " + std::to_string(layout.clipLength) + " bytes, fewer than a RIFF header";
        return ClipVerdict::NotAvi;
    }
    ClipReader clip(stream, layout);
    uint8_t header[kRiffHeaderSize];
    if (!clip.read(0, header, sizeof header)) return ClipVerdict::ReadFailed;
    if (std::memcmp(header, "RIFF", 4) != 0) {
        problem = "the rebuilt clip is not an AVI: it begins with " + quoted(header) + ", not 'RIFF'";
        return ClipVerdict::NotAvi;
    }
    if (std::memcmp(header + 8, "AVI ", 4) != 0) {
        problem = "the rebuilt clip is not an AVI: its RIFF form is " + quoted(header + 8) + ", not 'AVI '";
        return ClipVerdict::NotAvi;
    }
    const uint64_t riffEnd = 8 + uint64_t(kit::readLe32(header + 4));
    if (riffEnd > layout.clipLength) {
        problem = "the rebuilt clip's sizes disagree: its RIFF header announces " + std::to_string(riffEnd) +
                  " bytes, the clip has " + std::to_string(layout.clipLength);
        return ClipVerdict::NotAvi;
    }
    const ClipVerdict verdict = checkChunks(clip, riffEnd, problem);
    if (verdict == ClipVerdict::NotAvi) problem = "the rebuilt clip's sizes disagree: " + problem;
    return verdict;
}

bool isAviFile(kit::File& file) {
    uint8_t header[kRiffHeaderSize];
    return file.seekTo(0) && file.readExactly(header, sizeof header) && std::memcmp(header, "RIFF", 4) == 0 &&
           std::memcmp(header + 8, "AVI ", 4) == 0;
}

}  // namespace avspack
