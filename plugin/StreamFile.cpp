// StreamFile.cpp - reassembly of one stream into its clip file and the progressive-playback rules.
#include "StreamFile.h"

#include <algorithm>

namespace
{
DWORD ReadLittleEndian32(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 | static_cast<DWORD>(p[2]) << 16 |
           static_cast<DWORD>(p[3]) << 24;
}
}

CStreamFile::CStreamFile(DWORD dwStreamEnd)
    : m_dwStreamEnd(dwStreamEnd), m_state(kHeader), m_abHeader(), m_nHeaderBytes(0), m_header(),
      m_nBlockRemaining(0), m_nStartBytes(kUnknownStartBytes), m_nBytesReceived(0), m_bClipChunk(FALSE),
      m_bClockSet(FALSE), m_dwLastExtendTick(0), m_bCloseFailed(FALSE)
{
}

BOOL CStreamFile::Receive(const void* pData, DWORD nBytes)
{
    m_bClipChunk = m_state == kClipData;
    if (m_state == kFailed || !m_file.IsOpen())
        return Fail();
    m_nBytesReceived += nBytes;
    const BYTE* pNext = static_cast<const BYTE*>(pData);
    if (m_state == kHeader && !TakeHeader(pNext, nBytes))
        return Fail();
    if (m_state == kBlock && !TakeBlock(pNext, nBytes))
        return Fail();
    if (m_state == kClipData && nBytes != 0 && !m_file.Write(pNext, nBytes))
        return Fail();
    return TRUE;
}

// Collects header bytes (the header may be split over chunks), then checks the header
// and positions the file for the placed block.
BOOL CStreamFile::TakeHeader(const BYTE*& pData, DWORD& nBytes)
{
    DWORD nTake = std::min<DWORD>(kHeaderBytes - m_nHeaderBytes, nBytes);
    std::copy(pData, pData + nTake, m_abHeader + m_nHeaderBytes);
    m_nHeaderBytes += nTake;
    pData += nTake;
    nBytes -= nTake;
    if (m_nHeaderBytes < kHeaderBytes)
        return TRUE;

    m_header.blockOffset = ReadLittleEndian32(m_abHeader);
    m_header.blockLength = ReadLittleEndian32(m_abHeader + 4);
    if (!BlockFits())
        return FALSE;
    m_nStartBytes = std::min<DWORD>(m_header.blockLength, 0xFFFFFFFF - kStartAfterBlock) + kStartAfterBlock;
    m_nBlockRemaining = m_header.blockLength;
    if (m_nBlockRemaining == 0)
        return StartClipData();
    m_state = kBlock;
    return m_file.SeekTo(m_header.blockOffset);
}

// A placed block must lie inside the clip that the announced stream can deliver:
// the clip data fills offsets 0 .. end - 8 - blockLength - 1 and the block may not lie
// beyond that, or the file would be padded up to an offset no data will ever reach.
BOOL CStreamFile::BlockFits() const
{
    if (m_header.blockLength == 0)
        return TRUE;
    ULONGLONG nLimit = kUnannouncedBlockLimit;
    if (m_dwStreamEnd != 0)
        nLimit = m_dwStreamEnd < kHeaderBytes ? 0 : m_dwStreamEnd - kHeaderBytes;
    return static_cast<ULONGLONG>(m_header.blockOffset) + m_header.blockLength <= nLimit;
}

BOOL CStreamFile::TakeBlock(const BYTE*& pData, DWORD& nBytes)
{
    DWORD nTake = std::min(m_nBlockRemaining, nBytes);
    if (nTake != 0 && !m_file.Write(pData, nTake))
        return FALSE;
    m_nBlockRemaining -= nTake;
    pData += nTake;
    nBytes -= nTake;
    return m_nBlockRemaining != 0 || StartClipData();
}

BOOL CStreamFile::StartClipData()
{
    m_state = kClipData;
    return m_file.SeekTo(0);
}

BOOL CStreamFile::Fail()
{
    m_state = kFailed;
    return FALSE;
}

BOOL CStreamFile::CoversStart(DWORD dwOffset, DWORD nBytes) const
{
    return dwOffset < m_nStartBytes && m_nStartBytes <= static_cast<ULONGLONG>(dwOffset) + nBytes;
}

BOOL CStreamFile::IsExtensionDue(DWORD dwNow, DWORD nSyncFrame)
{
    if (!m_bClockSet)
    {
        m_dwLastExtendTick = dwNow;
        m_bClockSet = TRUE;
    }
    return dwNow - m_dwLastExtendTick >= kExtendInterval || nSyncFrame == 1;
}

DWORD CStreamFile::PlayableEstimate(DWORD nLength) const
{
    DWORD nArrived = m_nBytesReceived - m_header.blockLength;
    DWORD nExpected = m_dwStreamEnd - m_header.blockLength;
    if (nExpected == 0)
        return 0;
    double dFrames = static_cast<double>(nArrived) / static_cast<double>(nExpected) * nLength;
    return dFrames >= 4294967295.0 ? 0xFFFFFFFF : static_cast<DWORD>(dFrames);
}

BOOL CStreamFile::HasAdvanced(DWORD nEstimate, DWORD nSyncFrame, DWORD nStep)
{
    return nEstimate - nSyncFrame > nStep;
}

void CStreamFile::CloseFile()
{
    if (m_file.IsOpen() && !m_file.Close())
        m_bCloseFailed = TRUE;
}

BOOL CStreamFile::Finish()
{
    CloseFile();
    return m_state != kHeader && m_state != kFailed && !m_bCloseFailed && m_dwStreamEnd != 0 &&
           m_nBytesReceived == m_dwStreamEnd;
}
