// The stream messages: a stream is opened for G.723.1 to 8000 Hz mono 16-bit
// PCM only, and carries its CG7231Stream in the instance's dwDriver.
#include "G7231Driver.h"

#include <new>

#include "G7231Formats.h"
#include "G7231Stream.h"

namespace {

CG7231Stream* StreamOf(LPACMDRVSTREAMINSTANCE padsi)
{
    return reinterpret_cast<CG7231Stream*>(padsi->dwDriver);
}

}  // namespace

LRESULT CG7231Driver::OnStreamOpen(LPACMDRVSTREAMINSTANCE padsi)
{
    if (padsi->pwfltr != NULL || !IsG7231Format(padsi->pwfxSrc) || !IsPcmFormat(padsi->pwfxDst))
    {
        return ACMERR_NOTPOSSIBLE;
    }
    if (padsi->fdwOpen & ACM_STREAMOPENF_ASYNC)
        return ACMERR_NOTPOSSIBLE;
    if (padsi->fdwOpen & ACM_STREAMOPENF_QUERY)
        return MMSYSERR_NOERROR;
    CG7231Stream* pStream = new (std::nothrow) CG7231Stream;
    if (pStream == NULL)
        return MMSYSERR_NOMEM;
    padsi->dwDriver = reinterpret_cast<DWORD_PTR>(pStream);
    return MMSYSERR_NOERROR;
}

LRESULT CG7231Driver::OnStreamClose(LPACMDRVSTREAMINSTANCE padsi)
{
    delete StreamOf(padsi);
    padsi->dwDriver = 0;
    return MMSYSERR_NOERROR;
}

// From the source: every byte may be a whole untransmitted frame (and a
// frame the stream ends inside of is played as a lost one), so that is what
// a destination must hold. From the destination: whole 6.3 kbit/s frames.
LRESULT CG7231Driver::OnStreamSize(LPACMDRVSTREAMINSTANCE, LPACMDRVSTREAMSIZE padss)
{
    switch (padss->fdwSize & ACM_STREAMSIZEF_QUERYMASK)
    {
    case ACM_STREAMSIZEF_SOURCE:
    {
        const DWORD nFrames = padss->cbSrcLength > 0 ? padss->cbSrcLength : 1;
        if (nFrames > MAXDWORD / kPcmFrameBytes)
            return ACMERR_NOTPOSSIBLE;
        padss->cbDstLength = nFrames * kPcmFrameBytes;
        return MMSYSERR_NOERROR;
    }
    case ACM_STREAMSIZEF_DESTINATION:
        if (padss->cbDstLength < kPcmFrameBytes)
            return ACMERR_NOTPOSSIBLE;
        padss->cbSrcLength = padss->cbDstLength / kPcmFrameBytes * kLargestFrameBytes;
        return MMSYSERR_NOERROR;
    default:
        return MMSYSERR_NOTSUPPORTED;
    }
}

LRESULT CG7231Driver::OnStreamConvert(LPACMDRVSTREAMINSTANCE padsi, LPACMDRVSTREAMHEADER padsh)
{
    StreamOf(padsi)->Convert(padsh->pbSrc, padsh->cbSrcLength, padsh->pbDst, padsh->cbDstLength, padsh->fdwConvert,
                             &padsh->cbSrcLengthUsed, &padsh->cbDstLengthUsed);
    return MMSYSERR_NOERROR;
}

LRESULT CG7231Driver::OnStreamReset(LPACMDRVSTREAMINSTANCE padsi)
{
    StreamOf(padsi)->Reset();
    return MMSYSERR_NOERROR;
}
