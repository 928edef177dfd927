// StreamFile.cpp - reassembly of one stream into its clip file and the progressive-playback rules.
#include "StreamFile.h"

#include <algorithm>

#include "stream_acceptance.h"
#include "stream_completeness.h"

CStreamFile::CStreamFile(DWORD dwStreamEnd, DWORD nMaxGapAhead)
    : m_dwStreamEnd(dwStreamEnd), m_nMaxGapAhead(nMaxGapAhead), m_state(kHeader), m_abHeader(), m_nHeaderBytes(0),
      m_header(), m_nBlockRemaining(0), m_nClipWritten(0), m_nPlaceHeldAt(0), m_nStartBytes(kUnknownStartBytes),
      m_nBytesReceived(0), m_bStartTried(FALSE), m_bClockSet(FALSE), m_dwLastExtendTick(0), m_bCloseFailed(FALSE)
{}

BOOL CStreamFile::Receive(const void* pData, DWORD nBytes)
{
    if (m_state == kFailed || !m_file.IsOpen() || (m_state != kHeader && !BlockFits()))
        return Fail();
    m_nBytesReceived += nBytes;
    const BYTE* pNext = static_cast<const BYTE*>(pData);
    if (m_state == kHeader && !TakeHeader(pNext, nBytes))
        return Fail();
    if (m_state == kBlock && !TakeBlock(pNext, nBytes))
        return Fail();
    if (m_state == kClipData && nBytes != 0 && !TakeClipData(pNext, nBytes))
        return Fail();
    return TRUE;
}

// Collects header bytes (the header may be split over chunks), then checks the header
// and prepares the placed block.
BOOL CStreamFile::TakeHeader(const BYTE*& pData, DWORD& nBytes)
{
    DWORD nTake = std::min<DWORD>(kHeaderBytes - m_nHeaderBytes, nBytes);
    std::copy(pData, pData + nTake, m_abHeader + m_nHeaderBytes);
    m_nHeaderBytes += nTake;
    pData += nTake;
    nBytes -= nTake;
    if (m_nHeaderBytes < kHeaderBytes)
        return TRUE;

    m_header = avs::decodeStreamHeader(m_abHeader);
    if (!BlockFits())
        return FALSE;
    m_nStartBytes = avs::startBytes(m_header, m_nMaxGapAhead);
    m_nBlockRemaining = m_header.blockLength;
    if (m_nBlockRemaining == 0)
        return StartClipData();
    return StartBlock();
}

// The placed block must fit the stream as announced so far and start where the file can be
// positioned.
BOOL CStreamFile::BlockFits() const
{
    static_assert(avs::kMaxBlockOffset <= CSharedFile::kMaxPosition, "a block offset taken must be reachable");
    return avs::acceptsHeader(m_header, m_dwStreamEnd);
}

// A block within reach goes to its offset at once; one further out is held aside (playback
// cannot start before it has reached its place).
BOOL CStreamFile::StartBlock()
{
    m_state = kBlock;
    if (avs::mayPlaceBlock(m_header, m_nClipWritten, m_nMaxGapAhead))
        return m_file.SeekTo(m_header.blockOffset);
    m_nPlaceHeldAt = avs::blockPlacementPoint(m_header, m_nMaxGapAhead);
    return m_heldBlock.Create();
}

BOOL CStreamFile::TakeBlock(const BYTE*& pData, DWORD& nBytes)
{
    DWORD nTake = std::min(m_nBlockRemaining, nBytes);
    if (nTake != 0 && !(IsBlockHeld() ? m_heldBlock.Append(pData, nTake) : m_file.Write(pData, nTake)))
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

// A held block goes to its place as soon as the clip data may reach m_nMaxGapAhead before it,
// before any clip data can reach the block's own bytes.
BOOL CStreamFile::TakeClipData(const BYTE* pData, DWORD nBytes)
{
    if (IsBlockHeld() && avs::mayPlaceBlock(m_header, m_nClipWritten + nBytes, m_nMaxGapAhead))
    {
        DWORD nBefore = static_cast<DWORD>(m_nPlaceHeldAt - m_nClipWritten);
        if (nBefore != 0 && !m_file.Write(pData, nBefore))
            return FALSE;
        m_nClipWritten += nBefore;
        pData += nBefore;
        nBytes -= nBefore;
        if (!PlaceHeldBlock())
            return FALSE;
    }
    if (nBytes != 0 && !m_file.Write(pData, nBytes))
        return FALSE;
    m_nClipWritten += nBytes;
    return TRUE;
}

BOOL CStreamFile::PlaceHeldBlock()
{
    return m_file.SeekTo(m_header.blockOffset) && m_heldBlock.WriteTo(m_file) &&
           m_file.SeekTo(static_cast<DWORD>(m_nClipWritten));
}

BOOL CStreamFile::Fail()
{
    m_state = kFailed;
    return FALSE;
}

BOOL CStreamFile::IsPlayable() const
{
    return IsBlockInPlace() && m_nBytesReceived >= m_nStartBytes;
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
    if (m_nBytesReceived > m_dwStreamEnd || m_dwStreamEnd <= m_header.blockLength ||
        m_nBytesReceived < m_header.blockLength)
        return 0;
    ULONGLONG nArrived = m_nBytesReceived - m_header.blockLength;
    ULONGLONG nExpected = m_dwStreamEnd - m_header.blockLength;
    return static_cast<DWORD>(static_cast<double>(nArrived) / static_cast<double>(nExpected) * nLength);
}

DWORD CStreamFile::ReleasePoint(DWORD nLength, DWORD nSyncFrame, DWORD nStep) const
{
    DWORD nEstimate = PlayableEstimate(nLength);
    if (nEstimate <= nSyncFrame || nEstimate - nSyncFrame <= nStep || nEstimate <= kExtendHoldBack)
        return 0;
    return nEstimate - kExtendHoldBack;
}

void CStreamFile::CloseFile()
{
    if (m_file.IsOpen() && !m_file.Close())
        m_bCloseFailed = TRUE;
}

// The RIFF size of the clip as the file holds it (0 when the file is closed or holds no RIFF header).
ULONGLONG CStreamFile::ClipRiffLength()
{
    BYTE head[kHeaderBytes];
    if (!m_file.ReadAt(0, head, sizeof(head)))
        return 0;
    return avs::riffFileLength(head);
}

BOOL CStreamFile::Finish(BOOL bEndedNormally)
{
    avs::StreamEnd end;
    end.header = m_header;
    end.blockInPlace = IsBlockInPlace() != FALSE;
    end.bytesReceived = m_nBytesReceived;
    end.announcedLength = m_dwStreamEnd;
    end.endedNormally = bEndedNormally != FALSE;
    end.gaplessLength = avs::gaplessClipLength(m_header, end.blockInPlace, m_nClipWritten);
    end.riffLength = end.blockInPlace ? ClipRiffLength() : 0;
    CloseFile();
    return !m_bCloseFailed && avs::isCompleteStream(end);
}
