// Layout of a packed stream: the placed block goes to blockOffset first, then
// the clip data fills the clip from offset 0 and overwrites what it meets.
// A stream is refused when its block cannot come from the stream itself or
// when the clip would need bytes that no part of the stream supplies.
#include "stream_layout.h"

#include <algorithm>

namespace avs {

StreamLayout layStream(const StreamHeader& header, uint64_t streamLength) {
    StreamLayout layout;
    layout.header = header;
    layout.streamLength = streamLength;
    layout.blockEnd = uint64_t(header.blockOffset) + header.blockLength;

    const uint64_t payload = streamLength - kStreamHeaderSize;
    if (header.blockLength > payload) {
        layout.problems.push_back(LayoutProblem::BlockBeyondStream);
        return layout;
    }
    layout.clipDataLength = payload - header.blockLength;
    if (header.blockLength && layout.blockEnd > payload) {
        // Equivalent to blockOffset > clipDataLength: a hole between the end
        // of the clip data and the block. An empty block writes nothing, so
        // its offset does not matter.
        layout.problems.push_back(LayoutProblem::BlockBeyondClip);
        return layout;
    }
    layout.clipLength = std::max(header.blockLength ? layout.blockEnd : 0, layout.clipDataLength);
    if (header.blockLength && header.blockOffset < layout.clipDataLength)
        layout.overlapLength = std::min(layout.blockEnd, layout.clipDataLength) - header.blockOffset;
    return layout;
}

bool isAccepted(const StreamLayout& layout) { return layout.problems.empty(); }

namespace {

std::string countOf(uint64_t bytes) { return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes"); }

}  // namespace

std::string describeProblem(LayoutProblem problem, const StreamLayout& layout) {
    const uint64_t payload = layout.streamLength - kStreamHeaderSize;
    switch (problem) {
    case LayoutProblem::BlockBeyondStream:
        return "the placed block announces " + countOf(layout.header.blockLength) + " but only " +
               std::to_string(payload) + " follow the header";
    case LayoutProblem::BlockBeyondClip:
        return "the placed block belongs at clip offset " + std::to_string(layout.header.blockOffset) +
               " but the stream fills only " + countOf(payload) + " of clip, so " +
               countOf(layout.blockEnd - payload) + " would be padding";
    }
    return {};
}

}  // namespace avs
