// Conversion streams through msacm32 for the driver tests.
#include "AcmTestStream.h"

#include <string>

WAVEFORMATEX PcmFormat()
{
    WAVEFORMATEX wfx = {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    return wfx;
}

CAcmTestStream::CAcmTestStream(const WAVEFORMATEX* pwfxSrc)
{
    WAVEFORMATEX wfxDst = PcmFormat();
    m_mmrOpen = acmStreamOpen(&m_has, NULL, const_cast<WAVEFORMATEX*>(pwfxSrc), &wfxDst, NULL, 0, 0, 0);
}

CAcmTestStream::~CAcmTestStream()
{
    if (m_has != NULL)
        acmStreamClose(m_has, 0);
}

DWORD CAcmTestStream::Convert(const BYTE* pbSrc, DWORD cbSrc, DWORD fdwConvert, std::vector<int16_t>& samples,
                              DWORD cbDst)
{
    if (cbDst == 0 && (m_mmrLast = acmStreamSize(m_has, cbSrc, &cbDst, ACM_STREAMSIZEF_SOURCE)) != 0)
        return 0;
    std::vector<BYTE> dst(cbDst + 1);
    ACMSTREAMHEADER ash = {};
    ash.cbStruct = sizeof(ash);
    ash.pbSrc = const_cast<BYTE*>(pbSrc);
    ash.cbSrcLength = cbSrc;
    ash.pbDst = dst.data() + 1;  // an odd address: samples need not be aligned
    ash.cbDstLength = cbDst;
    if ((m_mmrLast = acmStreamPrepareHeader(m_has, &ash, 0)) != 0)
        return 0;
    m_mmrLast = acmStreamConvert(m_has, &ash, fdwConvert);
    const DWORD cbUsed = m_mmrLast == 0 ? ash.cbSrcLengthUsed : 0;
    if (m_mmrLast == 0)
    {
        const size_t nOld = samples.size();
        samples.resize(nOld + ash.cbDstLengthUsed / 2);
        CopyMemory(samples.data() + nOld, ash.pbDst, ash.cbDstLengthUsed / 2 * 2);
    }
    acmStreamUnprepareHeader(m_has, &ash, 0);
    return cbUsed;
}

std::wstring DriverShortName(HACMSTREAM has)
{
    HACMDRIVERID hadid = NULL;
    ACMDRIVERDETAILSW add = {};
    add.cbStruct = sizeof(add);
    if (acmDriverID(reinterpret_cast<HACMOBJ>(has), &hadid, 0) != 0 || acmDriverDetailsW(hadid, &add, 0) != 0)
    {
        return L"";
    }
    return add.szShortName;
}
