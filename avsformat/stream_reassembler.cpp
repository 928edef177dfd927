// Chunk-by-chunk placement of a stream: the header (collected across chunks if
// need be) names the block's position; the block's bytes are written there, or
// held aside while it lies too far beyond the clip data; then the position
// returns to 0 for the clip data, which places a held block once it comes
// close enough. A header that is not taken ends the stream before a single
// byte is written.
#include "stream_reassembler.h"

#include <algorithm>

#include "stream_acceptance.h"
#include "stream_completeness.h"

namespace avs {

StreamReassembler::StreamReassembler(ClipWriter& writer, uint64_t announcedLength, uint32_t gapBound)
    : m_writer(writer), m_announcedLength(announcedLength), m_gapBound(gapBound) {}

FeedResult StreamReassembler::feed(const uint8_t* data, std::size_t length) {
    if (m_state != State::Refused && m_state != State::Failed) m_bytesReceived += length;
    while (length > 0 && m_state != State::Refused && m_state != State::Failed) {
        std::size_t used = 0;
        switch (m_state) {
        case State::Header:
            used = takeHeader(data, length);
            break;
        case State::Block:
            used = placeBlock(data, length);
            break;
        default:
            used = placeClipData(data, length);
            break;
        }
        data += used;
        length -= used;
    }
    if (m_state == State::Refused) return FeedResult::Refused;
    if (m_state == State::Failed) return FeedResult::WriteFailed;
    return FeedResult::Taken;
}

void StreamReassembler::setAnnouncedLength(uint64_t announcedLength) {
    m_announcedLength = announcedLength;
    if ((m_state == State::Block || m_state == State::ClipData) && !acceptsHeader(m_header, announcedLength))
        m_state = State::Refused;
}

StreamEnd StreamReassembler::streamEnd(bool endedNormally, uint64_t riffLength) const {
    StreamEnd end;
    end.header = m_header;
    end.blockInPlace = blockInPlace();
    end.bytesReceived = m_bytesReceived;
    end.announcedLength = m_announcedLength;
    end.endedNormally = endedNormally;
    end.gaplessLength = gaplessClipLength(m_header, end.blockInPlace, m_clipWritten);
    end.riffLength = riffLength;
    return end;
}

bool StreamReassembler::isComplete() const {
    return isCompleteStream(m_state == State::ClipData && !m_blockHeld, m_bytesReceived, m_announcedLength);
}

std::size_t StreamReassembler::takeHeader(const uint8_t* data, std::size_t length) {
    const std::size_t used = std::min(length, kStreamHeaderSize - m_headerFill);
    std::copy(data, data + used, m_headerBytes + m_headerFill);
    m_headerFill += used;
    if (m_headerFill < kStreamHeaderSize) return used;

    m_header = decodeStreamHeader(m_headerBytes);
    if (!acceptsHeader(m_header, m_announcedLength)) {
        m_state = State::Refused;
        return used;
    }
    m_blockRemaining = m_header.blockLength;
    if (m_blockRemaining == 0) {
        startClipData();
        return used;
    }
    m_state = State::Block;
    m_blockHeld = !mayPlaceBlock(m_header, m_clipWritten, m_gapBound);
    if (!m_blockHeld && !m_writer.seekTo(m_header.blockOffset)) m_state = State::Failed;
    return used;
}

std::size_t StreamReassembler::placeBlock(const uint8_t* data, std::size_t length) {
    const std::size_t used = std::size_t(std::min<uint64_t>(length, m_blockRemaining));
    const uint64_t at = m_header.blockOffset + (m_header.blockLength - m_blockRemaining);
    if (!(m_blockHeld ? m_writer.holdBlock(at, data, used) : m_writer.write(data, used))) {
        m_state = State::Failed;
        return used;
    }
    m_blockRemaining -= used;
    if (m_blockRemaining == 0) startClipData();
    return used;
}

// Clip data that brings the clip data close enough to a held block stops at
// its placement point: the block goes to its place, and the rest follows.
std::size_t StreamReassembler::placeClipData(const uint8_t* data, std::size_t length) {
    const bool placeNow = m_blockHeld && mayPlaceBlock(m_header, m_clipWritten + length, m_gapBound);
    const std::size_t used = placeNow ? std::size_t(blockPlacementPoint(m_header, m_gapBound) - m_clipWritten) : length;
    if (used != 0 && !m_writer.write(data, used)) {
        m_state = State::Failed;
        return length;
    }
    m_clipWritten += used;
    if (placeNow && !placeHeldBlock()) m_state = State::Failed;
    return used;
}

bool StreamReassembler::placeHeldBlock() {
    m_blockHeld = false;
    return m_writer.seekTo(m_header.blockOffset) && m_writer.writeHeldBlock() && m_writer.seekTo(m_clipWritten);
}

void StreamReassembler::startClipData() { m_state = m_writer.seekTo(0) ? State::ClipData : State::Failed; }

}  // namespace avs
