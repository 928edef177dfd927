// Temporary-then-rename output files.
#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "interrupt_cleanup.h"
#include "platform_files.h"

namespace kit {

OutputFile::~OutputFile() { discard(); }

bool OutputFile::create(const std::string& path) {
    m_path = path;
    const std::string stem = path + ".part" + std::to_string(currentProcessId());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = attempt ? stem + "-" + std::to_string(attempt) : stem;
        if (m_file.createNew(candidate)) {
            m_tempPath = candidate;
            m_watchSlot = watchTemporary(candidate);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    m_lastError = "no free temporary name";
    return false;
}

bool OutputFile::openInPlace(const std::string& path) {
    m_path = path;
    return m_file.openForWriting(path);
}

void OutputFile::useStandardOutput() {
    m_standardOutput = true;
    m_file.useStandardOutput();
}

bool OutputFile::close() {
    m_lastError.clear();
    if (m_standardOutput) return m_file.flush();
    return m_file.close();
}

bool OutputFile::moveIntoPlace() {
    if (m_tempPath.empty()) return true;
    if (!replaceFile(m_tempPath, m_path, m_lastError)) return false;
    forgetTemporary();
    return true;
}

void OutputFile::discard() {
    m_file.close();
    if (m_tempPath.empty()) return;
    std::remove(m_tempPath.c_str());
    forgetTemporary();
}

void OutputFile::forgetTemporary() {
    unwatchTemporary(m_watchSlot);
    m_watchSlot = -1;
    m_tempPath.clear();
}

}  // namespace kit
