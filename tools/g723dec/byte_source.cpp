// Buffered sequential reading over the frame-data segments of an input.
#include "byte_source.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace g723dec {

namespace {
constexpr size_t bufferSize = 64 * 1024;
}

ByteSource::ByteSource(InputFile& file, std::vector<Segment> segments)
    : file_(file), segments_(std::move(segments)), buffer_(bufferSize) {}

bool ByteSource::startNextSegment() {
    while (nextSegment_ < segments_.size()) {
        const Segment& segment = segments_[nextSegment_++];
        if (segment.length == 0) {
            continue;
        }
        kit::File& file = file_.file();
        if (file.position() != segment.offset && !file.seekTo(segment.offset)) {
            return false;
        }
        segmentLeft_ = segment.length;
        bufferOffset_ = segment.offset;
        pos_ = end_ = 0;
        return true;
    }
    return false;
}

// Adds bytes of the current segment behind the unread ones; moves on to the
// next segment only once the buffer is used up, so that the buffer always
// holds one contiguous file region.
bool ByteSource::refill() {
    if (failed()) {
        return false;
    }
    if (segmentLeft_ == 0) {
        if (pos_ < end_ || !startNextSegment()) {
            return false;
        }
    }
    if (pos_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        bufferOffset_ += pos_;
        end_ -= pos_;
        pos_ = 0;
    }
    size_t room = std::min<uint64_t>(buffer_.size() - end_, segmentLeft_);
    size_t got = file_.file().read(buffer_.data() + end_, room);
    end_ += got;
    segmentLeft_ = got < room ? 0 : segmentLeft_ - got;
    return got > 0;
}

size_t ByteSource::read(uint8_t* dst, size_t n) {
    size_t done = 0;
    while (done < n) {
        if (pos_ == end_ && !refill()) {
            break;
        }
        size_t take = std::min(n - done, end_ - pos_);
        std::memcpy(dst + done, buffer_.data() + pos_, take);
        pos_ += take;
        done += take;
    }
    return done;
}

size_t ByteSource::peek(uint8_t* dst, size_t n) {
    while (end_ - pos_ < n && refill()) {
    }
    size_t have = std::min(n, end_ - pos_);
    std::memcpy(dst, buffer_.data() + pos_, have);
    return have;
}

}  // namespace g723dec
