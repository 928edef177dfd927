// StreamNames.h - names derived for a new stream: the temporary clip file's path and
// the file name proposed when the user is offered to keep the clip.
#pragma once

#include <windows.h>

enum
{
    kStreamNameSize = 256  // size of the instance's path and name fields, NUL included
};

// Obtains a unique temporary file name in the system temporary directory ("ZEV" and hex
// digits, the system's temporary extension replaced by "avi") and writes it to pszPath.
// FALSE, with pszPath empty, when no name can be obtained or it does not fit the field;
// the placeholder file that the system creates for the name is deleted either way.
BOOL MakeTempClipPath(char (&pszPath)[kStreamNameSize]);

// A URL names a local file when it begins with "file:" exactly (case matters).
BOOL IsLocalUrl(const char* pszUrl);

// The file name after the URL's last ':', '/', '\\' or '|' (the whole URL when none
// occurs), its last character replaced by 'i' (clip.avs becomes clip.avi). A name
// longer than the field keeps its last characters, so its extension survives.
void MakeSaveName(const char* pszUrl, char (&pszName)[kStreamNameSize]);
