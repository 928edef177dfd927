// An input opened for reading: a named file (positioned reads for walking
// containers), or standard input or a named pipe (sequential reads only).
#pragma once

#include <cstdint>
#include <string>

#include "kit/file.h"
#include "status.h"

namespace g723dec {

class InputFile {
public:
    // Opens path for reading; "-" is standard input. Only inputs that can
    // seek are seekable().
    Status open(const std::string& path);

    // The name used in messages: the path, or "standard input".
    const std::string& name() const { return name_; }
    bool seekable() const { return seekable_; }
    // Size in bytes of a seekable file.
    uint64_t size() const { return size_; }
    // The open file, for reading.
    kit::File& file() { return file_; }

private:
    kit::File file_;         // the open file or standard input
    bool seekable_ = false;  // regular files are seekable; standard input and pipes are not
    std::string name_;       // for messages
    uint64_t size_ = 0;      // file size (seekable files)
};

}  // namespace g723dec
