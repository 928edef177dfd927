// Conversion of G.723.1 frames to 16-bit PCM for one stream.
#include "G7231Stream.h"

#include <msacm.h>

#include "speechdec.h"

namespace {

// Bytes a frame occupies in AVI and WAV data: as the decoder counts them,
// except the untransmitted marker, which files hold as its one byte.
DWORD FrameBytes(BYTE bFirst)
{
    const int32_t nKind = bFirst & 3;
    return nKind == 3 ? 1 : static_cast<DWORD>(speechdecFrameBytes(nKind));
}

}  // namespace

CG7231Stream::CG7231Stream() : m_nFrameBytes(0)
{
    Reset();
}

void CG7231Stream::Reset()
{
    m_decoder.reset(1);
    m_nFrameBytes = 0;
}

// Bytes still missing of the frame being assembled, whose first byte is
// either held already or bNext.
DWORD CG7231Stream::MissingBytes(BYTE bNext) const
{
    return FrameBytes(m_nFrameBytes > 0 ? m_abFrame[0] : bNext) - m_nFrameBytes;
}

void CG7231Stream::Keep(const BYTE* pbBytes, DWORD cbBytes)
{
    CopyMemory(m_abFrame + m_nFrameBytes, pbBytes, cbBytes);
    m_nFrameBytes += cbBytes;
}

// The decoder reads whole 16-bit words, one more byte than an untransmitted
// frame has in a file: it decodes from a zero-padded copy, never from the
// caller's buffer. A null frame is a lost frame.
void CG7231Stream::DecodeFrame(const BYTE* pbFrame, BYTE* pbDst)
{
    BYTE abPadded[kLargestFrameBytes] = {0};
    if (pbFrame != NULL)
    {
        CopyMemory(abPadded, pbFrame, FrameBytes(pbFrame[0]));
    }
    int16_t anSamples[kFrameSamples];
    m_decoder.decodeSoundFrame(pbFrame != NULL ? abPadded : NULL, anSamples);
    CopyMemory(pbDst, anSamples, kPcmFrameBytes);
    m_nFrameBytes = 0;
}

void CG7231Stream::Convert(const BYTE* pbSrc, DWORD cbSrc, BYTE* pbDst, DWORD cbDst, DWORD fdwConvert,
                           DWORD* pcbSrcUsed, DWORD* pcbDstUsed)
{
    if (fdwConvert & ACM_STREAMCONVERTF_START)
        Reset();
    DWORD nSrc = 0;
    DWORD nDst = 0;
    while (nSrc < cbSrc)
    {
        const DWORD nMissing = MissingBytes(pbSrc[nSrc]);
        if (cbSrc - nSrc < nMissing)
        {
            // The block ends inside this frame: its bytes wait for the next one.
            if (!(fdwConvert & ACM_STREAMCONVERTF_BLOCKALIGN))
            {
                Keep(pbSrc + nSrc, cbSrc - nSrc);
                nSrc = cbSrc;
            }
            break;
        }
        if (cbDst - nDst < kPcmFrameBytes)
            break;
        Keep(pbSrc + nSrc, nMissing);
        nSrc += nMissing;
        DecodeFrame(m_abFrame, pbDst + nDst);
        nDst += kPcmFrameBytes;
    }
    // A stream that ends inside a frame: the frame counts as lost.
    if ((fdwConvert & ACM_STREAMCONVERTF_END) && nSrc == cbSrc && m_nFrameBytes > 0 && cbDst - nDst >= kPcmFrameBytes)
    {
        DecodeFrame(NULL, pbDst + nDst);
        nDst += kPcmFrameBytes;
    }
    *pcbSrcUsed = nSrc;
    *pcbDstUsed = nDst;
}
