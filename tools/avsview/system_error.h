// Text of a Windows error code, for messages.
#pragma once

#include <windows.h>

#include <string>

namespace avsview {

// The system's message for code (or for GetLastError() when code is 0), without
// the closing full stop and line break; the number when the system has no text.
// module: a DLL whose own message table holds the code (WinINet's, say).
std::string systemErrorText(DWORD code = 0, HMODULE module = NULL);

}  // namespace avsview
