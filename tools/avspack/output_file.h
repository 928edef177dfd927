// An output file that appears at its path only when complete: it is written
// under a temporary name beside the destination and moved into place by
// commit(). Until then an existing file at the path stays as it was, and a
// failure or an abandoned output leaves nothing behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "binary_file.h"
#include "clip_writer.h"

namespace avspack {

class OutputFile : public avs::ClipWriter {
public:
    explicit OutputFile(std::string path);
    ~OutputFile() override;  // removes the temporary file unless committed

    // Creates the temporary file; error gets a message naming the destination.
    bool create(std::string& error);
    bool seekTo(uint64_t offset) override;
    bool write(const uint8_t* data, std::size_t length) override;
    // Flushes, closes and moves the file into place.
    bool commit(std::string& error);
    // Message for the last failed seekTo or write.
    std::string writeError() const;

private:
    void discard();

    std::string m_path;      // destination
    std::string m_tempPath;  // temporary file beside it, empty until created
    BinaryFile m_file;       // the open temporary file
};

}  // namespace avspack
