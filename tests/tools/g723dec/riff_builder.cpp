// WAV and AVI construction for the container tests.
#include "riff_builder.h"

#include <algorithm>
#include <cstdio>

namespace g723test {

Bytes waveFormat(uint16_t tag, uint16_t channels, bool extensible) {
    Bytes out;
    appendLe16(out, extensible ? 0xFFFE : tag);
    appendLe16(out, channels);
    appendLe32(out, 8000);
    appendLe32(out, 800);
    appendLe16(out, 24);
    appendLe16(out, 0);
    if (extensible) {
        appendLe16(out, 22);   // extension size
        appendLe16(out, 0);    // valid bits
        appendLe32(out, 4);    // channel mask
        appendLe16(out, tag);  // sub-format GUID: the tag, then the fixed tail
        const uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        out.insert(out.end(), tail, tail + 14);
    } else {
        appendLe16(out, 0);  // no extension
    }
    return out;
}

Bytes wavFile(const Bytes& frames, uint16_t tag) {
    return list("RIFF", "WAVE", concat({chunk("fmt ", waveFormat(tag)), chunk("data", frames)}));
}

namespace {

Bytes streamHeader(const std::string& type) {
    Bytes out(type.begin(), type.end());
    out.resize(56, 0);
    return out;
}

Bytes streamList(const std::string& type, const Bytes& format) {
    return list("LIST", "strl",
                concat({chunk("strh", streamHeader(type)), chunk("strf", format), chunk("JUNK", Bytes(20, 0))}));
}

std::string streamChunkId(size_t stream, const char* suffix) {
    char id[8];
    std::snprintf(id, sizeof id, "%02u%s", static_cast<unsigned>(stream), suffix);
    return id;
}

// Audio chunks of the G.723.1 stream, each after a small video chunk; other
// audio streams get one chunk of their own.
Bytes movieData(const AviLayout& layout, size_t first, size_t last, size_t g7231Stream) {
    Bytes out;
    for (size_t i = first; i < last; ++i) {
        Bytes audio = chunk(streamChunkId(g7231Stream, "wb"), layout.audioChunks[i]);
        out = concat({out, chunk("00dc", Bytes(10, 0x5A)), layout.recLists ? list("LIST", "rec ", audio) : audio});
        for (size_t s = 0; s < layout.audioTags.size(); ++s) {
            if (s + 1 != g7231Stream) {
                out = concat({out, chunk(streamChunkId(s + 1, "wb"), Bytes(8, 0x11))});
            }
        }
    }
    return out;
}

}  // namespace

Bytes aviFile(const AviLayout& layout) {
    Bytes streams = streamList("vids", Bytes(40, 0));
    size_t g7231Stream = 0;
    for (size_t s = 0; s < layout.audioTags.size(); ++s) {
        streams = concat({streams, streamList("auds", waveFormat(layout.audioTags[s]))});
        if (layout.audioTags[s] == 0x0042 && g7231Stream == 0) {
            g7231Stream = s + 1;
        }
    }
    Bytes header = list("LIST", "hdrl", concat({chunk("avih", Bytes(56, 0)), streams}));
    size_t split = layout.audioChunks.size() - std::min(layout.chunksInExtension, layout.audioChunks.size());
    Bytes riff =
        list("RIFF", "AVI ",
             concat({header, list("LIST", "INFO", chunk("ISFT", Bytes(4, 'x'))),
                     list("LIST", "movi", movieData(layout, 0, split, g7231Stream)), chunk("idx1", Bytes(16, 0))}));
    if (layout.chunksInExtension == 0) {
        return riff;
    }
    return concat({riff, list("RIFF", "AVIX",
                              list("LIST", "movi", movieData(layout, split, layout.audioChunks.size(), g7231Stream)))});
}

std::vector<Bytes> splitInto(const Bytes& bytes, size_t size) {
    std::vector<Bytes> parts;
    for (size_t at = 0; at < bytes.size(); at += size) {
        parts.emplace_back(bytes.begin() + static_cast<long>(at),
                           bytes.begin() + static_cast<long>(std::min(bytes.size(), at + size)));
    }
    return parts;
}

}  // namespace g723test
