// Reads the header of a packed stream file.
#include "stream_file.h"

namespace avspack {

bool openStreamFile(const std::string& path, kit::File& file, avs::StreamLayout& layout, std::string& error) {
    uint64_t size = 0;
    uint8_t header[avs::kStreamHeaderSize];
    if (!file.openForReading(path)) {
        error = "cannot open " + path + ": " + file.lastError();
        return false;
    }
    if (!file.size(size)) {
        error = "cannot read " + path + ": " + file.lastError();
        return false;
    }
    if (size < avs::kStreamHeaderSize) {
        error = path + ": truncated: " + std::to_string(size) + " bytes, shorter than the 8-byte stream header";
        return false;
    }
    if (!file.seekTo(0) || !file.readExactly(header, sizeof header)) {
        error = "cannot read " + path + ": " + file.lastError();
        return false;
    }
    layout = avs::layStream(avs::decodeStreamHeader(header), size);
    return true;
}

}  // namespace avspack
