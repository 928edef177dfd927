// Cinepak ("cvid"): a frame of horizontal strips, each with a pair of
// codebooks (V1: one 2x2 vector scaled to a 4x4 block; V4: four 2x2
// vectors) kept from frame to frame, and 4x4 blocks coded by codebook index.
#pragma once

#include <cstdint>
#include <vector>

#include "video_decoder.h"

namespace player {

class CinepakDecoder : public VideoDecoder {
public:
    CinepakDecoder(int width, int height);

    void reset() override;
    bool decode(const uint8_t* data, std::size_t size, Picture& picture, std::string& error) override;

    static constexpr int kMaxStrips = 32;
    struct Reader;  // bounded big-endian reads of a frame's bytes

private:
    struct Vector {
        uint8_t rgb[4][3];  // top left, top right, bottom left, bottom right
    };
    struct Codebooks {
        Vector v1[256];
        Vector v4[256];
    };
    bool decodeStrip(Reader& in, int strip, int& top, std::string& error);
    bool readCodebook(Reader& in, uint16_t id, Codebooks& books);
    bool readBlocks(Reader& in, uint16_t id, const Codebooks& books, int left, int top, int right, int bottom);
    void drawV1(const Vector& vector, int x, int y);
    void drawV4(const Vector* const quarters[4], int x, int y);
    void putPixel(int x, int y, const uint8_t* rgb);

    int m_width;
    int m_height;
    std::vector<uint8_t> m_rgba;         // the picture, top row first
    std::vector<Codebooks> m_codebooks;  // per strip, kept between frames
};

}  // namespace player
