// An input opened for reading: a named file (positioned reads for walking
// containers), or standard input or a named pipe (sequential reads only).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "status.h"

namespace g723dec {

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens path for reading; "-" is standard input, switched to binary mode.
    // Only inputs that can seek are seekable().
    Status open(const std::string& path);

    // The name used in messages: the path, or "standard input".
    const std::string& name() const { return name_; }
    bool seekable() const { return seekable_; }
    // Size in bytes of a seekable file.
    uint64_t size() const { return size_; }

    // Reads up to n bytes from the current position; fewer at the end of the
    // data or on a read error (see failed()).
    size_t read(void* dst, size_t n);
    // Moves a seekable file to offset; false on failure.
    bool seek(uint64_t offset);
    // Seeks to offset and reads up to n bytes there.
    size_t readAt(uint64_t offset, void* dst, size_t n);

    // Offset of the next byte read() returns.
    uint64_t position() const { return position_; }
    // True once a read failed for a reason other than the end of the data.
    bool failed() const { return failed_; }
    // The system's description of the last failure.
    const std::string& errorText() const { return errorText_; }

private:
    std::FILE* file_ = nullptr;  // the open stream; stdin is not closed
    bool ownsFile_ = false;      // true for a named file
    bool seekable_ = false;      // regular files are seekable; standard input and pipes are not
    std::string name_;           // for messages
    uint64_t size_ = 0;          // file size (seekable files)
    uint64_t position_ = 0;      // offset of the next byte to read
    bool failed_ = false;        // a read error happened
    std::string errorText_;      // strerror of the last failure
};

}  // namespace g723dec
