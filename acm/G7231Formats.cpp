// Format records of the driver: recognising, writing and naming them.
#include "G7231Formats.h"

#include <cwchar>

namespace {

struct StandardG7231Format
{
    WORD nBlockAlign;
    DWORD nAvgBytesPerSec;
    const WCHAR* szRate;
};

const StandardG7231Format s_g7231Formats[] = {
    {24, 800, L"6.3 kbit/s"},
    {20, 667, L"5.3 kbit/s"},
};

const StandardG7231Format* FindG7231Format(WORD nBlockAlign)
{
    for (const StandardG7231Format& format : s_g7231Formats)
    {
        if (format.nBlockAlign == nBlockAlign)
            return &format;
    }
    return NULL;
}

void WriteRecord(WAVEFORMATEX* pwfx, DWORD cbwfx, const WAVEFORMATEX& wfx)
{
    CopyMemory(pwfx, &wfx, cbwfx < sizeof(WAVEFORMATEX) ? sizeof(PCMWAVEFORMAT) : sizeof(WAVEFORMATEX));
}

}  // namespace

bool IsG7231Format(const WAVEFORMATEX* pwfx)
{
    return pwfx->wFormatTag == kG7231FormatTag && pwfx->nChannels == 1 && pwfx->nSamplesPerSec == kSampleRate &&
           FindG7231Format(pwfx->nBlockAlign) != NULL;
}

bool IsPcmFormat(const WAVEFORMATEX* pwfx)
{
    return pwfx->wFormatTag == WAVE_FORMAT_PCM && pwfx->nChannels == 1 && pwfx->nSamplesPerSec == kSampleRate &&
           pwfx->wBitsPerSample == 16 && pwfx->nBlockAlign == 2 && pwfx->nAvgBytesPerSec == 2 * kSampleRate;
}

DWORD StandardFormatCount(WORD wFormatTag)
{
    if (wFormatTag == WAVE_FORMAT_PCM)
        return 1;
    if (wFormatTag == kG7231FormatTag)
        return sizeof(s_g7231Formats) / sizeof(s_g7231Formats[0]);
    return 0;
}

bool WritePcmFormat(WAVEFORMATEX* pwfx, DWORD cbwfx)
{
    if (cbwfx < sizeof(PCMWAVEFORMAT))
        return false;
    WAVEFORMATEX wfx = {WAVE_FORMAT_PCM, 1, kSampleRate, 2 * kSampleRate, 2, 16, 0};
    WriteRecord(pwfx, cbwfx, wfx);
    return true;
}

bool WriteStandardFormat(WORD wFormatTag, DWORD nIndex, WAVEFORMATEX* pwfx, DWORD cbwfx)
{
    if (nIndex >= StandardFormatCount(wFormatTag))
        return false;
    if (wFormatTag == WAVE_FORMAT_PCM)
        return WritePcmFormat(pwfx, cbwfx);
    if (cbwfx < sizeof(WAVEFORMATEX))
        return false;
    const StandardG7231Format& format = s_g7231Formats[nIndex];
    WAVEFORMATEX wfx = {kG7231FormatTag, 1, kSampleRate, format.nAvgBytesPerSec, format.nBlockAlign, 0, 0};
    WriteRecord(pwfx, cbwfx, wfx);
    return true;
}

void DescribeFormat(const WAVEFORMATEX* pwfx, WCHAR* szText, int nChars)
{
    if (pwfx->wFormatTag == WAVE_FORMAT_PCM)
    {
        swprintf(szText, nChars, L"8.000 kHz, 16 Bit, Mono");
        return;
    }
    const StandardG7231Format* pFormat = FindG7231Format(pwfx->nBlockAlign);
    swprintf(szText, nChars, L"8.000 kHz, Mono, %ls", pFormat != NULL ? pFormat->szRate : L"");
}
