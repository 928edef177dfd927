// Reads the header of a packed stream file.
#include "stream_file.h"

#include "clip_check.h"
#include "commands.h"

namespace avspack {

int openStreamFile(const std::string& path, kit::File& file, avs::StreamLayout& layout, std::string& error) {
    uint64_t size = 0;
    uint8_t header[avs::kStreamHeaderSize];
    if (!file.openForReading(path)) {
        error = "cannot open " + path + ": " + file.lastError();
        return kExitUnreadable;
    }
    if (!file.size(size)) {
        error = "cannot read " + path + ": " + file.lastError();
        return kExitUnreadable;
    }
    if (size < avs::kStreamHeaderSize) {
        error = path + ": truncated: " + std::to_string(size) + " bytes, shorter than the 8-byte stream header";
        return kExitUnusable;
    }
    if (isAviFile(file)) {
        error = path + ": this is an AVI clip, not a packed stream; pack it first: avspack " + path + " OUT.avs";
        return kExitUnusable;
    }
    if (!file.seekTo(0) || !file.readExactly(header, sizeof header)) {
        error = "cannot read " + path + ": " + file.lastError();
        return kExitUnreadable;
    }
    layout = avs::layStream(avs::decodeStreamHeader(header), size);
    return kExitOk;
}

}  // namespace avspack
