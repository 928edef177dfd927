// Snapshot encodings: checksums, the BMP layout, and a PNG whose stored
// deflate blocks are unpacked here again.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "image.h"

using namespace avsview;

namespace {

Image gradient(int width, int height) {
    Image image;
    image.width = width;
    image.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.rgb.insert(image.rgb.end(), {uint8_t(x), uint8_t(y), uint8_t(x * 7 + y * 3)});
    return image;
}

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t le32(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
};

// Splits a PNG into its chunks, checking every CRC.
std::vector<Chunk> chunksOf(const std::vector<uint8_t>& png) {
    std::vector<Chunk> chunks;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t length = be32(&png[at]);
        Chunk chunk{std::string(png.begin() + at + 4, png.begin() + at + 8),
                    std::vector<uint8_t>(png.begin() + at + 8, png.begin() + at + 8 + length)};
        EXPECT_EQ(be32(&png[at + 8 + length]), crc32(&png[at + 4], length + 4)) << chunk.type;
        chunks.push_back(chunk);
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    return chunks;
}

// The bytes of a zlib stream made of stored blocks; counts the blocks.
std::vector<uint8_t> unstore(const std::vector<uint8_t>& zlib, int& blocks) {
    std::vector<uint8_t> out;
    EXPECT_EQ(zlib[0], 0x78);
    EXPECT_EQ((zlib[0] * 256 + zlib[1]) % 31, 0);
    std::size_t at = 2;
    blocks = 0;
    for (bool last = false; !last;) {
        last = (zlib[at] & 1) != 0;
        EXPECT_EQ(zlib[at] & 6, 0);
        const uint16_t length = uint16_t(zlib[at + 1] | zlib[at + 2] << 8);
        EXPECT_EQ(uint16_t(~length), uint16_t(zlib[at + 3] | zlib[at + 4] << 8));
        out.insert(out.end(), zlib.begin() + at + 5, zlib.begin() + at + 5 + length);
        at += 5 + length;
        ++blocks;
    }
    EXPECT_EQ(be32(&zlib[at]), adler32(out.data(), out.size()));
    EXPECT_EQ(at + 4, zlib.size());
    return out;
}

}  // namespace

TEST(AvsviewImage, ChecksumsOfKnownVectors) {
    const char digits[] = "123456789";
    EXPECT_EQ(crc32(reinterpret_cast<const uint8_t*>(digits), 9), 0xCBF43926u);
    const char word[] = "Wikipedia";
    EXPECT_EQ(adler32(reinterpret_cast<const uint8_t*>(word), 9), 0x11E60398u);
    EXPECT_EQ(adler32(nullptr, 0), 1u);
}

TEST(AvsviewImage, BmpRowsBottomUpInBlueGreenRedPadded) {
    const Image image = gradient(3, 2);
    const std::vector<uint8_t> bmp = encodeBmp(image);
    const uint32_t rowBytes = 12;  // 9 bytes of pixels, padded to 12
    ASSERT_EQ(bmp.size(), 54 + 2 * rowBytes);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(le32(&bmp[2]), bmp.size());
    EXPECT_EQ(le32(&bmp[10]), 54u);
    EXPECT_EQ(le32(&bmp[18]), 3u);
    EXPECT_EQ(le32(&bmp[22]), 2u);
    EXPECT_EQ(bmp[28], 24);
    const uint8_t* bottomRow = &bmp[54];                      // image row 1
    EXPECT_EQ(bottomRow[3 + 0], image.rgb[(3 + 1) * 3 + 2]);  // pixel (1,1): blue first
    EXPECT_EQ(bottomRow[3 + 2], image.rgb[(3 + 1) * 3 + 0]);
    EXPECT_EQ(bmp[54 + rowBytes + 2], image.rgb[0]);  // pixel (0,0) red in the second row
}

TEST(AvsviewImage, PngUnpacksToTheFilteredRows) {
    const Image image = gradient(200, 120);  // 72120 bytes of rows: two stored blocks
    const std::vector<Chunk> chunks = chunksOf(encodePng(image));
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(be32(&chunks[0].data[0]), 200u);
    EXPECT_EQ(be32(&chunks[0].data[4]), 120u);
    EXPECT_EQ(std::vector<uint8_t>(chunks[0].data.begin() + 8, chunks[0].data.end()),
              (std::vector<uint8_t>{8, 2, 0, 0, 0}));
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    int blocks = 0;
    const std::vector<uint8_t> raw = unstore(chunks[1].data, blocks);
    EXPECT_EQ(blocks, 2);
    ASSERT_EQ(raw.size(), std::size_t(120) * (1 + 600));
    for (int y = 0; y < 120; ++y) {
        EXPECT_EQ(raw[y * 601], 0);
        EXPECT_EQ(std::memcmp(&raw[y * 601 + 1], &image.rgb[y * 600], 600), 0) << "row " << y;
    }
}

TEST(AvsviewImage, WriteImageChoosesTheFormatByExtension) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string png = std::string(folder) + "avsview_image_test.PNG";
    const std::string bmp = std::string(folder) + "avsview_image_test.bmp";
    const Image image = gradient(5, 4);
    std::string error;
    ASSERT_TRUE(writeImage(png, image, error)) << error;
    ASSERT_TRUE(writeImage(bmp, image, error)) << error;
    std::ifstream pngFile(png, std::ios::binary), bmpFile(bmp, std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(pngFile), {}), encodePng(image));
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(bmpFile), {}), encodeBmp(image));
    pngFile.close();
    bmpFile.close();
    DeleteFileA(png.c_str());
    DeleteFileA(bmp.c_str());

    EXPECT_FALSE(writeImage(std::string(folder) + "no-such-folder\\x.png", image, error));
    EXPECT_NE(error.find("cannot create"), std::string::npos);
}
