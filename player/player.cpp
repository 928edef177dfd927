// The player core: the reassembler writes the clip into memory; after every
// chunk the AVI walk looks for what has newly arrived - the RIFF header, the
// header list, the index - and the playable frames move on. Frames are
// decoded on request from their key frame, or on from the last one decoded.
#include "player.h"

#include <algorithm>
#include <cstring>

#include "avi_scan.h"
#include "bytes.h"
#include "stream_acceptance.h"
#include "stream_completeness.h"
#include "stream_placement.h"

namespace player {

namespace {

std::string refusalText(const avs::StreamHeader& header, uint64_t announcedLength) {
    switch (avs::headerProblem(header, announcedLength)) {
    case avs::HeaderProblem::BlockBeyondStream:
        return "the stream's header names a block longer than the stream";
    case avs::HeaderProblem::BlockBeyondClip:
        return "the stream's header places its block beyond the clip";
    default:
        return "the stream's header places its block out of reach";
    }
}

}  // namespace

Player::Player(uint64_t announcedLength, uint64_t clipLimit)
    : m_clip(clipLimit), m_reassembler(m_clip, announcedLength), m_announcedLength(announcedLength) {}

bool Player::fail(const std::string& reason) {
    if (m_error.empty()) m_error = reason;
    return false;
}

bool Player::feed(const uint8_t* data, std::size_t length) {
    if (failed()) return false;
    switch (m_reassembler.feed(data, length)) {
    case avs::FeedResult::Refused:
        return fail(refusalText(m_reassembler.header(), m_announcedLength));
    case avs::FeedResult::WriteFailed:
        return fail("the clip reaches beyond the " + std::to_string(m_clip.limit() >> 20) +
                    " MiB that the player keeps in memory");
    default:
        break;
    }
    update();
    return !failed();
}

double Player::framesPerSecond() const {
    const VideoFormat& video = m_headers.video;
    if (video.scale != 0 && video.rate != 0) return double(video.rate) / video.scale;
    return m_headers.microsecondsPerFrame != 0 ? 1e6 / m_headers.microsecondsPerFrame : 0.0;
}

bool Player::mayStart() const {
    return m_reassembler.blockInPlace() &&
           m_reassembler.bytesReceived() >= avs::startBytes(m_reassembler.header(), avs::kMaxGapAhead);
}

bool Player::isComplete() const {
    if (m_reassembler.isComplete()) return true;
    if (!m_ended || m_announcedLength != 0) return false;
    const uint8_t* head = m_clip.bytesAt(0, avs::kStreamHeaderSize);
    const uint64_t riffLength = head != nullptr ? avs::riffFileLength(head) : 0;
    return avs::isCompleteStream(m_reassembler.streamEnd(true, riffLength));
}

bool Player::findClipLength() {
    if (m_clipLength != 0) return true;
    const uint8_t* riff = m_clip.bytesAt(0, 12);
    if (riff == nullptr) return false;
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "AVI ", 4) != 0)
        return fail("the clip is not an AVI file (no RIFF 'AVI ' form at its start)");
    m_clipLength = 8 + uint64_t(kit::readLe32(riff + 4));
    return true;
}

void Player::update() {
    if (!findClipLength()) return;
    if (!m_hasHeaders || !m_hasIndex) {
        kit::AviScan scan;
        kit::scanAvi(m_clip, m_clipLength, scan);
        kit::Chunk chunk;
        if (!m_hasHeaders && scan.hasHeader && kit::ChunkWalker(m_clip, scan.headerOffset, m_clipLength).next(chunk) &&
            m_clip.hasArrived(chunk.offset, chunk.dataEnd))
            readHeaders(scan.headerOffset);
        if (m_hasHeaders && !m_hasIndex && scan.hasIndex && !scan.movieLists.empty() &&
            kit::ChunkWalker(m_clip, scan.indexOffset, m_clipLength).next(chunk) &&
            m_clip.hasArrived(chunk.dataOffset(), chunk.dataEnd))
            readIndex(chunk, scan.movieLists.front().offset + 8);
    }
    if (failed()) return;
    advancePlayable();
    requireTables();
}

void Player::endStream() {
    m_ended = true;
    if (!failed()) requireTables();
}

// A complete clip must have brought its header list and its index.
void Player::requireTables() {
    if (isComplete() && !m_hasHeaders) fail("the clip has no readable header list (hdrl)");
    if (isComplete() && !m_hasIndex) fail("the clip has no index (idx1), so its frames cannot be found");
}

void Player::readHeaders(uint64_t headerOffset) {
    std::string error;
    if (!readClipHeaders(m_clip, headerOffset, m_clipLength, m_headers, error)) {
        fail(error);
        return;
    }
    m_video = makeVideoDecoder(m_headers.video, error);
    if (!m_video) {
        fail(error);
        return;
    }
    if (m_headers.sound.stream >= 0) {
        if (SoundDecoder::supports(m_headers.sound, m_soundNote))
            m_sound = std::make_unique<SoundDecoder>(m_headers.sound);
    }
    m_hasHeaders = true;
}

void Player::readIndex(const kit::Chunk& idx1, uint64_t moviTypeOffset) {
    std::string error;
    const uint64_t size = idx1.dataEnd - idx1.dataOffset();
    if (!readClipIndex(m_clip.bytesAt(idx1.dataOffset(), size), std::size_t(size), moviTypeOffset, m_clipLength,
                       m_headers.video.stream, m_sound ? m_headers.sound.stream : -1, m_index, error)) {
        fail(error);
        return;
    }
    m_hasIndex = true;
}

bool Player::allArrived() const {
    return m_hasIndex && m_playable == m_index.frames.size() &&
           std::all_of(m_index.sound.begin(), m_index.sound.end(),
                       [this](const ChunkPlace& chunk) { return arrived(chunk); });
}

bool Player::arrived(const ChunkPlace& place) const {
    return m_clip.hasArrived(place.offset, place.offset + place.size);
}

void Player::advancePlayable() {
    while (m_playable < m_index.frames.size()) {
        const FrameEntry& frame = m_index.frames[m_playable];
        const std::size_t changesBefore = m_playable == 0 ? 0 : m_index.frames[m_playable - 1].paletteChanges;
        bool ready = arrived(frame.data);
        for (std::size_t i = changesBefore; ready && i < frame.paletteChanges; ++i)
            ready = arrived(m_index.paletteChanges[i]);
        if (!ready) break;
        ++m_playable;
    }
}

const Picture* Player::frame(std::size_t n) {
    m_warning.clear();
    if (failed() || n >= m_playable) return nullptr;
    std::size_t key = n;
    while (key > 0 && !m_index.frames[key].key) --key;
    const bool continues = m_decoded > 0 && m_decodedFrom + m_decoded - 1 >= key && m_decodedFrom + m_decoded - 1 <= n;
    if (!continues && !restartAt(key)) return nullptr;
    while (m_decodedFrom + m_decoded <= n) decodeNext();
    return &m_picture;
}

bool Player::restartAt(std::size_t keyFrame) {
    std::string error;
    m_video = makeVideoDecoder(m_headers.video, error);  // a new one: the palette returns to the header's
    if (!m_video) return fail(error), false;
    m_video->reset();
    m_decodedFrom = keyFrame;
    m_decoded = 0;
    m_paletteApplied = 0;
    return true;
}

void Player::decodeNext() {
    const FrameEntry& entry = m_index.frames[m_decodedFrom + m_decoded];
    for (; m_paletteApplied < entry.paletteChanges; ++m_paletteApplied) {
        const ChunkPlace& change = m_index.paletteChanges[m_paletteApplied];
        if (const uint8_t* bytes = m_clip.bytesAt(change.offset, change.size))
            m_video->changePalette(bytes, change.size);
    }
    // An empty chunk repeats the picture before it.
    if (entry.data.size > 0 || m_picture.rgba.empty()) {
        std::string error;
        const uint8_t* bytes = m_clip.bytesAt(entry.data.offset, entry.data.size);
        if (!m_video->decode(bytes, entry.data.size, m_picture, error) && entry.data.size > 0)
            m_warning = "frame " + std::to_string(m_decodedFrom + m_decoded) + " is damaged (" + error + ")";
    }
    ++m_decoded;
}

std::size_t Player::takeSound(uint64_t untilFrame, std::vector<int16_t>& pcm) {
    if (!m_sound || !m_hasIndex || untilFrame <= m_soundTaken) return 0;
    const std::size_t channels = std::size_t(m_sound->channels());
    while (m_soundTaken + m_soundPending.size() / channels < untilFrame && m_soundChunks < m_index.sound.size() &&
           arrived(m_index.sound[m_soundChunks])) {
        const ChunkPlace& chunk = m_index.sound[m_soundChunks++];
        m_sound->decode(m_clip.bytesAt(chunk.offset, chunk.size), chunk.size, m_soundPending);
    }
    const uint64_t frames = std::min<uint64_t>(m_soundPending.size() / channels, untilFrame - m_soundTaken);
    const std::size_t samples = std::size_t(frames) * channels;
    pcm.insert(pcm.end(), m_soundPending.begin(), m_soundPending.begin() + std::ptrdiff_t(samples));
    m_soundPending.erase(m_soundPending.begin(), m_soundPending.begin() + std::ptrdiff_t(samples));
    m_soundTaken += frames;
    return std::size_t(frames);
}

}  // namespace player
