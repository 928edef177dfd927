// Opening inputs, 64-bit positioned reads and read-error tracking.
#include "input_file.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <filesystem>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace g723dec {

namespace {

bool seekTo(std::FILE* file, uint64_t offset, int origin)
{
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(offset), origin) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

uint64_t tellOf(std::FILE* file)
{
#ifdef _WIN32
    return static_cast<uint64_t>(_ftelli64(file));
#else
    return static_cast<uint64_t>(ftello(file));
#endif
}

}  // namespace

InputFile::~InputFile()
{
    if (ownsFile_ && file_ != nullptr) {
        std::fclose(file_);
    }
}

Status InputFile::open(const std::string& path)
{
    if (path == "-") {
        name_ = "standard input";
        file_ = stdin;
#ifdef _WIN32
        _setmode(_fileno(stdin), _O_BINARY);
#endif
        return Status{};
    }
    name_ = path;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return failure(exitUnreadable, path + ": cannot read: is a directory");
    }
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        return failure(exitUnreadable, path + ": cannot open: " + std::strerror(errno));
    }
    ownsFile_ = true;
    // A pipe given by name (such as a shell's process substitution) cannot
    // seek: it is read like standard input.
    if (!seekTo(file_, 0, SEEK_END)) {
        return Status{};
    }
    size_ = tellOf(file_);
    seekable_ = true;
    if (!seek(0)) {
        return failure(exitUnreadable, path + ": cannot read: " + errorText_);
    }
    return Status{};
}

size_t InputFile::read(void* dst, size_t n)
{
    size_t got = std::fread(dst, 1, n, file_);
    position_ += got;
    if (got < n && std::ferror(file_)) {
        failed_ = true;
        errorText_ = std::strerror(errno);
        std::clearerr(file_);
    }
    return got;
}

bool InputFile::seek(uint64_t offset)
{
    if (!seekTo(file_, offset, SEEK_SET)) {
        failed_ = true;
        errorText_ = std::strerror(errno);
        return false;
    }
    position_ = offset;
    return true;
}

size_t InputFile::readAt(uint64_t offset, void* dst, size_t n)
{
    if (position_ != offset && !seek(offset)) {
        return 0;
    }
    return read(dst, n);
}

}  // namespace g723dec
