// Container identification and dispatch to the WAV and AVI readers.
#include "container_detect.h"

#include <cstring>

#include "avi_reader.h"
#include "riff.h"
#include "wav_reader.h"

namespace g723dec {

namespace {

constexpr size_t headSize = 12;  // "RIFF", size, form type

std::string formText(const uint8_t* head) { return kit::fourccText(reinterpret_cast<const char*>(head + 8)); }

}  // namespace

Container identifyContainer(const uint8_t* head, size_t size) {
    if (size < headSize || std::memcmp(head, "RIFF", 4) != 0) {
        return Container::raw;
    }
    if (std::memcmp(head + 8, "WAVE", 4) == 0) {
        return Container::wav;
    }
    if (std::memcmp(head + 8, "AVI ", 4) == 0) {
        return Container::avi;
    }
    return Container::otherRiff;
}

Status locateFrames(InputFile& file, FrameData& data) {
    if (!file.seekable()) {
        data.segments = {{0, unboundedLength}};
        data.description = "raw frames";
        return Status{};
    }
    uint8_t head[headSize];
    size_t got = file.file().readAt(0, head, headSize);
    if (file.file().failed()) {
        return failure(exitUnreadable, atByte(file.name(), 0, "cannot read: " + file.file().lastError()));
    }
    switch (identifyContainer(head, got)) {
    case Container::wav:
        return readWavLayout(file, data);
    case Container::avi:
        return readAviLayout(file, data);
    case Container::otherRiff:
        return failure(exitNotG7231,
                       atByte(file.name(), 8, "RIFF file of form '" + formText(head) + "' is neither WAV nor AVI"));
    case Container::raw:
        break;
    }
    data.segments = {{0, file.size()}};
    data.description = "raw frames";
    return Status{};
}

Status refuseContainerOnStream(ByteSource& source) {
    uint8_t head[headSize];
    size_t got = source.peek(head, headSize);
    if (identifyContainer(head, got) == Container::raw) {
        return Status{};
    }
    return failure(exitNotG7231,
                   atByte(source.file().name(), 0,
                          "a RIFF '" + formText(head) +
                              "' file; standard input and pipes take raw frames only, give the file name instead"));
}

}  // namespace g723dec
