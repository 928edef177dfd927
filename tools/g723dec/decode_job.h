// Decodes one input file into one output: finds the frames, applies the loss
// plan, decodes with the caller's decoder object and writes the samples.
#pragma once

#include <string>

#include "decode_stats.h"
#include "frame_decoder.h"
#include "frame_reader.h"
#include "loss_plan.h"

namespace g723dec {

struct JobSpec {
    std::string input;                 // path, "-" for standard input
    std::string output;                // path, "-" for standard output (raw)
    bool wavOutput = true;             // WAV file; raw samples otherwise
    Framing framing = Framing::bytes;  // framing of raw input
    const LossPlan* loss = nullptr;    // frames to replace by lost frames; null for none
    bool stats = false;                // count bad frames and report statistics
};

struct JobResult {
    int exitCode = 0;    // ExitCode of the job
    std::string report;  // complete lines for standard error: errors, warnings, statistics
    DecodeStats stats;   // what was decoded
};

JobResult decodeFile(const JobSpec& job, FrameDecoder& decoder);

}  // namespace g723dec
