// MS Video 1 ("CRAM", "MSVC"): 4x4 blocks of one, two or eight colours or
// skipped, from the bottom row of blocks up; 8-bit palette indices or 15-bit
// RGB colours. The blocks cover the picture from its top left corner; pixels
// right of or below the last whole block are not coded.
#pragma once

#include <cstdint>
#include <vector>

#include "video_decoder.h"

namespace player {

class MsVideo1Decoder : public VideoDecoder {
public:
    // bitCount 8 (with palette) or 16.
    MsVideo1Decoder(int width, int height, int bitCount, const std::vector<uint32_t>& palette);

    void reset() override;
    bool decode(const uint8_t* data, std::size_t size, Picture& picture, std::string& error) override;
    void changePalette(const uint8_t* data, std::size_t size) override;

private:
    bool decodeBlocks(const uint8_t* data, std::size_t size);
    bool decodeBlock(const uint8_t*& in, const uint8_t* end, int column, int row, int& skip);
    // Colour of the block's pixel i (0..15, bottom row first) from its flag bit.
    void paint(int column, int row, uint32_t flags, const uint16_t* colours, bool eightColours);
    void fill(int column, int row, uint16_t colour);
    uint16_t readColour(const uint8_t*& in) const;
    void toRgba(Picture& picture) const;

    int m_width;
    int m_height;
    bool m_paletted;                // 8-bit indices, else 15-bit colours
    int m_columns;                  // blocks across: columns of pixels beyond the last whole block are not coded
    int m_rows;                     // blocks up: nor are rows below the last whole block
    std::size_t m_stride;           // pixels in a row of m_plane: the width rounded up to a block
    std::vector<uint16_t> m_plane;  // the picture (rounded up to blocks), bottom row first
    uint32_t m_palette[256] = {};   // 0x00RRGGBB
};

}  // namespace player
