// Shared helpers of the tools' tests: a scratch directory per test and whole-
// file reads and writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace toolstest {

using Bytes = std::vector<uint8_t>;

// The whole file (a file that cannot be read fails the test).
Bytes readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const Bytes& bytes);

// A fresh directory for the running test, area/SUITE.NAME below the working
// directory; removed afterwards unless the test failed, and the area with it
// once no test's directory is left in it.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& area);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::filesystem::path path(const std::string& name) const { return m_dir / name; }
    // The path as a string, for a tool's arguments.
    std::string file(const std::string& name) const { return path(name).string(); }
    // Names of the entries in the directory, sorted.
    std::vector<std::string> entries() const;

private:
    std::filesystem::path m_area;  // the tools' area, below the working directory
    std::filesystem::path m_dir;   // the test's directory in it
};

}  // namespace toolstest
