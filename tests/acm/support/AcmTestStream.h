// A conversion stream opened through msacm32 from a G.723.1 format record to
// 8000 Hz mono 16-bit PCM, with the driver the ACM picks (had NULL), and
// conversions of one block at a time.
#pragma once

#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

#include <cstdint>
#include <string>
#include <vector>

// The one output format of the driver.
WAVEFORMATEX PcmFormat();

class CAcmTestStream
{
public:
    explicit CAcmTestStream(const WAVEFORMATEX* pwfxSrc);
    ~CAcmTestStream();
    CAcmTestStream(const CAcmTestStream&) = delete;
    CAcmTestStream& operator=(const CAcmTestStream&) = delete;

    MMRESULT OpenResult() const { return m_mmrOpen; }
    HACMSTREAM Handle() const { return m_has; }

    // Converts cbSrc bytes at pbSrc with the flags into a destination of
    // cbDst bytes (0: the size acmStreamSize asks for), appends the samples
    // to samples and returns the source bytes used; m_mmrLast keeps the result.
    DWORD Convert(const BYTE* pbSrc, DWORD cbSrc, DWORD fdwConvert, std::vector<int16_t>& samples, DWORD cbDst = 0);

    MMRESULT m_mmrLast = MMSYSERR_NOERROR;

private:
    HACMSTREAM m_has = NULL;
    MMRESULT m_mmrOpen;
};

// The name of the driver that serves a stream, from its details.
std::wstring DriverShortName(HACMSTREAM has);
