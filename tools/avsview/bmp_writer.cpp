// The BMP encoding of a snapshot: BITMAPFILEHEADER, BITMAPINFOHEADER, then
// the rows bottom-up in blue-green-red order, each padded to four bytes.
#include "image.h"
#include "bytes.h"

namespace avsview {

using kit::appendLe16;
using kit::appendLe32;

std::vector<uint8_t> encodeBmp(const Image& image) {
    const uint32_t rowBytes = (uint32_t(image.width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * uint32_t(image.height);
    const uint32_t headerBytes = 14 + 40;
    std::vector<uint8_t> out;
    out.reserve(headerBytes + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    appendLe32(out, headerBytes + pixelBytes);
    appendLe32(out, 0);
    appendLe32(out, headerBytes);
    appendLe32(out, 40);
    appendLe32(out, uint32_t(image.width));
    appendLe32(out, uint32_t(image.height));
    appendLe16(out, 1);
    appendLe16(out, 24);
    appendLe32(out, 0);  // BI_RGB
    appendLe32(out, pixelBytes);
    appendLe32(out, 2835);  // 72 dpi
    appendLe32(out, 2835);
    appendLe32(out, 0);
    appendLe32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        const uint8_t* row = image.rgb.data() + std::size_t(y) * image.width * 3;
        for (int x = 0; x < image.width; ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3]);
        }
        out.resize(out.size() + (rowBytes - uint32_t(image.width) * 3), 0);
    }
    return out;
}

}  // namespace avsview
