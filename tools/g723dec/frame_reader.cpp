// Frame splitting by kind.
#include "frame_reader.h"

#include <cstring>

namespace g723dec {

int frameSize(int kind, Framing framing) {
    if ((kind & 3) == 3 && framing == Framing::bytes) {
        return 1;
    }
    return speechdecFrameBytes(kind);
}

ReadOutcome FrameReader::next(Frame& frame) {
    size_t got = source_.read(frame.bytes, 1);
    if (got == 0) {
        frame.offset = source_.offset();
        return source_.failed() ? ReadOutcome::failed : ReadOutcome::end;
    }
    // Taken after the first byte: a frame may start a new segment.
    frame.offset = source_.offset() - 1;
    frame.kind = frame.bytes[0] & 3;
    frame.size = frameSize(frame.kind, framing_);
    got += source_.read(frame.bytes + 1, frame.size - 1);
    std::memset(frame.bytes + got, 0, maxFrameSize - got);
    if (got < static_cast<size_t>(frame.size)) {
        truncatedBytes_ = static_cast<int>(got);
        return source_.failed() ? ReadOutcome::failed : ReadOutcome::truncated;
    }
    return ReadOutcome::frame;
}

}  // namespace g723dec
