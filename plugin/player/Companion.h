// The companion player's launches: its profile file, the one-line Go page that
// sends the browser to the clip gallery, and the About switch of its program.
#pragma once

#include <windows.h>

// Web address of the product's clip gallery, the target of the Go page.
extern const char g_szGalleryUrl[];

// The companion player's directory from its profile file ("C:\vedorer" when the
// file or the key is missing), at most nSize - 1 characters.
void ReadCompanionDirectory(char* pszBuffer, DWORD nSize);
