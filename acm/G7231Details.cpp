// What the driver tells about itself and its formats: driver details, the
// about box, format tag and format details, and the format it suggests.
#include "G7231Driver.h"

#include <cwchar>

#include "G7231Formats.h"

namespace {

const WCHAR s_szShortName[] = L"G.723.1";
const WCHAR s_szLongName[] = L"Movara G.723.1 speech decoder";
const WCHAR s_szFeatures[] =
    L"Decodes G.723.1 speech (6.3 and 5.3 kbit/s, silence frames) to 16-bit mono PCM at 8 kHz. "
    L"Encoding is not offered.";

// Copies the first cbStruct bytes of a filled record to the caller's and
// tells how many were written.
template <typename T>
void CopyRecord(T* pDst, T& src)
{
    const DWORD cbStruct = pDst->cbStruct < sizeof(T) ? pDst->cbStruct : sizeof(T);
    src.cbStruct = cbStruct;
    CopyMemory(pDst, &src, cbStruct);
}

// Index 0 is PCM, index 1 G.723.1.
WORD FormatTagOfIndex(DWORD nIndex)
{
    return nIndex == 0 ? WAVE_FORMAT_PCM : kG7231FormatTag;
}

}  // namespace

LRESULT CG7231Driver::OnDriverDetails(LPACMDRIVERDETAILSW padd)
{
    ACMDRIVERDETAILSW add = {};
    add.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
    add.fccComp = ACMDRIVERDETAILS_FCCCOMP_UNDEFINED;
    add.wMid = MM_UNMAPPED;
    add.wPid = MM_PID_UNMAPPED;
    add.vdwACM = MAKE_ACM_VERSION(3, 50, 0);
    add.vdwDriver = MAKE_ACM_VERSION(1, 0, 0);
    add.fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
    add.cFormatTags = kFormatTagCount;
    add.cFilterTags = 0;
    lstrcpynW(add.szShortName, s_szShortName, ACMDRIVERDETAILS_SHORTNAME_CHARS);
    lstrcpynW(add.szLongName, s_szLongName, ACMDRIVERDETAILS_LONGNAME_CHARS);
    lstrcpynW(add.szCopyright, L"Copyright Movara", ACMDRIVERDETAILS_COPYRIGHT_CHARS);
    lstrcpynW(add.szFeatures, s_szFeatures, ACMDRIVERDETAILS_FEATURES_CHARS);
    CopyRecord(padd, add);
    return MMSYSERR_NOERROR;
}

// hwnd -1 asks whether the driver has an about box of its own.
LRESULT CG7231Driver::OnAbout(HWND hwnd)
{
    if (hwnd == reinterpret_cast<HWND>(-1))
        return MMSYSERR_NOERROR;
    MessageBoxW(hwnd, s_szFeatures, s_szLongName, MB_OK | MB_ICONINFORMATION);
    return MMSYSERR_NOERROR;
}

LRESULT CG7231Driver::OnFormatTagDetails(LPACMFORMATTAGDETAILSW paftd, DWORD fdwDetails)
{
    WORD wTag;
    switch (fdwDetails & ACM_FORMATTAGDETAILSF_QUERYMASK)
    {
    case ACM_FORMATTAGDETAILSF_INDEX:
        if (paftd->dwFormatTagIndex >= kFormatTagCount)
            return ACMERR_NOTPOSSIBLE;
        wTag = FormatTagOfIndex(paftd->dwFormatTagIndex);
        break;
    case ACM_FORMATTAGDETAILSF_LARGESTSIZE:
        wTag = paftd->dwFormatTag == WAVE_FORMAT_UNKNOWN ? kG7231FormatTag : static_cast<WORD>(paftd->dwFormatTag);
        if (paftd->dwFormatTag > 0xFFFF || StandardFormatCount(wTag) == 0)
            return ACMERR_NOTPOSSIBLE;
        break;
    case ACM_FORMATTAGDETAILSF_FORMATTAG:
        wTag = static_cast<WORD>(paftd->dwFormatTag);
        if (paftd->dwFormatTag > 0xFFFF || StandardFormatCount(wTag) == 0)
            return ACMERR_NOTPOSSIBLE;
        break;
    default:
        return MMSYSERR_NOTSUPPORTED;
    }
    ACMFORMATTAGDETAILSW aftd = {};
    aftd.dwFormatTagIndex = wTag == WAVE_FORMAT_PCM ? 0 : 1;
    aftd.dwFormatTag = wTag;
    aftd.cbFormatSize = wTag == WAVE_FORMAT_PCM ? sizeof(PCMWAVEFORMAT) : sizeof(WAVEFORMATEX);
    aftd.fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
    aftd.cStandardFormats = StandardFormatCount(wTag);
    lstrcpynW(aftd.szFormatTag, wTag == WAVE_FORMAT_PCM ? L"PCM" : L"G.723.1", ACMFORMATTAGDETAILS_FORMATTAG_CHARS);
    CopyRecord(paftd, aftd);
    return MMSYSERR_NOERROR;
}

LRESULT CG7231Driver::OnFormatDetails(LPACMFORMATDETAILSW pafd, DWORD fdwDetails)
{
    switch (fdwDetails & ACM_FORMATDETAILSF_QUERYMASK)
    {
    case ACM_FORMATDETAILSF_INDEX:
        if (pafd->dwFormatTag > 0xFFFF ||
            !WriteStandardFormat(static_cast<WORD>(pafd->dwFormatTag), pafd->dwFormatIndex, pafd->pwfx, pafd->cbwfx))
        {
            return ACMERR_NOTPOSSIBLE;
        }
        break;
    case ACM_FORMATDETAILSF_FORMAT:
        if (pafd->cbwfx < sizeof(PCMWAVEFORMAT) || (!IsPcmFormat(pafd->pwfx) && !IsG7231Format(pafd->pwfx)))
        {
            return ACMERR_NOTPOSSIBLE;
        }
        break;
    default:
        return MMSYSERR_NOTSUPPORTED;
    }
    pafd->fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
    DescribeFormat(pafd->pwfx, pafd->szFormat, ACMFORMATDETAILS_FORMAT_CHARS);
    return MMSYSERR_NOERROR;
}

// G.723.1 decodes to 8000 Hz mono 16-bit PCM; the caller's restrictions
// (fdwSuggest) must allow that. Nothing is suggested for PCM: no encoding.
LRESULT CG7231Driver::OnFormatSuggest(LPACMDRVFORMATSUGGEST padfs)
{
    const WAVEFORMATEX* pwfxDst = padfs->pwfxDst;
    const DWORD fdwSuggest = padfs->fdwSuggest;
    if (padfs->cbwfxSrc < sizeof(PCMWAVEFORMAT) || !IsG7231Format(padfs->pwfxSrc))
        return ACMERR_NOTPOSSIBLE;
    if (((fdwSuggest & ACM_FORMATSUGGESTF_WFORMATTAG) && pwfxDst->wFormatTag != WAVE_FORMAT_PCM) ||
        ((fdwSuggest & ACM_FORMATSUGGESTF_NCHANNELS) && pwfxDst->nChannels != 1) ||
        ((fdwSuggest & ACM_FORMATSUGGESTF_NSAMPLESPERSEC) && pwfxDst->nSamplesPerSec != kSampleRate) ||
        ((fdwSuggest & ACM_FORMATSUGGESTF_WBITSPERSAMPLE) && pwfxDst->wBitsPerSample != 16))
    {
        return ACMERR_NOTPOSSIBLE;
    }
    return WritePcmFormat(padfs->pwfxDst, padfs->cbwfxDst) ? MMSYSERR_NOERROR : MMSYSERR_INVALPARAM;
}
