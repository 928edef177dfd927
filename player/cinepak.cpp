// Cinepak decoding. Frame: flags (bit 0 clear: each strip starts with the
// previous strip's codebooks), 24-bit length, width, height, strip count.
// Strip: id, size, top, left, bottom, right (its height is bottom - top; the
// strips stack from the top of the picture), then chunks of id and size:
//   0x20xx codebooks: +0x0200 V1 (else V4), +0x0100 an update of the
//          entries flagged in 32-bit words, +0x0400 luminance only (4 bytes
//          an entry, else 6: four Y, U and V)
//   0x3000 blocks, a flag bit each (1: V4, four indices; 0: V1, one index)
//   0x3100 blocks, a flag bit each (0: unchanged), then V4/V1 as above
//   0x3200 blocks, V1 only
// Multi-byte fields are big-endian; colours: R = Y + 2V, G = Y - U/2 - V, B = Y + 2U.
#include "cinepak.h"

#include <algorithm>

namespace player {

struct CinepakDecoder::Reader {
    const uint8_t* at;
    const uint8_t* end;

    std::size_t left() const { return std::size_t(end - at); }
    uint8_t byte() { return *at++; }
    uint16_t word() {
        const uint16_t value = uint16_t(at[0] << 8 | at[1]);
        at += 2;
        return value;
    }
    uint32_t triple() {
        const uint32_t value = uint32_t(at[0]) << 16 | uint32_t(at[1]) << 8 | at[2];
        at += 3;
        return value;
    }
    uint32_t quad() {
        const uint32_t high = word();
        return high << 16 | word();
    }
    // The next sub-reader of size bytes (the caller has checked them).
    Reader take(std::size_t size) {
        Reader part{at, at + size};
        at += size;
        return part;
    }
};

namespace {

uint8_t clamp(int value) { return uint8_t(std::min(255, std::max(0, value))); }

// Reads flag bits, most significant first, in 32-bit words.
struct FlagBits {
    uint32_t word = 0;
    int left = 0;

    // False when the data ends before a needed word.
    bool next(CinepakDecoder::Reader& in, bool& bit);
};

}  // namespace

bool FlagBits::next(CinepakDecoder::Reader& in, bool& bit) {
    if (left == 0) {
        if (in.left() < 4) return false;
        word = in.quad();
        left = 32;
    }
    bit = (word & 0x80000000u) != 0;
    word <<= 1;
    --left;
    return true;
}

CinepakDecoder::CinepakDecoder(int width, int height)
    : m_width(width), m_height(height), m_rgba(std::size_t(width) * height * 4), m_codebooks(kMaxStrips) {
    reset();
}

void CinepakDecoder::reset() {
    for (std::size_t i = 0; i < m_rgba.size(); i += 4) {
        m_rgba[i] = m_rgba[i + 1] = m_rgba[i + 2] = 0;
        m_rgba[i + 3] = 255;
    }
}

bool CinepakDecoder::decode(const uint8_t* data, std::size_t size, Picture& picture, std::string& error) {
    bool whole = size >= 10;
    if (!whole) error = "the Cinepak frame is shorter than its 10-byte header";
    Reader in{data, data + size};
    if (whole) {
        const uint8_t flags = in.byte();
        const std::size_t length = in.triple();
        in.end = data + std::min(size, std::max<std::size_t>(length, 10));
        in.at += 4;  // coded width and height: the format's size rules
        const int strips = in.word();
        int top = 0;
        for (int strip = 0; whole && strip < std::min(strips, kMaxStrips); ++strip) {
            if (strip > 0 && (flags & 1) == 0) m_codebooks[strip] = m_codebooks[strip - 1];
            whole = decodeStrip(in, strip, top, error);
        }
    }
    picture.width = m_width;
    picture.height = m_height;
    picture.rgba = m_rgba;
    return whole;
}

bool CinepakDecoder::decodeStrip(Reader& in, int strip, int& top, std::string& error) {
    if (in.left() < 12) return error = "a Cinepak strip header is cut short", false;
    in.word();  // key or inter strip: the chunks say which
    const uint16_t size = in.word();
    const int y1 = in.word(), x1 = in.word(), y2 = in.word(), x2 = in.word();
    if (size < 12 || size - 12u > in.left()) return error = "a Cinepak strip is longer than its frame", false;
    Reader body = in.take(size - 12u);
    const int bottom = top + std::max(0, y2 - y1);
    while (body.left() >= 4) {
        const uint16_t id = body.word();
        const uint16_t chunkSize = body.word();
        if (chunkSize < 4 || chunkSize - 4u > body.left())
            return error = "a Cinepak chunk is longer than its strip", false;
        Reader chunk = body.take(chunkSize - 4u);
        const bool ok = (id & 0xF000) == 0x2000   ? readCodebook(chunk, id, m_codebooks[strip])
                        : (id & 0xF000) == 0x3000 ? readBlocks(chunk, id, m_codebooks[strip], x1, top, x2, bottom)
                                                  : true;
        if (!ok) return error = "a Cinepak chunk ends early", false;
    }
    top = bottom;
    return true;
}

bool CinepakDecoder::readCodebook(Reader& in, uint16_t id, Codebooks& books) {
    Vector* book = (id & 0x0200) != 0 ? books.v1 : books.v4;
    const bool partial = (id & 0x0100) != 0;
    const std::size_t entryBytes = (id & 0x0400) != 0 ? 4 : 6;
    FlagBits flags;
    for (int i = 0; i < 256; ++i) {
        bool update = true;
        if (partial && !flags.next(in, update)) return true;
        if (!update) continue;
        if (in.left() < entryBytes) return true;
        int y[4];
        for (int& luma : y) luma = in.byte();
        const int u = entryBytes == 6 ? int8_t(in.byte()) : 0;
        const int v = entryBytes == 6 ? int8_t(in.byte()) : 0;
        for (int p = 0; p < 4; ++p) {
            book[i].rgb[p][0] = clamp(y[p] + 2 * v);
            book[i].rgb[p][1] = clamp(y[p] - u / 2 - v);
            book[i].rgb[p][2] = clamp(y[p] + 2 * u);
        }
    }
    return true;
}

bool CinepakDecoder::readBlocks(Reader& in, uint16_t id, const Codebooks& books, int left, int top, int right,
                                int bottom) {
    FlagBits flags;
    for (int y = top; y < bottom; y += 4) {
        for (int x = left; x < right; x += 4) {
            bool coded = true;
            bool fourVectors = false;
            if (id == 0x3100 && !flags.next(in, coded)) return false;
            if (!coded) continue;
            if (id != 0x3200 && !flags.next(in, fourVectors)) return false;
            if (in.left() < (fourVectors ? 4u : 1u)) return false;
            if (fourVectors) {
                const Vector* quarters[4];
                for (const Vector*& quarter : quarters) quarter = &books.v4[in.byte()];
                drawV4(quarters, x, y);
            } else {
                drawV1(books.v1[in.byte()], x, y);
            }
        }
    }
    return true;
}

void CinepakDecoder::putPixel(int x, int y, const uint8_t* rgb) {
    if (x >= m_width || y >= m_height) return;
    uint8_t* out = m_rgba.data() + (std::size_t(y) * m_width + x) * 4;
    out[0] = rgb[0];
    out[1] = rgb[1];
    out[2] = rgb[2];
}

void CinepakDecoder::drawV1(const Vector& vector, int x, int y) {
    for (int dy = 0; dy < 4; ++dy) {
        for (int dx = 0; dx < 4; ++dx) putPixel(x + dx, y + dy, vector.rgb[(dy / 2) * 2 + dx / 2]);
    }
}

void CinepakDecoder::drawV4(const Vector* const quarters[4], int x, int y) {
    for (int dy = 0; dy < 4; ++dy) {
        for (int dx = 0; dx < 4; ++dx) {
            const Vector& quarter = *quarters[(dy / 2) * 2 + dx / 2];
            putPixel(x + dx, y + dy, quarter.rgb[(dy % 2) * 2 + dx % 2]);
        }
    }
}

}  // namespace player
