// The module (DLL or program) that this code is linked into: the instance
// handle for the windows it creates and the module its resources come from.
#pragma once

#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

inline HINSTANCE GetLibraryInstance()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}
