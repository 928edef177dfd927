// A picture in memory, and the two file formats a snapshot is written in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace avsview {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width * height pixels, top row first, 3 bytes each (R, G, B)
};

// 24-bit uncompressed BMP (BITMAPINFOHEADER, bottom-up rows padded to 4 bytes).
std::vector<uint8_t> encodeBmp(const Image& image);
// 8-bit RGB PNG; the image data goes into stored (uncompressed) deflate blocks.
std::vector<uint8_t> encodePng(const Image& image);

// Checksums of the PNG format: CRC-32 of a chunk, Adler-32 of the zlib stream.
uint32_t crc32(const uint8_t* data, std::size_t length, uint32_t crc = 0);
uint32_t adler32(const uint8_t* data, std::size_t length, uint32_t adler = 1);

// Writes the image as BMP or PNG, chosen by the path's extension (.png, else BMP);
// a file that cannot be written completely is removed. error says why.
bool writeImage(const std::string& path, const Image& image, std::string& error);

}  // namespace avsview
