// Writes decoded samples: a WAV file (16-bit PCM, mono, 8 kHz) whose sizes are
// filled in when it is finished, or raw signed 16-bit little-endian samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "status.h"

namespace g723dec {

class PcmWriter {
public:
    PcmWriter() = default;
    // Removes a named output that was not finished.
    ~PcmWriter();
    PcmWriter(const PcmWriter&) = delete;
    PcmWriter& operator=(const PcmWriter&) = delete;

    // Creates path ("-": standard output, always raw). wav selects the WAV
    // header; raw samples otherwise.
    Status open(const std::string& path, bool wav);
    Status write(const int16_t* samples, size_t count);
    // Completes the WAV header and closes the output.
    Status finish();
    // Closes the output and removes a named file.
    void discard();

    const std::string& name() const { return name_; }

private:
    Status writeBytes(const uint8_t* bytes, size_t size);
    Status writeFailure();

    std::FILE* file_ = nullptr;  // the open output
    bool ownsFile_ = false;      // a named file not yet finished: removed by discard()
    bool wav_ = false;           // WAV header in front of the samples
    std::string path_;           // the named file, to remove on discard
    std::string name_;           // for messages
    uint64_t written_ = 0;       // bytes written, WAV header included
};

}  // namespace g723dec
