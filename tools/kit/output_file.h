// An output file that appears at its path only when complete: it is written
// under a temporary name beside the destination and moved into place at the
// end. Until then an existing file at the path stays as it was, and a failure
// or an abandoned output leaves nothing behind, also when SIGINT, SIGTERM or
// SIGHUP stops the process (interrupt_cleanup.h). A device, a pipe or
// standard output is written in place instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "file.h"

namespace kit {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // removes the temporary file unless moved into place
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file for path.
    bool create(const std::string& path);
    // Writes path itself (a device or a pipe).
    bool openInPlace(const std::string& path);
    void useStandardOutput();

    bool seekTo(uint64_t offset) { return m_file.seekTo(offset); }
    bool write(const void* data, std::size_t length) { return m_file.write(data, length); }
    // Flushes and closes the file (standard output is flushed only).
    bool close();
    // Moves the closed temporary file to the destination.
    bool moveIntoPlace();
    // close() and moveIntoPlace().
    bool commit() { return close() && moveIntoPlace(); }
    // Closes the output and removes the temporary file.
    void discard();

    // Why the last failed operation failed.
    const std::string& lastError() const { return m_lastError.empty() ? m_file.lastError() : m_lastError; }

private:
    void forgetTemporary();

    File m_file;  // the open output
    bool m_standardOutput = false;
    std::string m_path;       // destination
    std::string m_tempPath;   // temporary file beside it, empty when writing in place or once moved
    int m_watchSlot = -1;     // its entry among the files removed on a fatal signal
    std::string m_lastError;  // a failure that is not the file's own
};

}  // namespace kit
