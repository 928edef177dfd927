// StreamFile.h - the temporary clip file of the stream being received: the stream format's
// reassembler (avsformat) rebuilds the clip in it (header, placed block, clip data from offset
// 0), and this class decides when playback starts and extends.
#pragma once

#include <windows.h>

#include "HeldBlock.h"
#include "SharedFile.h"
#include "stream_header.h"
#include "stream_placement.h"
#include "stream_reassembler.h"

// The two little-endian words at the start of every stream.
typedef avs::StreamHeader StreamHeader;

class CStreamFile : private avs::ClipWriter
{
public:
    enum
    {
        kHeaderBytes = avs::kStreamHeaderSize,         // size of StreamHeader in the stream
        kUnknownStartBytes = avs::kUnknownStartBytes,  // start threshold before the header has arrived
        kExtendInterval = 15000,                       // milliseconds between two extensions of playback
        kExtendHoldBack = 100,                         // frames held back behind the playable estimate
        // How far the file may reach beyond the clip data written so far. Writing a placed
        // block further out would make the system allocate (and on Windows zero-fill) the gap
        // for bytes that have not arrived: such a block is held aside until the clip data has
        // come this close to its offset.
        kMaxGapAhead = avs::kMaxGapAhead
    };

    // dwStreamEnd is the stream length the browser announces (0 = not known); nMaxGapAhead
    // how far the file may reach beyond the clip data written (kMaxGapAhead but in tests).
    explicit CStreamFile(DWORD dwStreamEnd, DWORD nMaxGapAhead = kMaxGapAhead);

    // Creates the temporary file; it must not exist yet. FALSE when it cannot be created,
    // with *pbNameTaken TRUE when a file of that name exists (it is left alone).
    BOOL CreateNew(const char* pszPath, BOOL* pbNameTaken) { return m_file.CreateNew(pszPath, pbNameTaken); }

    // The browser may learn or correct the length while the stream runs: the stream side
    // hands over its current value before every use.
    void SetStreamEnd(DWORD dwStreamEnd);

    // Takes the next chunk of the stream and writes it where it belongs. FALSE ends the
    // stream: a header whose placed block cannot belong to the stream as announced now (the
    // header is judged again whenever the length changes), a file position that cannot be
    // reached, a failed write, or a file already closed. After a failure nothing more is
    // written.
    BOOL Receive(const void* pData, DWORD nBytes);

    // TRUE once the bytes received reach the start threshold, whatever chunk brought them,
    // with the placed block in its place: playback may start and extend.
    BOOL IsPlayable() const;

    // Automatic playback tries to start once per stream.
    BOOL WasStartTried() const { return m_bStartTried; }
    void SetStartTried() { m_bStartTried = TRUE; }

    DWORD GetStartBytes() const { return m_nStartBytes; }
    ULONGLONG GetBytesReceived() const { return m_reassembler.bytesReceived(); }
    BOOL HasFailed() const { return m_bFailed; }
    // TRUE while the placed block waits aside for the clip data to come close enough.
    BOOL IsBlockHeld() const { return m_reassembler.blockHeld(); }

    // Extension of progressive playback. IsExtensionDue starts the clock at the stream's
    // first test and is TRUE once kExtendInterval has passed since the last extension, or
    // while playback has just started (nSyncFrame 1). PlayableEstimate is the frame reached
    // by the share of the clip downloaded so far (0 while the stream's length is not known,
    // or is less than what arrived). ReleasePoint is the frame kExtendHoldBack short of the
    // estimate when the estimate lies more than nStep frames past the release point
    // nSyncFrame, else 0 (nothing to release): it never passes what has arrived.
    BOOL IsExtensionDue(DWORD dwNow, DWORD nSyncFrame);
    DWORD PlayableEstimate(DWORD nLength) const;
    DWORD ReleasePoint(DWORD nLength, DWORD nSyncFrame, DWORD nStep) const;
    void RestartClock(DWORD dwNow) { m_dwLastExtendTick = dwNow; }

    // Length of the temporary file so far (buffered bytes flushed first); 0 once closed.
    DWORD GetLength() { return m_file.GetLength(); }
    // Makes everything received so far visible to other openers of the file.
    void Flush() { m_file.Flush(); }
    // Closes the file early; later chunks are refused. Remembers whether the close lost data.
    void CloseFile();
    // Closes the file and tells whether a clip arrived completely: nothing failed, every
    // byte reached the file, and the stream format's completeness rule holds - with the
    // length known at the end, or, when none was ever announced, by the clip's own RIFF size
    // if the stream ended normally (bEndedNormally).
    BOOL Finish(BOOL bEndedNormally);

private:
    // The clip writer the reassembler drives: positioned writes into the temporary file, and
    // the holding file for a placed block that may not be written yet.
    bool seekTo(uint64_t offset) override;
    bool write(const uint8_t* data, std::size_t length) override;
    bool holdBlock(uint64_t clipOffset, const uint8_t* data, std::size_t length) override;
    bool writeHeldBlock() override;

    BOOL Fail();
    ULONGLONG ClipRiffLength();

    CSharedFile m_file;                    // the temporary clip file
    CHeldBlock m_heldBlock;                // the placed block while it waits aside
    DWORD m_dwStreamEnd;                   // stream length announced by the browser, 0 = not known
    DWORD m_nMaxGapAhead;                  // how far the file may reach beyond the clip data written
    avs::StreamReassembler m_reassembler;  // places the stream's bytes through this writer
    BOOL m_bFailed;                        // the stream was refused or a write failed; nothing more is taken
    DWORD m_nStartBytes;                   // stream offset at which playback starts
    BOOL m_bStartTried;                    // automatic playback has tried to start
    BOOL m_bClockSet;                      // the extension clock has been started
    DWORD m_dwLastExtendTick;              // tick count of the last extension (or of the clock's start)
    BOOL m_bCloseFailed;                   // closing the file could not write its last bytes
};
