// StreamNames.h - names derived for a new stream: the temporary clip file's path and
// the file name proposed when the user is offered to keep the clip.
#pragma once

#include <windows.h>

enum
{
    kStreamNameSize = 256  // size of the instance's path and name fields, NUL included
};

class CStreamFile;

// Creates the temporary clip file of a new stream in the system temporary directory under a
// unique name ("ZEV" and hex digits, the system's temporary extension replaced by "avi") and
// writes its path to pszPath. The .avi file is created exclusively: a name whose .avi file
// exists already (another instance's or another program's) is passed over, never opened, and
// the next name is tried. FALSE, with pszPath empty, when no name can be obtained, none fits
// the field or the file cannot be created. The placeholder files that the system creates for
// the names are deleted either way.
BOOL CreateTempClipFile(CStreamFile& file, char (&pszPath)[kStreamNameSize]);

// A URL names a local file when it begins with "file:" exactly (case matters).
BOOL IsLocalUrl(const char* pszUrl);

// The file name after the URL's last ':', '/', '\\' or '|', or any other character that a
// Windows file name cannot hold ('?', '*', '"', '<', '>' and control characters), the whole
// URL when none occurs; its last character is replaced by 'i' (clip.avs becomes clip.avi,
// get.cgi?id=7&f=clip.avs becomes id=7&f=clip.avi). A name longer than the field keeps its
// last characters, so its extension survives.
void MakeSaveName(const char* pszUrl, char (&pszName)[kStreamNameSize]);
