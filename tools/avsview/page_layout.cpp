// Grid layout of the page: ceil(sqrt(count)) columns, as many rows as needed.
#include "page_layout.h"

namespace avsview {

namespace {

const int kMargin = 8;

}  // namespace

PageLayout layOutPage(int count, int width, int height, bool full) {
    PageLayout layout;
    if (full) {
        layout.client = {width, height};
        layout.areas.push_back({0, 0, width, height});
        return layout;
    }
    int columns = 1;
    while (columns * columns < count) ++columns;
    const int rows = (count + columns - 1) / columns;
    layout.client = {kMargin + columns * (width + kMargin), kMargin + rows * (height + kMargin)};
    for (int i = 0; i < count; ++i) {
        const int left = kMargin + (i % columns) * (width + kMargin);
        const int top = kMargin + (i / columns) * (height + kMargin);
        layout.areas.push_back({left, top, left + width, top + height});
    }
    return layout;
}

}  // namespace avsview
