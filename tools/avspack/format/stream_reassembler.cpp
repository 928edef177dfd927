// Chunk-by-chunk placement of a packed stream: the header (collected across
// chunks if need be) names the block's position; the block's bytes are written
// there, then the position returns to 0 for the clip data (an empty block
// goes straight to the clip data). A header the
// layout refuses ends the stream before a single byte is written.
#include "stream_reassembler.h"

#include <algorithm>

namespace avs {

StreamReassembler::StreamReassembler(ClipWriter& writer, uint64_t streamLength)
    : m_writer(writer), m_streamLength(streamLength) {}

FeedResult StreamReassembler::feed(const uint8_t* data, std::size_t length) {
    while (length > 0) {
        std::size_t used = 0;
        switch (m_state) {
        case State::Header: used = takeHeader(data, length); break;
        case State::Block: used = placeBlock(data, length); break;
        case State::ClipData: used = placeClipData(data, length); break;
        case State::Refused: return FeedResult::Refused;
        case State::Failed: return FeedResult::WriteFailed;
        }
        m_bytesReceived += used;
        data += used;
        length -= used;
    }
    if (m_state == State::Refused) return FeedResult::Refused;
    if (m_state == State::Failed) return FeedResult::WriteFailed;
    return FeedResult::Taken;
}

std::size_t StreamReassembler::takeHeader(const uint8_t* data, std::size_t length) {
    const std::size_t used = std::min(length, kStreamHeaderSize - m_headerFill);
    std::copy(data, data + used, m_header + m_headerFill);
    m_headerFill += used;
    if (m_headerFill < kStreamHeaderSize) return used;

    if (m_streamLength < kStreamHeaderSize) {
        m_state = State::Refused;
        return used;
    }
    m_layout = layStream(decodeStreamHeader(m_header), m_streamLength);
    if (!isAccepted(m_layout)) {
        m_state = State::Refused;
        return used;
    }
    m_blockRemaining = m_layout.header.blockLength;
    if (m_blockRemaining == 0) {
        startClipData();
    } else {
        m_state = m_writer.seekTo(m_layout.header.blockOffset) ? State::Block : State::Failed;
    }
    return used;
}

std::size_t StreamReassembler::placeBlock(const uint8_t* data, std::size_t length) {
    const std::size_t used = std::size_t(std::min<uint64_t>(length, m_blockRemaining));
    if (!m_writer.write(data, used)) {
        m_state = State::Failed;
        return used;
    }
    m_blockRemaining -= used;
    if (m_blockRemaining == 0) startClipData();
    return used;
}

std::size_t StreamReassembler::placeClipData(const uint8_t* data, std::size_t length) {
    if (!m_writer.write(data, length)) m_state = State::Failed;
    return length;
}

void StreamReassembler::startClipData() {
    m_state = m_writer.seekTo(0) ? State::ClipData : State::Failed;
}

}  // namespace avs
