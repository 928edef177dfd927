// Temporary-then-rename output files.
#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform_files.h"

namespace avspack {

OutputFile::OutputFile(std::string path) : m_path(std::move(path)) {}

OutputFile::~OutputFile() { discard(); }

bool OutputFile::create(std::string& error) {
    const std::string stem = m_path + ".part" + std::to_string(currentProcessId());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = attempt ? stem + "-" + std::to_string(attempt) : stem;
        errno = 0;
        if (std::FILE* file = createNewFile(candidate)) {
            m_file.adopt(file);
            m_tempPath = candidate;
            return true;
        }
        if (errno != EEXIST) break;
    }
    error = "cannot create " + m_path + ": " + (errno ? std::strerror(errno) : "no free temporary name");
    return false;
}

bool OutputFile::seekTo(uint64_t offset) { return m_file.seekTo(offset); }

bool OutputFile::write(const uint8_t* data, std::size_t length) { return m_file.write(data, length); }

std::string OutputFile::writeError() const { return "cannot write " + m_path + ": " + m_file.lastError(); }

bool OutputFile::commit(std::string& error) {
    if (!m_file.close()) {
        error = writeError();
        discard();
        return false;
    }
    std::string reason;
    if (!replaceFile(m_tempPath, m_path, reason)) {
        error = "cannot write " + m_path + ": " + reason;
        discard();
        return false;
    }
    m_tempPath.clear();
    return true;
}

void OutputFile::discard() {
    if (m_tempPath.empty()) return;
    m_file.close();
    std::remove(m_tempPath.c_str());
    m_tempPath.clear();
}

}  // namespace avspack
