// Layout of a whole stream: the placed block goes to blockOffset first, then
// the clip data fills the clip from offset 0 and overwrites what it meets.
#include "stream_layout.h"

#include <algorithm>

namespace avs {

StreamLayout layStream(const StreamHeader& header, uint64_t streamLength) {
    StreamLayout layout;
    layout.header = header;
    layout.streamLength = streamLength;
    layout.blockEnd = uint64_t(header.blockOffset) + header.blockLength;
    const HeaderProblem problem =
        streamLength < kStreamHeaderSize ? HeaderProblem::StreamTooShort : headerProblem(header, streamLength);
    if (problem != HeaderProblem::None) {
        layout.problems.push_back(problem);
        return layout;
    }
    layout.clipDataLength = streamLength - kStreamHeaderSize - header.blockLength;
    layout.clipLength = std::max(header.blockLength ? layout.blockEnd : 0, layout.clipDataLength);
    if (header.blockLength && header.blockOffset < layout.clipDataLength)
        layout.overlapLength = std::min(layout.blockEnd, layout.clipDataLength) - header.blockOffset;
    return layout;
}

bool isAccepted(const StreamLayout& layout) { return layout.problems.empty(); }

namespace {

std::string countOf(uint64_t bytes) { return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes"); }

}  // namespace

std::string describeProblem(HeaderProblem problem, const StreamLayout& layout) {
    const uint64_t payload = layout.streamLength < kStreamHeaderSize ? 0 : layout.streamLength - kStreamHeaderSize;
    switch (problem) {
    case HeaderProblem::None:
        break;
    case HeaderProblem::StreamTooShort:
        return "the stream holds " + countOf(layout.streamLength) + ", fewer than its " +
               std::to_string(kStreamHeaderSize) + "-byte header";
    case HeaderProblem::BlockBeyondStream:
        return "the placed block announces " + countOf(layout.header.blockLength) + " but only " +
               std::to_string(payload) + " follow the header";
    case HeaderProblem::BlockBeyondClip:
        return "the placed block belongs at clip offset " + std::to_string(layout.header.blockOffset) +
               " but the stream fills only " + countOf(payload) + " of clip, so " + countOf(layout.blockEnd - payload) +
               " would be padding";
    case HeaderProblem::BlockOutOfReach:
        return "the placed block belongs at clip offset " + std::to_string(layout.header.blockOffset) +
               ", beyond the " + std::to_string(uint64_t(kMaxBlockOffset) + 1) + " bytes a clip file can reach";
    }
    return {};
}

}  // namespace avs
