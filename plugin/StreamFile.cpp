// StreamFile.cpp - the clip file under the stream's reassembly, and the progressive-playback rules.
#include "StreamFile.h"

#include "stream_acceptance.h"

CStreamFile::CStreamFile(DWORD dwStreamEnd, DWORD nMaxGapAhead)
    : m_dwStreamEnd(dwStreamEnd), m_nMaxGapAhead(nMaxGapAhead), m_reassembler(*this, dwStreamEnd, nMaxGapAhead),
      m_bFailed(FALSE), m_nStartBytes(kUnknownStartBytes), m_bStartTried(FALSE), m_bClockSet(FALSE),
      m_dwLastExtendTick(0), m_bCloseFailed(FALSE)
{}

void CStreamFile::SetStreamEnd(DWORD dwStreamEnd)
{
    m_dwStreamEnd = dwStreamEnd;
    m_reassembler.setAnnouncedLength(dwStreamEnd);
}

BOOL CStreamFile::Receive(const void* pData, DWORD nBytes)
{
    if (m_bFailed || !m_file.IsOpen())
        return Fail();
    if (m_reassembler.feed(static_cast<const uint8_t*>(pData), nBytes) != avs::FeedResult::Taken)
        return Fail();
    if (m_reassembler.headerComplete())
        m_nStartBytes = avs::startBytes(m_reassembler.header(), m_nMaxGapAhead);
    return TRUE;
}

bool CStreamFile::seekTo(uint64_t offset)
{
    static_assert(avs::kMaxBlockOffset <= CSharedFile::kMaxPosition, "a block offset taken must be reachable");
    return offset <= CSharedFile::kMaxPosition && m_file.SeekTo(static_cast<DWORD>(offset));
}

bool CStreamFile::write(const uint8_t* data, std::size_t length)
{
    return m_file.Write(data, static_cast<DWORD>(length)) != FALSE;
}

// The holding file is made with the block's first bytes.
bool CStreamFile::holdBlock(uint64_t, const uint8_t* data, std::size_t length)
{
    return (m_heldBlock.IsHeld() || m_heldBlock.Create()) && m_heldBlock.Append(data, static_cast<DWORD>(length));
}

bool CStreamFile::writeHeldBlock()
{
    return m_heldBlock.WriteTo(m_file) != FALSE;
}

BOOL CStreamFile::Fail()
{
    m_bFailed = TRUE;
    return FALSE;
}

BOOL CStreamFile::IsPlayable() const
{
    return m_reassembler.blockInPlace() && m_reassembler.bytesReceived() >= m_nStartBytes;
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
    ULONGLONG nReceived = m_reassembler.bytesReceived();
    DWORD nBlock = m_reassembler.header().blockLength;
    if (nReceived > m_dwStreamEnd || m_dwStreamEnd <= nBlock || nReceived < nBlock)
        return 0;
    ULONGLONG nArrived = nReceived - nBlock;
    ULONGLONG nExpected = m_dwStreamEnd - nBlock;
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
    ULONGLONG nRiffLength = m_reassembler.blockInPlace() ? ClipRiffLength() : 0;
    avs::StreamEnd end = m_reassembler.streamEnd(bEndedNormally != FALSE, nRiffLength);
    CloseFile();
    return !m_bCloseFailed && !m_bFailed && avs::isCompleteStream(end);
}
