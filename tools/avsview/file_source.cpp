// A local file as a stream source: its size is the stream's length, its
// modification time the stream's lastmodified.
#include "file_source.h"

#include "system_error.h"
#include "unix_time.h"

namespace avsview {

FileSource::~FileSource() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
}

bool FileSource::open(std::string& error) {
    m_file = CreateFileA(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (m_file == INVALID_HANDLE_VALUE) {
        error = "cannot open " + m_path + ": " + systemErrorText();
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(m_file, &info)) {
        error = "cannot read the size of " + m_path + ": " + systemErrorText();
        return false;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = m_path + " is a folder, not a file";
        return false;
    }
    m_length = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (m_length > 0xFFFFFFFFULL) {
        error = m_path + " is larger than a stream can announce (4 GiB)";
        return false;
    }
    m_lengthKnown = true;
    m_lastModified = unixSeconds(info.ftLastWriteTime);
    return true;
}

bool FileSource::read(uint8_t* buffer, std::size_t capacity, std::size_t& got, std::string& error) {
    DWORD count = 0;
    if (!ReadFile(m_file, buffer, static_cast<DWORD>(capacity), &count, NULL)) {
        error = "reading " + m_path + " failed: " + systemErrorText();
        return false;
    }
    got = count;
    return true;
}

}  // namespace avsview
