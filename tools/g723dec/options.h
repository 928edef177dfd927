// The command line of g723dec: options, inputs, outputs, and the help text.
#pragma once

#include <string>
#include <vector>

#include "frame_reader.h"
#include "loss_plan.h"
#include "status.h"

namespace g723dec {

struct Options {
    std::vector<std::string> inputs;   // exactly one, or one or more with an output directory
    std::string output;                // single input: output file, "-" for standard output
    std::string outputDir;             // -o DIR: each input goes to DIR/NAME.wav
    bool rawOutput = false;            // write raw samples instead of a WAV file
    Framing framing = Framing::bytes;  // framing of raw input
    LossPlan loss;                     // frames to replace by lost frames
    bool stats = false;                // report frame counts, duration and speed
    bool help = false;                 // print the help text and stop
    bool version = false;              // print the version and stop
};

// Parses the arguments after the program name; fails with exitUsage.
Status parseOptions(const std::vector<std::string>& args, Options& options);

std::string helpText();

}  // namespace g723dec
