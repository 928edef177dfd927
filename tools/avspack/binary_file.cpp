// Buffered binary file access with the reason of every failure kept.
#include "binary_file.h"

#include <cerrno>
#include <cstring>

#include "platform_files.h"

namespace avspack {

BinaryFile::~BinaryFile() {
    if (m_file) std::fclose(m_file);
}

bool BinaryFile::fail() {
    m_lastError = errno ? std::strerror(errno) : "unexpected end of file";
    return false;
}

bool BinaryFile::openForReading(const std::string& path) {
    errno = 0;
    m_file = std::fopen(path.c_str(), "rb");
    return m_file ? true : fail();
}

bool BinaryFile::size(uint64_t& bytes) {
    errno = 0;
    return fileSize(m_file, bytes) ? true : fail();
}

bool BinaryFile::seekTo(uint64_t offset) {
    errno = 0;
    return seekFile(m_file, offset) ? true : fail();
}

bool BinaryFile::read(uint8_t* data, std::size_t length) {
    errno = 0;
    return std::fread(data, 1, length, m_file) == length ? true : fail();
}

bool BinaryFile::write(const uint8_t* data, std::size_t length) {
    errno = 0;
    return std::fwrite(data, 1, length, m_file) == length ? true : fail();
}

bool BinaryFile::close() {
    if (!m_file) return true;
    errno = 0;
    const bool flushed = std::fflush(m_file) == 0 || fail();
    const bool closed = std::fclose(m_file) == 0 || fail();
    m_file = nullptr;
    return flushed && closed;
}

}  // namespace avspack
