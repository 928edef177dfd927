// A byte-exact file with 64-bit positions over a buffered C stream; each
// failure keeps the reason (the system's error text) for the message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace avspack {

class BinaryFile {
public:
    BinaryFile() = default;
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    bool openForReading(const std::string& path);
    // Takes over a stream opened elsewhere (closed with this object).
    void adopt(std::FILE* file) { m_file = file; }
    bool isOpen() const { return m_file != nullptr; }

    bool size(uint64_t& bytes);
    bool seekTo(uint64_t offset);
    // Reads exactly length bytes; running into the end of the file is a failure.
    bool read(uint8_t* data, std::size_t length);
    bool write(const uint8_t* data, std::size_t length);
    // Closes the file; false when buffered bytes could not be written.
    bool close();

    const std::string& lastError() const { return m_lastError; }

private:
    bool fail();

    std::FILE* m_file = nullptr;  // the open stream, or null
    std::string m_lastError;      // why the last failed operation failed
};

}  // namespace avspack
