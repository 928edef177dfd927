// CStreamFile: the buffered temporary file into which a stream's bytes are
// written while the player may open the same file for reading.
#pragma once

#include <stdio.h>
#include <windows.h>

class CStreamFile
{
public:
    CStreamFile() : m_pFile(NULL) {}
    ~CStreamFile() { Close(); }

    // Creates (or truncates) the file for reading and writing in binary mode,
    // shared with other readers and writers. FALSE when it cannot be opened.
    BOOL Open(const char* pszPath);
    // Flushes and closes the file; the object may be opened again.
    void Close();
    BOOL IsOpen() const { return m_pFile != NULL; }

private:
    FILE* m_pFile;  // the runtime's buffered stream, NULL when closed

    CStreamFile(const CStreamFile&) = delete;
    CStreamFile& operator=(const CStreamFile&) = delete;
};
