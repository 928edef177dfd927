// The child window the page gives each plug-in element; the plug-in subclasses
// it and passes on every message it does not handle itself.
#pragma once

#include <windows.h>

namespace avsview {

// A visible child of page covering area (page client coordinates); NULL on failure.
HWND createPluginWindow(HWND page, const RECT& area);

}  // namespace avsview
