// The decoding loop of one file: frames are read, decoded and written in
// batches through buffers set up once per file, so that decoding a frame
// allocates nothing.
#include "decode_job.h"

#include <chrono>
#include <vector>

#include "byte_source.h"
#include "container_detect.h"
#include "input_file.h"
#include "kit/platform_files.h"
#include "pcm_writer.h"
#include "raw_check.h"
#include "status.h"

namespace g723dec {

namespace {

constexpr int batchFrames = 32;
constexpr int samplesPerFrame = 240;

const char* kindName(int kind) {
    static const char* const names[4] = {"6.3 kbit/s speech", "5.3 kbit/s speech", "SID", "untransmitted"};
    return names[kind & 3];
}

void addError(JobResult& result, int exitCode, const std::string& message) {
    if (result.exitCode == exitOk) {
        result.exitCode = exitCode;
    }
    result.report += "g723dec: " + message + "\n";
}

void addWarning(JobResult& result, const std::string& message) {
    result.report += "g723dec: warning: " + message + "\n";
}

bool sameFile(const std::string& input, const std::string& output) {
    return input != "-" && output != "-" && kit::isSameFile(input, output);
}

// State of the decoding loop over one input.
class DecodeLoop {
public:
    DecodeLoop(const JobSpec& job, FrameDecoder& decoder, PcmWriter& writer, JobResult& result)
        : job_(job), decoder_(decoder), writer_(writer), result_(result), frames_(batchFrames),
          samples_(batchFrames * samplesPerFrame) {}

    // Decodes until the data ends; returns how the data ended.
    ReadOutcome run(FrameReader& reader, Status& writeStatus);
    // The frame that ended the data (valid once run() returned something other than frame).
    const Frame& lastFrame() const { return frames_[pending_]; }
    uint64_t framesDone() const { return framesDone_; }

private:
    ReadOutcome readBatch(FrameReader& reader);
    void decodeBatch();

    const JobSpec& job_;
    FrameDecoder& decoder_;
    PcmWriter& writer_;
    JobResult& result_;
    std::vector<Frame> frames_;     // the batch being decoded
    std::vector<int16_t> samples_;  // its samples
    bool lost_[batchFrames] = {};   // per batch frame: replace by a lost frame
    int pending_ = 0;               // frames in the batch
    uint64_t framesDone_ = 0;       // frames decoded before the batch
};

ReadOutcome DecodeLoop::readBatch(FrameReader& reader) {
    pending_ = 0;
    ReadOutcome outcome = ReadOutcome::frame;
    while (pending_ < batchFrames && (outcome = reader.next(frames_[pending_])) == ReadOutcome::frame) {
        uint64_t index = framesDone_ + static_cast<uint64_t>(pending_);
        lost_[pending_] = job_.loss != nullptr && job_.loss->isLost(index);
        ++pending_;
    }
    return outcome;
}

void DecodeLoop::decodeBatch() {
    DecodeStats& stats = result_.stats;
    for (int i = 0; i < pending_; ++i) {
        if (lost_[i]) {
            ++stats.lost;
        } else {
            ++stats.kindCount[frames_[i].kind];
            stats.bad += job_.stats && hasInvalidCodes(frames_[i]) ? 1 : 0;
        }
    }
    const Frame* batch[batchFrames];
    for (int i = 0; i < pending_; ++i) {
        batch[i] = lost_[i] ? nullptr : &frames_[i];
    }
    auto start = std::chrono::steady_clock::now();
    decoder_.decode(batch, pending_, samples_.data());
    stats.decodeSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

ReadOutcome DecodeLoop::run(FrameReader& reader, Status& writeStatus) {
    while (true) {
        ReadOutcome outcome = readBatch(reader);
        decodeBatch();
        writeStatus = writer_.write(samples_.data(), static_cast<size_t>(pending_) * samplesPerFrame);
        framesDone_ += static_cast<uint64_t>(pending_);
        if (!writeStatus.ok() || outcome != ReadOutcome::frame) {
            return outcome;
        }
    }
}

std::string decodedBefore(uint64_t frames) {
    return "decoded the " + std::to_string(frames) + " complete frames before it";
}

// Reports how the data ended: cleanly, inside a frame, or on a read error.
void reportEnd(ReadOutcome outcome, const DecodeLoop& loop, const FrameReader& reader, InputFile& input,
               JobResult& result) {
    const Frame& frame = loop.lastFrame();
    if (outcome == ReadOutcome::truncated) {
        addError(result, exitTruncated,
                 atByte(input.name(), frame.offset,
                        std::string("the last frame is incomplete: a ") + kindName(frame.kind) + " frame needs " +
                            std::to_string(frame.size) + " bytes, the input ends after " +
                            std::to_string(reader.truncatedBytes()) + "; " + decodedBefore(loop.framesDone())));
    } else if (outcome == ReadOutcome::failed) {
        addError(result, exitUnreadable,
                 atByte(input.name(), input.file().position(),
                        "cannot read: " + input.file().lastError() + "; " + decodedBefore(loop.framesDone())));
    } else if (loop.framesDone() == 0) {
        addWarning(result, input.name() + ": contains no frames");
    }
}

void warnUnusedLosses(const JobSpec& job, const std::string& name, uint64_t frames, JobResult& result) {
    if (job.loss != nullptr && job.loss->hasList() && job.loss->highestListed() >= frames) {
        addWarning(result, name + ": --lose names frame " + std::to_string(job.loss->highestListed()) +
                               ", but the input has " + std::to_string(frames) + " frames (0.." +
                               std::to_string(frames == 0 ? 0 : frames - 1) + ")");
    }
}

// Opens the input and finds its frames; refuses an output that is the input.
Status openInput(const JobSpec& job, InputFile& input, FrameData& data) {
    Status status = input.open(job.input);
    if (status.ok()) {
        status = locateFrames(input, data);
    }
    if (status.ok() && sameFile(job.input, job.output)) {
        status = failure(exitOutputError, job.output + ": is the input file; it would be overwritten");
    }
    return status;
}

// Decodes every frame into the open writer and reports how the input ended.
void decodeAll(const JobSpec& job, FrameDecoder& decoder, ByteSource& source, const FrameData& data, PcmWriter& writer,
               JobResult& result) {
    decoder.reset();
    FrameReader reader(source, data.raw ? job.framing : Framing::bytes);
    DecodeLoop loop(job, decoder, writer, result);
    Status writeStatus;
    ReadOutcome outcome = loop.run(reader, writeStatus);
    if (writeStatus.ok()) {
        writeStatus = writer.finish();
    }
    if (!writeStatus.ok()) {
        writer.discard();
        addError(result, writeStatus.exitCode, writeStatus.message);
        return;
    }
    InputFile& input = source.file();
    reportEnd(outcome, loop, reader, input, result);
    if (!data.cutShortNote.empty()) {
        addError(result, exitTruncated,
                 data.cutShortNote + "; decoded the " + std::to_string(loop.framesDone()) +
                     " complete frames that are present");
    }
    warnUnusedLosses(job, input.name(), loop.framesDone(), result);
}

}  // namespace

JobResult decodeFile(const JobSpec& job, FrameDecoder& decoder) {
    JobResult result;
    InputFile input;
    FrameData data;
    Status status = openInput(job, input, data);
    ByteSource source(input, data.segments);
    if (status.ok() && !input.seekable()) {
        status = refuseContainerOnStream(source);
    }
    if (status.ok() && data.raw) {
        status = checkRawInput(source, job.framing);
    }
    PcmWriter writer;
    if (status.ok()) {
        status = writer.open(job.output, job.wavOutput);
    }
    if (!status.ok()) {
        addError(result, status.exitCode, status.message);
        return result;
    }
    decodeAll(job, decoder, source, data, writer, result);
    if (job.stats) {
        result.report += formatStats(input.name(), result.stats);
    }
    return result;
}

}  // namespace g723dec
