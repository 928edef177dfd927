// File signatures and the share of frames no coder writes: an untransmitted
// frame whose byte differs from the stream's first one (a writer marks them all
// alike, whatever it puts beside the kind bits), or a speech frame with an
// invalid pitch-lag or gain code. Speech streams have none of either (a damaged
// one a few); other data has them in about a quarter of its frames.
#include "raw_check.h"

#include <cstring>
#include <string>
#include <vector>

#include "frame_decoder.h"

namespace g723dec {

namespace {

constexpr size_t sampleBytes = 8192;  // about ten seconds of speech
constexpr int minFrames = 20;         // fewer frames are not judged
constexpr int refusedPercent = 15;    // refused from this share of impossible frames on

struct Signature {
    size_t offset;
    const char* bytes;
    size_t length;
    const char* name;
};

const Signature signatures[] = {
    {0, "ID3", 3, "an MP3 file (ID3 tag)"},
    {0, "fLaC", 4, "a FLAC file"},
    {0, "OggS", 4, "an Ogg file (Vorbis, Opus, ...)"},
    {0, "RIFX", 4, "a big-endian RIFF file"},
    {0, "RIFF", 4, "a RIFF file"},
    {0, "FORM", 4, "an IFF file (AIFF, ...)"},
    {0, ".snd", 4, "a Sun/NeXT audio file"},
    {0, "#!AMR", 5, "an AMR file"},
    {0, "\x1A\x45\xDF\xA3", 4, "a Matroska/WebM file"},
    {4, "ftyp", 4, "an MP4 file (MP4, M4A, 3GP, ...)"},
    {0, "PK\x03\x04", 4, "a ZIP file"},
    {0, "%PDF", 4, "a PDF file"},
    {0, "\x89PNG", 4, "a PNG image"},
    {0, "\xFF\xD8\xFF", 3, "a JPEG image"},
    {0,
     "\x7F"
     "ELF",
     4, "a program (ELF)"},
};

const char* signatureName(const uint8_t* head, size_t size) {
    for (const Signature& s : signatures) {
        if (size >= s.offset + s.length && std::memcmp(head + s.offset, s.bytes, s.length) == 0) {
            return s.name;
        }
    }
    // MPEG audio frame sync: 11 set bits, then a version and a layer that exist.
    if (size >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0 && (head[1] & 0x18) != 0x08 && (head[1] & 0x06) != 0) {
        return "an MP3 file (MPEG audio)";
    }
    return nullptr;
}

// Printable ASCII, white space and bytes of UTF-8 sequences throughout.
bool looksLikeText(const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = bytes[i];
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r') {
            return false;
        }
        if (b == 0x7F) {
            return false;
        }
    }
    return size >= 64;
}

// marker: the byte of the first untransmitted frame so far, or -1.
bool isImpossible(const Frame& frame, int& marker) {
    if (frame.kind == 3) {
        if (marker < 0) {
            marker = frame.bytes[0];
        }
        return frame.bytes[0] != marker;
    }
    return frame.kind < 2 && hasInvalidCodes(frame);
}

struct Share {
    int frames = 0;
    int impossible = 0;
};

Share impossibleShare(const uint8_t* bytes, size_t size, Framing framing) {
    Share share;
    Frame frame;
    int marker = -1;
    for (size_t at = 0; at < size;) {
        frame.kind = bytes[at] & 3;
        frame.size = frameSize(frame.kind, framing);
        if (at + static_cast<size_t>(frame.size) > size) {
            break;
        }
        std::memset(frame.bytes, 0, sizeof frame.bytes);
        std::memcpy(frame.bytes, bytes + at, static_cast<size_t>(frame.size));
        ++share.frames;
        share.impossible += isImpossible(frame, marker) ? 1 : 0;
        at += static_cast<size_t>(frame.size);
    }
    return share;
}

}  // namespace

Status checkRawInput(ByteSource& source, Framing framing) {
    std::vector<uint8_t> head(sampleBytes);
    const size_t size = source.peek(head.data(), head.size());
    const std::string& name = source.file().name();
    if (const char* kind = signatureName(head.data(), size)) {
        return failure(exitNotG7231, name + ": this is " + kind + ", not G.723.1 frames");
    }
    if (looksLikeText(head.data(), size)) {
        return failure(exitNotG7231, name + ": this is a text file, not G.723.1 frames");
    }
    const Share share = impossibleShare(head.data(), size, framing);
    if (share.frames < minFrames || share.impossible * 100 < refusedPercent * share.frames) {
        return Status{};
    }
    return failure(exitNotG7231,
                   name + ": not G.723.1 frames: " + std::to_string(share.impossible) + " of the first " +
                       std::to_string(share.frames) + " frames (" +
                       std::to_string(share.impossible * 100 / share.frames) +
                       " %) cannot come from a G.723.1 coder (untransmitted markers unlike one another, speech "
                       "frames with invalid codes); a speech stream has next to none");
}

}  // namespace g723dec
