// Buffered binary file access with the reason of every failure kept.
#include "file.h"

#include <cerrno>
#include <cstring>

#include "platform_files.h"

namespace kit {

File::~File() { close(); }

bool File::fail() {
    m_lastError = errno ? std::strerror(errno) : "unexpected end of file";
    return false;
}

bool File::openForReading(const std::string& path) {
    errno = 0;
    m_file = std::fopen(path.c_str(), "rb");
    m_owned = true;
    return m_file ? true : fail();
}

bool File::openForWriting(const std::string& path) {
    errno = 0;
    m_file = std::fopen(path.c_str(), "wb");
    m_owned = true;
    return m_file ? true : fail();
}

bool File::createNew(const std::string& path) {
    errno = 0;
    m_file = createNewFile(path);
    m_owned = true;
    return m_file ? true : fail();
}

void File::useStandardInput() {
    m_file = stdin;
    m_owned = false;
    setBinaryMode(stdin);
}

void File::useStandardOutput() {
    m_file = stdout;
    m_owned = false;
    setBinaryMode(stdout);
}

bool File::size(uint64_t& bytes) {
    errno = 0;
    if (!fileSize(m_file, bytes)) return fail();
    m_position = bytes;
    return true;
}

bool File::seekTo(uint64_t offset) {
    errno = 0;
    if (!seekFile(m_file, offset)) {
        m_failed = true;
        return fail();
    }
    m_position = offset;
    return true;
}

std::size_t File::read(void* data, std::size_t length) {
    errno = 0;
    const std::size_t got = std::fread(data, 1, length, m_file);
    m_position += got;
    if (got < length && std::ferror(m_file)) {
        m_failed = true;
        fail();
        std::clearerr(m_file);
    }
    return got;
}

bool File::readExactly(void* data, std::size_t length) { return read(data, length) == length ? true : fail(); }

std::size_t File::readAt(uint64_t offset, void* data, std::size_t length) {
    if (m_position != offset && !seekTo(offset)) return 0;
    return read(data, length);
}

bool File::write(const void* data, std::size_t length) {
    errno = 0;
    const std::size_t written = std::fwrite(data, 1, length, m_file);
    m_position += written;
    return written == length ? true : fail();
}

bool File::flush() {
    errno = 0;
    return std::fflush(m_file) == 0 ? true : fail();
}

bool File::close() {
    std::FILE* file = m_file;
    m_file = nullptr;
    if (!file || !m_owned) return true;
    errno = 0;
    const bool flushed = std::fflush(file) == 0 || fail();
    const bool closed = std::fclose(file) == 0 || fail();
    return flushed && closed;
}

}  // namespace kit
