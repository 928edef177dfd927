// One conversion stream: its own decoder, and the bytes of a frame that the
// last source block ended inside of, kept for the next conversion.
#pragma once

#include <windows.h>

#include "decoder_state.h"
#include "G7231Formats.h"

class CG7231Stream
{
public:
    CG7231Stream();

    // Starts again from a fresh decoder with nothing carried over.
    void Reset();

    // Decodes the frames of pbSrc (frames split by their kind bits, as in AVI
    // and WAV data) into pbDst, 480 bytes per frame, as far as the
    // destination has room. A frame that the source ends inside of is kept
    // for the next call, unless fdwConvert asks for whole blocks only
    // (ACM_STREAMCONVERTF_BLOCKALIGN); at the stream's end
    // (ACM_STREAMCONVERTF_END) it is played as a lost frame.
    // ACM_STREAMCONVERTF_START resets first. Reports the bytes used of each.
    void Convert(const BYTE* pbSrc, DWORD cbSrc, BYTE* pbDst, DWORD cbDst, DWORD fdwConvert, DWORD* pcbSrcUsed,
                 DWORD* pcbDstUsed);

private:
    DWORD MissingBytes(BYTE bNext) const;
    void Keep(const BYTE* pbBytes, DWORD cbBytes);
    void DecodeFrame(const BYTE* pbFrame, BYTE* pbDst);

    DecoderState m_decoder;              // this stream's decoder
    BYTE m_abFrame[kLargestFrameBytes];  // the frame being assembled
    DWORD m_nFrameBytes;                 // bytes of it present so far
};
