// HeldBlock.h - a placed block kept aside, in a temporary file of its own, until the clip data
// has come close enough to the block's offset for the block to be written there.
#pragma once

#include <windows.h>

class CSharedFile;

class CHeldBlock
{
public:
    CHeldBlock() : m_hFile(INVALID_HANDLE_VALUE), m_nBytes(0) {}
    ~CHeldBlock() { Release(); }

    // Creates the holding file in the system temporary directory. The system deletes it
    // when it is released, or when the process ends without releasing it.
    BOOL Create();
    BOOL IsHeld() const { return m_hFile != INVALID_HANDLE_VALUE; }

    // Appends block bytes as they arrive.
    BOOL Append(const void* pData, DWORD nBytes);
    // Writes every byte held to the clip file at its current position, then releases the
    // holding file. FALSE when a byte could not be read back or written.
    BOOL WriteTo(CSharedFile& file);
    void Release();

private:
    HANDLE m_hFile;  // the holding file, INVALID_HANDLE_VALUE when none
    DWORD m_nBytes;  // bytes held

    CHeldBlock(const CHeldBlock&) = delete;
    CHeldBlock& operator=(const CHeldBlock&) = delete;
};
