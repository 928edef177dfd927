// The player core: fed a clip stream chunk by chunk as it arrives, it rebuilds
// the clip in memory by the stream format's rules and answers what can be
// shown and heard so far - the clip's size, rate and length, the playable
// frames, a frame as RGBA, the sound up to a sample as 16-bit PCM.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "clip_headers.h"
#include "clip_index.h"
#include "clip_memory.h"
#include "riff.h"
#include "sound_decoder.h"
#include "stream_reassembler.h"
#include "video_decoder.h"

namespace player {

class Player {
public:
    // announcedLength: the whole stream's length when the sender announced it, else 0.
    explicit Player(uint64_t announcedLength = 0, uint64_t clipLimit = kMaxClipBytes);

    // Takes the next chunk. False once the stream is refused or cannot be
    // played (error() says why); every later chunk is then ignored.
    bool feed(const uint8_t* data, std::size_t length);
    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }

    // The header list has arrived: headers() holds the picture's size and the rates.
    bool hasHeaders() const { return m_hasHeaders; }
    const ClipHeaders& headers() const { return m_headers; }
    double framesPerSecond() const;
    // The index has arrived: the number of frames is known.
    bool hasIndex() const { return m_hasIndex; }
    std::size_t frameCount() const { return m_index.frames.size(); }
    // Frames 0 .. playableFrames() - 1 have arrived, with every frame before them.
    std::size_t playableFrames() const { return m_playable; }
    // Stream bytes taken so far, header included.
    uint64_t bytesReceived() const { return m_reassembler.bytesReceived(); }
    // Whether playback may start: the placed block is in its place and the
    // start threshold of the stream's header (avs::startBytes) has arrived.
    bool mayStart() const;
    // The sender reports that the stream ended normally (not broken off).
    void endStream();
    // Whether the stream so far is a complete clip: with an announced length
    // every byte of it arrived; without one, the stream ended normally and the
    // clip holds, without a gap, every byte its RIFF header claims.
    bool isComplete() const;
    // The rebuilt clip file as written (unwritten gaps read as zero).
    const std::vector<uint8_t>& clipFile() const { return m_clip.bytes(); }
    // Whether every frame and every sound chunk of the index has arrived.
    bool allArrived() const;

    // Frame n as RGBA (n below playableFrames()); null with error() set when
    // the clip's video cannot be decoded. A damaged frame is concealed and
    // noted in lastWarning().
    const Picture* frame(std::size_t n);
    const std::string& lastWarning() const { return m_warning; }

    // Whether the clip has sound that is decoded (soundNote() says why not).
    bool hasSound() const { return m_sound != nullptr; }
    const std::string& soundNote() const { return m_soundNote; }
    int soundChannels() const { return m_sound ? m_sound->channels() : 0; }
    uint32_t soundRate() const { return m_sound ? m_sound->sampleRate() : 0; }
    // Appends the sound from where the last call stopped up to sample frame
    // untilFrame (one sample per channel), as far as its chunks have arrived;
    // returns the sample frames appended.
    std::size_t takeSound(uint64_t untilFrame, std::vector<int16_t>& pcm);

private:
    void update();
    bool findClipLength();
    void readHeaders(uint64_t headerOffset);
    void readIndex(const kit::Chunk& idx1, uint64_t moviTypeOffset);
    void advancePlayable();
    void requireTables();
    bool arrived(const ChunkPlace& place) const;
    bool restartAt(std::size_t keyFrame);
    void decodeNext();
    bool fail(const std::string& reason);

    ClipMemory m_clip;
    avs::StreamReassembler m_reassembler;
    uint64_t m_announcedLength;  // as given, for the refusal's reason
    uint64_t m_clipLength = 0;   // from the RIFF header, once arrived
    bool m_ended = false;        // the sender reported the stream's normal end
    bool m_hasHeaders = false;
    ClipHeaders m_headers;
    bool m_hasIndex = false;
    ClipIndex m_index;
    std::size_t m_playable = 0;
    std::unique_ptr<VideoDecoder> m_video;
    Picture m_picture;                 // the last frame decoded
    std::size_t m_decoded = 0;         // frames decoded into m_picture since the last restart
    std::size_t m_decodedFrom = 0;     // the key frame of the last restart
    std::size_t m_paletteApplied = 0;  // palette changes given to the decoder since the restart
    std::unique_ptr<SoundDecoder> m_sound;
    std::string m_soundNote;
    std::size_t m_soundChunks = 0;        // sound chunks decoded
    std::vector<int16_t> m_soundPending;  // decoded samples not yet taken
    uint64_t m_soundTaken = 0;            // sample frames taken
    std::string m_warning;
    std::string m_error;
};

}  // namespace player
