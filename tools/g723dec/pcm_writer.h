// Writes decoded samples: a WAV file (16-bit PCM, mono, 8 kHz) whose sizes are
// filled in when it is finished, or raw signed 16-bit little-endian samples.
// A named file is written beside its place and moved there when finished, so
// a failure neither leaves a partial file nor destroys an earlier one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "kit/output_file.h"
#include "status.h"

namespace g723dec {

class PcmWriter {
public:
    // An output that was not finished is discarded when the writer goes.
    // Opens path ("-": standard output, always raw). wav selects the WAV
    // header; raw samples otherwise. An existing device or pipe is written
    // in place, its WAV sizes marked unknown.
    Status open(const std::string& path, bool wav);
    Status write(const int16_t* samples, size_t count);
    // Completes the WAV header, closes the output and puts it in its place.
    Status finish();
    // Closes the output and removes what was written of a file.
    void discard();

    const std::string& name() const { return name_; }

private:
    Status writeBytes(const uint8_t* bytes, size_t size);
    Status writeFailure();

    kit::OutputFile file_;  // the output
    bool wav_ = false;      // WAV header in front of the samples
    bool inPlace_ = true;   // writing the destination itself (standard output, a device, a pipe)
    std::string path_;      // the destination; empty for standard output
    std::string name_;      // for messages
    uint64_t written_ = 0;  // bytes written, WAV header included
};

}  // namespace g723dec
