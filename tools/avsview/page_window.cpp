// The page window class. The Page object rides in the window's user data from
// WM_NCCREATE on; timer, close, size and destroy messages go to it.
#include "page_window.h"

#include "page.h"

namespace avsview {

namespace {

const char kClassName[] = "AvsViewPage";
const DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

LRESULT CALLBACK pageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    Page* page = reinterpret_cast<Page*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (page != nullptr) {
        switch (message) {
        case WM_TIMER:
            if (wParam == kPageTimer) {
                page->onTimer();
                return 0;
            }
            break;
        case WM_CLOSE:
            page->onClose();
            return 0;
        case WM_SIZE:
            page->onSize();
            return 0;
        case WM_DESTROY:
            page->onDestroy();
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            return 0;
        default:
            break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool registerClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = pageProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassA(&windowClass) != 0;
    return registered;
}

}  // namespace

HWND createPageWindow(Page* page, const std::string& title, SIZE client) {
    if (!registerClass()) return NULL;
    RECT frame = {0, 0, client.cx, client.cy};
    AdjustWindowRect(&frame, kStyle, FALSE);
    HWND window = CreateWindowExA(0, kClassName, title.c_str(), kStyle, 0, 0, frame.right - frame.left,
                                  frame.bottom - frame.top, NULL, NULL, GetModuleHandleA(NULL), page);
    if (window != NULL) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    return window;
}

}  // namespace avsview
