// The driver's two format tags, G.723.1 in and 16-bit PCM out: which format
// records it accepts, its standard formats, and their names.
#pragma once

#include <windows.h>
#include <mmreg.h>

#include "speechdec.h"

const WORD kG7231FormatTag = WAVE_FORMAT_MSG723;  // 0x0042
const DWORD kSampleRate = 8000;
const DWORD kFrameSamples = 240;                             // 30 ms
const DWORD kPcmFrameBytes = kFrameSamples * 2;              // one decoded frame
const DWORD kLargestFrameBytes = SPEECHDEC_MAX_FRAME_BYTES;  // a 6.3 kbit/s speech frame

// Format tag indices: 0 PCM, 1 G.723.1.
const DWORD kFormatTagCount = 2;

// Mono G.723.1 at 8000 Hz in 24-byte (6.3 kbit/s) or 20-byte (5.3 kbit/s)
// blocks; bits per sample and any bytes after the record are not looked at.
bool IsG7231Format(const WAVEFORMATEX* pwfx);

// 16-bit mono PCM at 8000 Hz, the only output. Reads the 16 bytes of a
// PCMWAVEFORMAT only.
bool IsPcmFormat(const WAVEFORMATEX* pwfx);

// Standard formats of a tag: 1 for PCM, 2 for G.723.1; 0 for other tags.
DWORD StandardFormatCount(WORD wFormatTag);

// Writes standard format nIndex of wFormatTag into pwfx (cbwfx bytes; 16 are
// enough for PCM, 18 are needed for G.723.1). False when there is no such
// format or the record does not fit.
bool WriteStandardFormat(WORD wFormatTag, DWORD nIndex, WAVEFORMATEX* pwfx, DWORD cbwfx);

// Writes the 8000 Hz mono 16-bit PCM record into pwfx (cbwfx bytes, at least 16).
bool WritePcmFormat(WAVEFORMATEX* pwfx, DWORD cbwfx);

// "8.000 kHz, Mono, 6.3 kbit/s" or "8.000 kHz, 16 Bit, Mono".
void DescribeFormat(const WAVEFORMATEX* pwfx, WCHAR* szText, int nChars);
