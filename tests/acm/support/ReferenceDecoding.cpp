// Reference samples from the decoder library's own exports.
#include "ReferenceDecoding.h"

#include <algorithm>

#include "library_loader.h"

FrameList SplitFrames(const std::vector<uint8_t>& bytes)
{
    FrameList frames;
    for (size_t pos = 0; pos < bytes.size();)
    {
        static const size_t s_sizes[4] = {24, 20, 4, 1};  // an untransmitted frame is one byte in a file
        const size_t size = s_sizes[bytes[pos] & 3];
        if (bytes.size() - pos < size)
            break;
        frames.emplace_back(bytes.begin() + pos, bytes.begin() + pos + size);
        pos += size;
    }
    return frames;
}

std::vector<uint8_t> JoinFrames(const FrameList& frames)
{
    std::vector<uint8_t> bytes;
    for (const std::vector<uint8_t>& frame : frames)
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    return bytes;
}

std::vector<int16_t> ReferenceSamples(const FrameList& frames)
{
    static SpeechdecLibrary s_library(SPEECHDEC_LIBRARY);
    if (!s_library.loaded())
        return {};
    std::vector<int16_t> samples(frames.size() * 240);
    s_library.init(1);
    for (size_t i = 0; i < frames.size(); ++i)
    {
        uint8_t padded[24] = {0};  // the library reads whole words
        std::copy(frames[i].begin(), frames[i].end(), padded);
        s_library.decode(frames[i].empty() ? nullptr : padded, samples.data() + 240 * i);
    }
    return samples;
}
