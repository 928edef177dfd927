// A local file as a stream source.
#pragma once

#include <windows.h>

#include "byte_source.h"

namespace avsview {

class FileSource : public ByteSource {
public:
    explicit FileSource(std::string path) : m_path(std::move(path)) {}
    ~FileSource() override;

    bool open(std::string& error) override;
    bool read(uint8_t* buffer, std::size_t capacity, std::size_t& got, std::string& error) override;

private:
    std::string m_path;                    // the file as given on the command line
    HANDLE m_file = INVALID_HANDLE_VALUE;  // open handle, or INVALID_HANDLE_VALUE
};

}  // namespace avsview
