// SharedFile.h - the temporary clip file as a buffered, byte-exact runtime stream that other
// openers (the MCI device) may read and write while it is being filled.
#pragma once

#include <stdio.h>
#include <windows.h>

class CSharedFile
{
public:
    // Farthest position SeekTo reaches (the runtime's positioning range).
    static const DWORD kMaxPosition = 0x7FFFFFFF;

    CSharedFile() : m_pFile(NULL) {}
    ~CSharedFile() { Close(); }

    // Creates a new file for reading and writing, shared for both with other openers,
    // without newline translation. A file of that name is never opened or truncated:
    // FALSE then, with *pbNameTaken TRUE (FALSE for any other failure).
    BOOL CreateNew(const char* pszPath, BOOL* pbNameTaken);
    BOOL IsOpen() const { return m_pFile != NULL; }

    // Writes through the runtime's stream buffer; FALSE when not every byte was taken.
    BOOL Write(const void* pData, DWORD nBytes);
    // Positions from the start of the file; FALSE beyond kMaxPosition or when the
    // buffered bytes cannot be written out first.
    BOOL SeekTo(DWORD dwPos);
    // Reads nBytes from dwPos on (buffered bytes written first); the write position is
    // left there. FALSE when fewer bytes are there.
    BOOL ReadAt(DWORD dwPos, void* pData, DWORD nBytes);
    // Hands the buffered bytes to the system so that other openers see them.
    BOOL Flush();
    // Current length in bytes, buffered bytes included (they are flushed first);
    // the write position does not move.
    DWORD GetLength();
    // Closes the file; FALSE when the last buffered bytes could not be written.
    // Closing a closed file succeeds and does nothing.
    BOOL Close();

private:
    FILE* m_pFile;  // the runtime stream, NULL when closed

    CSharedFile(const CSharedFile&) = delete;
    CSharedFile& operator=(const CSharedFile&) = delete;
};
