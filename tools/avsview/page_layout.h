// Where the elements sit on the page: a full page is one element covering the
// client area; embeds are laid out in a near-square grid with a margin.
#pragma once

#include <windows.h>

#include <vector>

namespace avsview {

struct PageLayout {
    SIZE client;              // client area of the page window
    std::vector<RECT> areas;  // one per element, in page order (client coordinates)
};

PageLayout layOutPage(int count, int width, int height, bool full);

}  // namespace avsview
