// Rebuilds a clip from a packed stream delivered in chunks of any size, in
// the same order of positioned writes as the plug-in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "clip_writer.h"
#include "stream_header.h"
#include "stream_layout.h"

namespace avs {

enum class FeedResult {
    Taken,        // the chunk was placed (or buffered while the header is incomplete)
    Refused,      // the header describes a stream the plug-in will not rebuild
    WriteFailed,  // the writer failed; the stream is abandoned
};

class StreamReassembler {
public:
    // streamLength: the announced length of the whole stream, header included.
    StreamReassembler(ClipWriter& writer, uint64_t streamLength);

    // Places one chunk. After Refused or WriteFailed every later chunk gets the same answer.
    FeedResult feed(const uint8_t* data, std::size_t length);

    bool headerComplete() const { return m_state != State::Header; }
    const StreamLayout& layout() const { return m_layout; }  // once headerComplete()
    uint64_t bytesReceived() const { return m_bytesReceived; }

private:
    enum class State { Header, Block, ClipData, Refused, Failed };

    std::size_t takeHeader(const uint8_t* data, std::size_t length);
    std::size_t placeBlock(const uint8_t* data, std::size_t length);
    std::size_t placeClipData(const uint8_t* data, std::size_t length);
    void startClipData();

    ClipWriter& m_writer;                       // where the clip goes
    uint64_t m_streamLength;                    // announced stream length
    uint8_t m_header[kStreamHeaderSize] = {};   // header bytes collected so far
    std::size_t m_headerFill = 0;               // how many of them
    StreamLayout m_layout;                      // laid out once the header is complete
    uint64_t m_blockRemaining = 0;              // bytes of the placed block still to come
    uint64_t m_bytesReceived = 0;               // stream bytes taken, header included
    State m_state = State::Header;              // what the next stream byte is
};

}  // namespace avs
