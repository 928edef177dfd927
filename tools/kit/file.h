// A byte-exact file with 64-bit positions over a buffered C stream: a named
// file, or standard input or output. Each failure keeps the system's reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "random_access.h"

namespace kit {

class File : public RandomAccessBytes {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool openForReading(const std::string& path);
    // Creates path, or empties an existing file, device or pipe, for writing.
    bool openForWriting(const std::string& path);
    // Creates path for reading and writing; fails if it already exists.
    bool createNew(const std::string& path);
    // Standard input or output in binary mode; they stay open when this object closes.
    void useStandardInput();
    void useStandardOutput();
    bool isOpen() const { return m_file != nullptr; }

    // Size of the file; fails for pipes and terminals. Leaves the position at the end.
    bool size(uint64_t& bytes);
    bool seekTo(uint64_t offset);
    // Reads up to length bytes; fewer at the end of the data or on a read error (failed()).
    std::size_t read(void* data, std::size_t length);
    // Reads exactly length bytes; running into the end of the file is a failure.
    bool readExactly(void* data, std::size_t length);
    // Seeks to offset (unless there already) and reads up to length bytes there.
    std::size_t readAt(uint64_t offset, void* data, std::size_t length) override;
    bool write(const void* data, std::size_t length);
    bool flush();
    // Closes a named file; false when buffered bytes could not be written.
    bool close();

    // Offset of the next byte read or written (counted, so also for pipes).
    uint64_t position() const { return m_position; }
    // True once a read or a seek failed for a reason other than the end of the data.
    bool failed() const override { return m_failed; }
    // Why the last failed operation failed.
    const std::string& lastError() const { return m_lastError; }

private:
    bool fail();

    std::FILE* m_file = nullptr;  // the open stream, or null
    bool m_owned = false;         // closed by this object (not standard input or output)
    uint64_t m_position = 0;      // offset of the next byte read or written
    bool m_failed = false;        // a read or seek failed
    std::string m_lastError;      // why the last failed operation failed
};

}  // namespace kit
