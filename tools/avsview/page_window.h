// The page's top-level window: its class, and the procedure that hands the
// page's messages to the Page object.
#pragma once

#include <windows.h>

#include <string>

namespace avsview {

class Page;

// The timer that drives the downloads and the hold, and its period.
const UINT_PTR kPageTimer = 1;
const UINT kPageTimerMs = 10;

// A visible top-level window whose client area has the given size; NULL on failure.
HWND createPageWindow(Page* page, const std::string& title, SIZE client);

}  // namespace avsview
