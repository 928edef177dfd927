// Text of a Windows error code, for messages.
#include "system_error.h"

namespace avsview {

std::string systemErrorText(DWORD code, HMODULE module) {
    if (code == 0) code = GetLastError();
    char text[512] = {};
    const DWORD source = module != NULL ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM;
    DWORD length = FormatMessageA(source | FORMAT_MESSAGE_IGNORE_INSERTS, module, code, 0, text, sizeof(text), NULL);
    while (length > 0 &&
           (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ' || text[length - 1] == '.'))
        text[--length] = '\0';
    if (length == 0) return "error " + std::to_string(code);
    return text;
}

}  // namespace avsview
