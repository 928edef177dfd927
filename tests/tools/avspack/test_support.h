// Shared helpers of the avspack tests: a scratch directory per test, whole-
// file reads and writes, the tool run in-process, and the expected stream.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace avstest {

using Bytes = std::vector<uint8_t>;

struct ToolRun {
    int exitCode = -1;  // what main() would return
    std::string out;    // standard output
    std::string err;    // standard error
};

ToolRun runTool(const std::vector<std::string>& args);

Bytes readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const Bytes& bytes);

// The stream a pack must produce: header words, file[offset, offset + length),
// then file[0, clipDataLength).
Bytes expectedStream(const Bytes& file, uint32_t offset, uint32_t length, uint64_t clipDataLength);

// A fresh directory per test, removed afterwards; path("x") names a file in it.
class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    // Names of the entries in the directory, sorted.
    std::vector<std::string> entries() const;

private:
    std::filesystem::path m_dir;  // the test's directory
};

}  // namespace avstest
