// The pixels of a window's client area as the window shows them now.
#pragma once

#include <windows.h>

#include <string>

#include "image.h"

namespace avsview {

// Copies the area (x, y, width, height) of a device context; false when it cannot.
bool captureArea(HDC source, int x, int y, int width, int height, Image& image);

// Copies the client area of window from its device context; error says why not.
bool captureWindow(HWND window, Image& image, std::string& error);

}  // namespace avsview
