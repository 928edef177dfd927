// Windows (msvcrt, Win32) and POSIX versions of the file operations that
// the C++ standard library does not cover portably.
#include "platform_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <process.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kit {

#ifdef _WIN32

bool seekFile(std::FILE* file, uint64_t offset) {
    return offset <= uint64_t(INT64_MAX) && _fseeki64(file, int64_t(offset), SEEK_SET) == 0;
}

bool fileSize(std::FILE* file, uint64_t& bytes) {
    if (_fseeki64(file, 0, SEEK_END) != 0) return false;
    const int64_t end = _ftelli64(file);
    if (end < 0) return false;
    bytes = uint64_t(end);
    return true;
}

std::FILE* createNewFile(const std::string& path) {
    const int fd = _open(path.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* file = _fdopen(fd, "w+b");
    if (!file) _close(fd);
    return file;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& error) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    const DWORD code = GetLastError();
    char text[256] = {};
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                        nullptr))
        std::snprintf(text, sizeof text, "system error %lu", static_cast<unsigned long>(code));
    error = text;
    while (!error.empty() && (error.back() == '\n' || error.back() == '\r' || error.back() == '.')) error.pop_back();
    return false;
}

void setBinaryMode(std::FILE* file) { _setmode(_fileno(file), _O_BINARY); }

unsigned long currentProcessId() { return static_cast<unsigned long>(_getpid()); }

namespace {

bool fileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    return known;
}

}  // namespace

bool isSameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION a, b;
    return fileIdentity(first, a) && fileIdentity(second, b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

bool removeFileNow(const char* path) { return _unlink(path) == 0; }

void writeStandardError(const char* text, std::size_t length) { _write(2, text, unsigned(length)); }

#else

bool seekFile(std::FILE* file, uint64_t offset) {
    return offset <= uint64_t(INT64_MAX) && fseeko(file, off_t(offset), SEEK_SET) == 0;
}

bool fileSize(std::FILE* file, uint64_t& bytes) {
    if (fseeko(file, 0, SEEK_END) != 0) return false;
    const off_t end = ftello(file);
    if (end < 0) return false;
    bytes = uint64_t(end);
    return true;
}

std::FILE* createNewFile(const std::string& path) {
    const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_RDWR, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "w+b");
    if (!file) close(fd);
    return file;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& error) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    error = std::strerror(errno);
    return false;
}

void setBinaryMode(std::FILE*) {}

unsigned long currentProcessId() { return static_cast<unsigned long>(getpid()); }

bool isSameFile(const std::string& first, const std::string& second) {
    struct stat a, b;
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool removeFileNow(const char* path) { return unlink(path) == 0; }

void writeStandardError(const char* text, std::size_t length) {
    while (length > 0) {
        const ssize_t written = write(2, text, length);
        if (written <= 0) return;
        text += written;
        length -= std::size_t(written);
    }
}

#endif

}  // namespace kit
