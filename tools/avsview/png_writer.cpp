// The PNG encoding of a snapshot: signature, IHDR (8-bit RGB), one IDAT with a
// zlib stream of stored deflate blocks (each row: filter byte 0, then RGB), IEND.
// Stored blocks keep the writer small and exact; the file is larger than a
// compressed one but readable by every PNG decoder.
#include "image.h"

#include <algorithm>

namespace avsview {

namespace {

const std::size_t kStoredBlockMax = 65535;

void put32be(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    put32be(out, uint32_t(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32be(out, crc32(out.data() + typeAt, out.size() - typeAt));
}

std::vector<uint8_t> filteredRows(const Image& image) {
    const std::size_t rowBytes = std::size_t(image.width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        const uint8_t* row = image.rgb.data() + y * rowBytes;
        raw.insert(raw.end(), row, row + rowBytes);
    }
    return raw;
}

std::vector<uint8_t> zlibStored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t length = std::min(kStoredBlockMax, raw.size() - at);
        out.push_back(at + length == raw.size() ? 1 : 0);  // BFINAL, BTYPE 00
        out.push_back(uint8_t(length));
        out.push_back(uint8_t(length >> 8));
        out.push_back(uint8_t(~length));
        out.push_back(uint8_t(~length >> 8));
        out.insert(out.end(), raw.begin() + at, raw.begin() + at + length);
        at += length;
    } while (at < raw.size());
    put32be(out, adler32(raw.data(), raw.size()));
    return out;
}

}  // namespace

uint32_t crc32(const uint8_t* data, std::size_t length, uint32_t crc) {
    crc = ~crc;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t adler32(const uint8_t* data, std::size_t length, uint32_t adler) {
    uint32_t a = adler & 0xFFFF, b = adler >> 16;
    for (std::size_t i = 0; i < length; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> encodePng(const Image& image) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> out(signature, signature + 8);
    std::vector<uint8_t> header;
    put32be(header, uint32_t(image.width));
    put32be(header, uint32_t(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filter 0, no interlace
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", zlibStored(filteredRows(image)));
    putChunk(out, "IEND", {});
    return out;
}

}  // namespace avsview
