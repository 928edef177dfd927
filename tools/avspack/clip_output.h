// avspack's output: a stream or clip file that appears at its path only when
// complete (kit::OutputFile), as the stream format's clip writer, with the
// messages naming the destination.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "clip_writer.h"
#include "kit/output_file.h"

namespace avspack {

// True (with a message in error) when outPath names the file inPath is, by
// identity: writing it would destroy the input.
bool isTheInput(const std::string& inPath, const std::string& outPath, std::string& error);

class ClipOutput : public avs::ClipWriter {
public:
    explicit ClipOutput(std::string path) : m_path(std::move(path)) {}

    // Creates the temporary file; error gets a message naming the destination.
    bool create(std::string& error);
    bool seekTo(uint64_t offset) override { return m_file.seekTo(offset); }
    bool write(const uint8_t* data, std::size_t length) override { return m_file.write(data, length); }
    // The output appears only once the clip is complete, when a held block is in its place
    // anyway: its bytes go there at once.
    bool holdBlock(uint64_t clipOffset, const uint8_t* data, std::size_t length) override {
        return seekTo(clipOffset) && write(data, length);
    }
    bool writeHeldBlock() override { return true; }
    // Flushes, closes and moves the file into place.
    bool commit(std::string& error);
    // Message for the last failed seekTo or write.
    std::string writeError() const { return "cannot write " + m_path + ": " + m_file.lastError(); }

private:
    std::string m_path;      // destination
    kit::OutputFile m_file;  // the file being written
};

}  // namespace avspack
