// Rebuilds a clip from a stream delivered in chunks of any size, by the
// format's rules and in the same order of positioned writes as the plug-in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "clip_writer.h"
#include "stream_completeness.h"
#include "stream_header.h"
#include "stream_placement.h"

namespace avs {

enum class FeedResult {
    Taken,        // the chunk was placed (or buffered while the header is incomplete)
    Refused,      // the header describes a stream that is not taken
    WriteFailed,  // the writer failed; the stream is abandoned
};

class StreamReassembler {
public:
    // announcedLength: the length of the whole stream, header included, as the
    // sender announced it (0 = not known); gapBound: see kMaxGapAhead.
    StreamReassembler(ClipWriter& writer, uint64_t announcedLength, uint32_t gapBound = kMaxGapAhead);

    // Places one chunk. After Refused or WriteFailed every later chunk gets the same answer.
    FeedResult feed(const uint8_t* data, std::size_t length);
    // The sender learned or corrected the stream's length (0 = not known): a header already
    // taken is judged again, and the next chunk is Refused when it no longer fits.
    void setAnnouncedLength(uint64_t announcedLength);

    bool headerComplete() const { return m_state != State::Header; }
    const StreamHeader& header() const { return m_header; }  // once headerComplete()
    uint64_t bytesReceived() const { return m_bytesReceived; }
    // True while the placed block waits aside for the clip data to come close enough.
    bool blockHeld() const { return m_blockHeld; }
    // True once the stream went past its placed block with the block in its place (and
    // nothing was refused or failed): clip data goes from offset 0 on.
    bool blockInPlace() const { return m_state == State::ClipData && !m_blockHeld; }
    // Clip data bytes written from offset 0 on.
    uint64_t clipWritten() const { return m_clipWritten; }
    // Whether what was fed so far is a complete clip.
    bool isComplete() const;
    // What is known of the stream at its end, for isCompleteStream(const StreamEnd&): the
    // sender's report (endedNormally) and the clip's RIFF length (riffFileLength) added.
    StreamEnd streamEnd(bool endedNormally, uint64_t riffLength) const;

private:
    enum class State {
        Header,
        Block,
        ClipData,
        Refused,
        Failed
    };

    std::size_t takeHeader(const uint8_t* data, std::size_t length);
    std::size_t placeBlock(const uint8_t* data, std::size_t length);
    std::size_t placeClipData(const uint8_t* data, std::size_t length);
    bool placeHeldBlock();
    void startClipData();

    ClipWriter& m_writer;                           // where the clip goes
    uint64_t m_announcedLength;                     // announced stream length, 0 = not known
    uint32_t m_gapBound;                            // how far the clip may reach beyond the clip data
    uint8_t m_headerBytes[kStreamHeaderSize] = {};  // header bytes collected so far
    std::size_t m_headerFill = 0;                   // how many of them
    StreamHeader m_header;                          // decoded once complete
    uint64_t m_blockRemaining = 0;                  // bytes of the placed block still to come
    bool m_blockHeld = false;                       // the block is kept aside, not yet in its place
    uint64_t m_clipWritten = 0;                     // clip data bytes written from offset 0 on
    uint64_t m_bytesReceived = 0;                   // stream bytes taken, header included
    State m_state = State::Header;                  // what the next stream byte is
};

}  // namespace avs
