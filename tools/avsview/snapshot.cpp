// Window capture: BitBlt from the window's device context into a top-down
// 24-bit DIB section, then its blue-green-red rows into RGB pixels.
#include "snapshot.h"

#include "system_error.h"

namespace avsview {

bool captureArea(HDC source, int x, int y, int width, int height, Image& image) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (bitmap == NULL) return false;
    HDC memory = CreateCompatibleDC(source);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const BOOL copied = BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    if (copied) {
        const int stride = (width * 3 + 3) & ~3;
        image.width = width;
        image.height = height;
        image.rgb.resize(std::size_t(width) * height * 3);
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(bits) + std::size_t(y) * stride;
            uint8_t* out = image.rgb.data() + std::size_t(y) * width * 3;
            for (int x = 0; x < width; ++x) {
                out[x * 3] = row[x * 3 + 2];
                out[x * 3 + 1] = row[x * 3 + 1];
                out[x * 3 + 2] = row[x * 3];
            }
        }
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return copied != FALSE;
}

bool captureWindow(HWND window, Image& image, std::string& error) {
    RECT client;
    if (!IsWindow(window) || !GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) {
        error = "the plug-in window has no area to capture";
        return false;
    }
    HDC dc = GetDC(window);
    if (dc == NULL) {
        error = "no device context for the plug-in window: " + systemErrorText();
        return false;
    }
    const bool copied = captureArea(dc, 0, 0, client.right, client.bottom, image);
    ReleaseDC(window, dc);
    if (!copied) error = "copying the plug-in window's pixels failed";
    return copied;
}

}  // namespace avsview
