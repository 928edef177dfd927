// The element window class: a plain child window with a black background that
// leaves everything else to the default handling, as a browser's plug-in
// window does.
#include "embed_window.h"

namespace avsview {

namespace {

const char kClassName[] = "AvsViewPluginWindow";

bool registerClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassA(&windowClass) != 0;
    return registered;
}

}  // namespace

HWND createPluginWindow(HWND page, const RECT& area) {
    if (!registerClass()) return NULL;
    return CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, area.left, area.top,
                           area.right - area.left, area.bottom - area.top, page, NULL, GetModuleHandleA(NULL), NULL);
}

}  // namespace avsview
