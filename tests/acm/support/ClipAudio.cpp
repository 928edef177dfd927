// Reads the format record and the data chunks of a sample's G.723.1 audio
// with the tools' RIFF kit: a WAV's "fmt " and "data" chunks, or the "strf"
// of an AVI's first audio stream and that stream's chunks in the movie lists.
#include "ClipAudio.h"

#include <cstdio>

#include "avi_scan.h"
#include "kit/wav.h"

namespace {

std::vector<BYTE> ChunkData(kit::File& file, const kit::Chunk& chunk)
{
    std::vector<BYTE> data(static_cast<size_t>(chunk.dataEnd - chunk.dataOffset()));
    data.resize(file.readAt(chunk.dataOffset(), data.data(), data.size()));
    return data;
}

void ReadWav(kit::File& file, uint64_t size, CClipAudio& audio)
{
    kit::WavChunks chunks;
    kit::findWavChunks(file, size, chunks);
    if (chunks.hasFormat)
        audio.m_format = ChunkData(file, chunks.format);
    if (chunks.hasData)
        audio.m_chunks.push_back(ChunkData(file, chunks.data));
}

// The chunks named id in a movie list, also inside its "rec " lists.
void ReadStreamChunks(kit::File& file, const kit::Chunk& list, const char* id, CClipAudio& audio)
{
    kit::ChunkWalker walker(file, list.childrenOffset(), list.dataEnd);
    kit::Chunk chunk;
    while (walker.next(chunk))
    {
        if (chunk.isList("rec "))
            ReadStreamChunks(file, chunk, id, audio);
        else if (chunk.is(id))
            audio.m_chunks.push_back(ChunkData(file, chunk));
    }
}

void ReadAvi(kit::File& file, uint64_t size, CClipAudio& audio)
{
    kit::AviScan scan;
    if (!kit::scanAvi(file, size, scan) || scan.audio.empty())
        return;
    const kit::AviAudioStream& stream = scan.audio.front();
    // The format record is the data of the "strf" chunk whose header precedes it.
    kit::ChunkWalker format(file, stream.formatOffset - 8, size);
    kit::Chunk strf;
    if (format.next(strf))
        audio.m_format = ChunkData(file, strf);
    char id[8];
    std::snprintf(id, sizeof id, "%02dwb", stream.number);
    for (const kit::Chunk& list : scan.movieLists)
        ReadStreamChunks(file, list, id, audio);
}

}  // namespace

std::vector<BYTE> CClipAudio::Bytes() const
{
    std::vector<BYTE> bytes;
    for (const std::vector<BYTE>& chunk : m_chunks)
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    return bytes;
}

CClipAudio ReadClipAudio(const std::string& path)
{
    CClipAudio audio;
    kit::File file;
    uint64_t size = 0;
    kit::Chunk form;
    if (!file.openForReading(path) || !file.size(size))
    {
        audio.m_error = path + ": " + file.lastError();
        return audio;
    }
    kit::ChunkWalker top(file, 0, size);
    if (top.next(form) && form.isList("WAVE"))
        ReadWav(file, size, audio);
    else if (form.isList("AVI "))
        ReadAvi(file, size, audio);
    if (audio.m_format.size() < sizeof(PCMWAVEFORMAT) || audio.m_chunks.empty())
        audio.m_error = path + ": no audio format record or no audio data";
    return audio;
}
