// Reads the format record and the data chunks of a sample's G.723.1 audio
// by walking its RIFF chunks (lists are entered, everything else skipped).
#include "ClipAudio.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

DWORD Le32(const BYTE* pb)
{
    return pb[0] | pb[1] << 8 | pb[2] << 16 | static_cast<DWORD>(pb[3]) << 24;
}

class CChunkReader {
public:
    CChunkReader(const std::vector<BYTE>& file, CClipAudio& audio) : m_file(file), m_audio(audio) {}

    void Walk(size_t begin, size_t end)
    {
        for (size_t pos = begin; pos + 8 <= end;) {
            const BYTE* pbChunk = m_file.data() + pos;
            const size_t cbData = Le32(pbChunk + 4);
            if (cbData > end - pos - 8) return;
            Visit(pbChunk, cbData, pos);
            pos += 8 + cbData + (cbData & 1);
        }
    }

private:
    void Visit(const BYTE* pbChunk, size_t cbData, size_t pos)
    {
        const std::vector<BYTE> data(pbChunk + 8, pbChunk + 8 + cbData);
        if ((Is(pbChunk, "RIFF") || Is(pbChunk, "LIST")) && cbData >= 4) {
            Walk(pos + 12, pos + 8 + cbData);
        } else if (Is(pbChunk, "strh") && cbData >= 4) {
            m_bAudioStream = std::memcmp(pbChunk + 8, "auds", 4) == 0;
        } else if (Is(pbChunk, "fmt ") || (Is(pbChunk, "strf") && m_bAudioStream)) {
            m_audio.m_format = data;
        } else if (Is(pbChunk, "data") || Is(pbChunk, "01wb")) {
            m_audio.m_chunks.push_back(data);
        }
    }
    static bool Is(const BYTE* pbChunk, const char* id) { return std::memcmp(pbChunk, id, 4) == 0; }

    const std::vector<BYTE>& m_file;
    CClipAudio& m_audio;
    bool m_bAudioStream = false;
};

}  // namespace

std::vector<BYTE> CClipAudio::Bytes() const
{
    std::vector<BYTE> bytes;
    for (const std::vector<BYTE>& chunk : m_chunks) bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    return bytes;
}

CClipAudio ReadClipAudio(const std::string& path)
{
    CClipAudio audio;
    std::ifstream in(path, std::ios::binary);
    const std::vector<BYTE> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CChunkReader(file, audio).Walk(0, file.size());
    if (audio.m_format.size() < sizeof(PCMWAVEFORMAT) || audio.m_chunks.empty()) {
        audio.m_error = path + ": no audio format record or no audio data";
    }
    return audio;
}
