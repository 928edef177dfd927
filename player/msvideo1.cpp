// MS Video 1 decoding. Each block opens with two bytes A and B:
//   B in 0x84..0x87    skip ((B - 0x84) << 8) + A blocks, this one included
//   B below 0x80       flags (B << 8 | A), one bit per pixel, and two colours;
//                      a first 15-bit colour with its top bit set, or B from
//                      0x90 on with 8-bit pixels, means eight colours: a pair
//                      per 2x2 quarter of the block
//   other              the whole block in one colour (A, or B << 8 | A)
// A and B both zero end the frame early.
#include "msvideo1.h"

#include <algorithm>

#include "bytes.h"

namespace player {

MsVideo1Decoder::MsVideo1Decoder(int width, int height, int bitCount, const std::vector<uint32_t>& palette)
    : m_width(width), m_height(height), m_paletted(bitCount == 8), m_columns(width / 4), m_rows(height / 4),
      m_stride(std::size_t(width + 3) / 4 * 4), m_plane(m_stride * std::size_t(height + 3) / 4 * 4) {
    std::copy(palette.begin(), palette.begin() + std::min<std::size_t>(palette.size(), 256), m_palette);
}

void MsVideo1Decoder::reset() { std::fill(m_plane.begin(), m_plane.end(), 0); }

void MsVideo1Decoder::changePalette(const uint8_t* data, std::size_t size) {
    if (size < 4) return;
    const int first = data[0];
    const int count = data[1] == 0 ? 256 : data[1];
    for (int i = 0; i < count && first + i < 256 && 4 + 4 * std::size_t(i) + 4 <= size; ++i) {
        const uint8_t* entry = data + 4 + 4 * i;  // red, green, blue, flags
        m_palette[first + i] = uint32_t(entry[0]) << 16 | uint32_t(entry[1]) << 8 | entry[2];
    }
}

bool MsVideo1Decoder::decode(const uint8_t* data, std::size_t size, Picture& picture, std::string& error) {
    const bool whole = decodeBlocks(data, size);
    if (!whole) error = "the MS Video 1 frame ends inside a block";
    toRgba(picture);
    return whole;
}

bool MsVideo1Decoder::decodeBlocks(const uint8_t* data, std::size_t size) {
    const uint8_t* in = data;
    const uint8_t* end = data + size;
    int skip = 0;
    for (int row = 0; row < m_rows; ++row) {
        for (int column = 0; column < m_columns; ++column) {
            if (skip > 0) {
                --skip;
                continue;
            }
            if (end - in < 2) return false;
            if (in[0] == 0 && in[1] == 0) return true;
            if (!decodeBlock(in, end, column, row, skip)) return false;
        }
    }
    return true;
}

bool MsVideo1Decoder::decodeBlock(const uint8_t*& in, const uint8_t* end, int column, int row, int& skip) {
    const uint8_t a = in[0];
    const uint8_t b = in[1];
    in += 2;
    if ((b & 0xFC) == 0x84) {
        skip = ((b - 0x84) << 8) + a - 1;
        return true;
    }
    if (b >= 0x80 && !(m_paletted && b >= 0x90)) {
        fill(column, row, m_paletted ? a : uint16_t(b << 8 | a));
        return true;
    }
    const int colourBytes = m_paletted ? 1 : 2;
    if (end - in < 2 * colourBytes) return false;
    uint16_t colours[8];
    colours[0] = readColour(in);
    colours[1] = readColour(in);
    const bool eight = m_paletted ? b >= 0x90 : (colours[0] & 0x8000) != 0;
    if (eight) {
        if (end - in < 6 * colourBytes) return false;
        for (int i = 2; i < 8; ++i) colours[i] = readColour(in);
    }
    paint(column, row, uint32_t(b) << 8 | a, colours, eight);
    return true;
}

uint16_t MsVideo1Decoder::readColour(const uint8_t*& in) const {
    const uint16_t colour = m_paletted ? in[0] : kit::readLe16(in);
    in += m_paletted ? 1 : 2;
    return colour;
}

void MsVideo1Decoder::paint(int column, int row, uint32_t flags, const uint16_t* colours, bool eightColours) {
    const std::size_t stride = m_stride;
    uint16_t* block = m_plane.data() + std::size_t(row) * 4 * stride + std::size_t(column) * 4;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x, flags >>= 1) {
            const uint16_t* pair = eightColours ? colours + 2 * ((y / 2) * 2 + x / 2) : colours;
            block[y * stride + x] = (flags & 1) != 0 ? pair[0] : pair[1];
        }
    }
}

void MsVideo1Decoder::fill(int column, int row, uint16_t colour) {
    const std::size_t stride = m_stride;
    uint16_t* block = m_plane.data() + std::size_t(row) * 4 * stride + std::size_t(column) * 4;
    for (int y = 0; y < 4; ++y) std::fill(block + y * stride, block + y * stride + 4, colour);
}

void MsVideo1Decoder::toRgba(Picture& picture) const {
    picture.width = m_width;
    picture.height = m_height;
    picture.rgba.resize(std::size_t(m_width) * m_height * 4);
    const std::size_t stride = m_stride;
    uint8_t* out = picture.rgba.data();
    const int coded = m_rows * 4;  // the picture's top rows, bottom row first; below them rows never coded
    for (int y = 0; y < m_height; ++y) {
        const uint16_t* source = m_plane.data() + std::size_t(y < coded ? coded - 1 - y : y) * stride;
        for (int x = 0; x < m_width; ++x, out += 4) {
            uint32_t rgb;
            if (m_paletted) {
                rgb = m_palette[source[x] & 0xFF];
            } else {
                const uint32_t r = source[x] >> 10 & 31, g = source[x] >> 5 & 31, b = source[x] & 31;
                rgb = (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
            }
            out[0] = uint8_t(rgb >> 16);
            out[1] = uint8_t(rgb >> 8);
            out[2] = uint8_t(rgb);
            out[3] = 255;
        }
    }
}

}  // namespace player
