// The G.723.1 audio of a sample file as a player hands it to the ACM: the
// format record (a WAV's "fmt " chunk or the "strf" of an AVI's audio
// stream) and the data chunks (the WAV's "data", the AVI's "01wb" chunks).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CClipAudio
{
    std::vector<BYTE> m_format;               // the format record, extra bytes included
    std::vector<std::vector<BYTE>> m_chunks;  // the data chunks in stream order
    std::string m_error;                      // why the file could not be read; empty on success

    // All data chunks back to back.
    std::vector<BYTE> Bytes() const;
    const WAVEFORMATEX* Format() const { return reinterpret_cast<const WAVEFORMATEX*>(m_format.data()); }
};

// Reads a WAV file, or the first audio stream of an AVI clip.
CClipAudio ReadClipAudio(const std::string& path);
