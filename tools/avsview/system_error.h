// Text of a Windows error code, for messages.
#pragma once

#include <windows.h>

#include <string>

namespace avsview {

// The system's message for code (or for GetLastError() when code is 0), without
// a trailing line break; the number when the system has no text.
std::string systemErrorText(DWORD code = 0);

}  // namespace avsview
