// The filter pipeline against a plain whole-frame reference over the pinned
// streams. The reference takes each received frame's filter job from the
// decoder's own frame routine and runs the stages one after the other as
// plain loops: pitch postfilter (lag by lag), synthesis, formant postfilter,
// conversion to samples. The pipeline, in single calls and in runs of frames,
// must give the same samples and leave the same filter memories; a
// difference is reported with its frame, sub-frame, sample and stage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "decoder_state.h"
#include "filter_pipeline.h"
#include "formant_postfilter.h"
#include "pcm_output.h"
#include "pinned_streams.h"
#include "pitch_postfilter.h"
#include "plain_stages.h"
#include "synthesis.h"

namespace {

using pinnedStreams::Frame;
using pinnedStreams::Stream;
using Pcm = std::vector<int16_t>;

// The path a frame took, for the report.
const char* pathOf(const Frame& frame, const FilterJob& job, const DecoderState& d) {
    if (frame.empty()) return "lost";
    if (job.pitchFiltered) return "good speech";
    return d.prevFrameType == 1 ? "concealed speech" : "comfort noise";
}

// The decoder with plain filter stages after its frame routine.
class PlainDecoder {
public:
    PlainDecoder() { m_d.reset(0); }

    // Decodes one frame (empty: lost) into pcm and returns its path.
    const char* decode(const Frame& frame, Pcm& pcm) {
        pcm.assign(frameLength, 0);
        FilterJob job;
        job.pitchFiltered = false;
        if (frame.empty()) {
            m_d.decodeSoundFrame(nullptr, pcm.data());
            return pathOf(frame, job, m_d);
        }
        m_d.lowRate = (frame[0] & 3) == 1 ? 1 : 0;
        m_d.lostCount = 0;
        std::memcpy(m_d.frameBuf, frame.data(), frame.size());
        m_d.prepareFrame(&job, m_d.frameBuf, m_d.lowRate, m_d.postfilterOn, 0);
        float exc[frameLength];
        if (job.pitchFiltered) {
            for (int32_t k = 0; k < 4; ++k) {
                const float* x = m_d.excitation + excitationHistory + subframeLength * k;
                const PitchPostParams p = findPitchPostParams(x, job.pitchLag[k / 2], k, m_d.postfilterOn);
                applyPitchPostfilter(exc + subframeLength * k, x, p);
            }
        } else {
            std::memcpy(exc, job.frameExc, sizeof exc);
        }
        synthesize(m_d.synthBuf, exc, job.lpcSet);
        formantPostfilter(m_d.postBuf + lpcOrder, m_d.synthBuf + lpcOrder, job.lpcSet, m_d.postTilt, m_d.postfilterOn);
        for (int32_t n = 0; n < frameLength; ++n) pcm[static_cast<size_t>(n)] = toPcmSample(m_d.postBuf[lpcOrder + n]);
        // The histories move on by one frame.
        std::memmove(m_d.excitation, m_d.excitation + frameLength, sizeof(float) * excitationHistory);
        std::memmove(m_d.synthBuf, m_d.synthBuf + frameLength, sizeof(float) * lpcOrder);
        std::memmove(m_d.postBuf, m_d.postBuf + frameLength, sizeof(float) * lpcOrder);
        std::memcpy(m_d.outBuf, pcm.data(), sizeof m_d.outBuf);
        return pathOf(frame, job, m_d);
    }

    const DecoderState& state() const { return m_d; }

private:
    DecoderState m_d;
};

// One frame of the reference: its samples, its path and the memories it
// left (synthBuf and postBuf moved on, the frame in elements 10..249).
struct ReferenceFrame {
    Pcm pcm;
    const char* path;
    std::vector<float> synth;
    std::vector<float> post;
    float tilt;
};

std::vector<ReferenceFrame> decodePlainly(const Stream& stream) {
    PlainDecoder plain;
    std::vector<ReferenceFrame> frames;
    for (const Frame& frame : stream) {
        ReferenceFrame r;
        r.path = plain.decode(frame, r.pcm);
        const DecoderState& d = plain.state();
        r.synth.assign(d.synthBuf, d.synthBuf + lpcOrder + frameLength);
        r.post.assign(d.postBuf, d.postBuf + lpcOrder + frameLength);
        r.tilt = d.postTilt;
        frames.push_back(r);
    }
    return frames;
}

// Equal samples; floats equal bit for bit.
bool same(int16_t a, int16_t b) { return a == b; }
bool same(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// "frame F (path), <stage> sub-frame K sample N: pipeline A, reference B" for
// the first element where got and want differ, or "". Elements before
// `first` are the memories of the frame before.
template <class T>
std::string firstDifference(const T* got, const T* want, int32_t count, int32_t first, size_t frame, const char* path,
                            const char* stage) {
    for (int32_t i = 0; i < count; ++i) {
        if (same(got[i], want[i])) continue;
        std::ostringstream where;
        where << "frame " << frame << " (" << path << "), " << stage;
        if (i < first) {
            where << " memory element " << i;
        } else {
            where << " sub-frame " << (i - first) / subframeLength << " sample " << (i - first) % subframeLength;
        }
        where << ": pipeline " << got[i] << ", reference " << want[i];
        return where.str();
    }
    return "";
}

// The memories the pipeline left after frame i.
std::string compareMemories(const DecoderState& d, const ReferenceFrame& want, size_t i) {
    std::string diff =
        firstDifference(d.synthBuf, want.synth.data(), lpcOrder + frameLength, lpcOrder, i, want.path, "synthesis");
    if (diff.empty()) {
        diff = firstDifference(d.postBuf, want.post.data(), lpcOrder + frameLength, lpcOrder, i, want.path,
                               "formant postfilter");
    }
    if (diff.empty()) {
        diff = firstDifference(&d.postTilt, &want.tilt, 1, 0, i, want.path, "postfilter tilt");
    }
    return diff;
}

// Decodes the stream through the pipeline in runs of the given lengths (in
// turn) and returns the first difference from the reference: the samples of
// every frame, the memories after the last frame of every run.
std::string comparePipeline(const Stream& stream, const std::vector<ReferenceFrame>& reference,
                            const std::vector<size_t>& runLengths) {
    const frames::BatchFrames batch(stream);
    const std::vector<const void*>& pointers = batch.pointers;
    DecoderState d;
    d.reset(0);
    size_t run = 0;
    for (size_t first = 0; first < stream.size(); ++run) {
        const size_t count = std::min(runLengths[run % runLengths.size()], stream.size() - first);
        Pcm pcm(count * frameLength);
        if (count == 1) {
            d.decodeSoundFrame(pointers[first], pcm.data());
        } else {
            d.decodeSoundFrames(&pointers[first], static_cast<int32_t>(count), pcm.data());
        }
        for (size_t i = first; i < first + count; ++i) {
            const std::string diff = firstDifference(&pcm[(i - first) * frameLength], reference[i].pcm.data(),
                                                     frameLength, 0, i, reference[i].path, "samples");
            if (!diff.empty()) return diff;
        }
        first += count;
        const std::string diff = compareMemories(d, reference[first - 1], first - 1);
        if (!diff.empty()) return diff;
    }
    return "";
}

TEST(WholeFrameReference, PipelineEqualsThePlainStagesFrameByFrame) {
    std::map<std::string, int> paths;
    for (const pinnedStreams::NamedStream& s : pinnedStreams::streams) {
        const Stream stream = s.build();
        const std::vector<ReferenceFrame> reference = decodePlainly(stream);
        for (const ReferenceFrame& f : reference) ++paths[f.path];
        EXPECT_EQ(comparePipeline(stream, reference, {1}), "") << s.name << ", single calls";
        EXPECT_EQ(comparePipeline(stream, reference, {2, 7, 32, 1, 3, 5}), "") << s.name << ", runs of frames";
    }
    // Every path through the filter stages was compared many times.
    for (const char* path : {"good speech", "concealed speech", "comfort noise", "lost"}) {
        std::printf("%-17s %5d frames\n", path, paths[path]);
        EXPECT_GT(paths[path], 200) << path;
    }
}

}  // namespace
