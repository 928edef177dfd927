// Helpers of the avspack tests: the tool run in-process, the expected stream,
// and a scratch directory per test (toolstest::ScratchDir).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scratch_files.h"

namespace avstest {

using toolstest::Bytes;
using toolstest::readFile;
using toolstest::writeFile;

struct ToolRun {
    int exitCode = -1;  // what main() would return
    std::string out;    // standard output
    std::string err;    // standard error
};

ToolRun runTool(const std::vector<std::string>& args);

// The stream a pack must produce: header words, file[offset, offset + length),
// then file[0, clipDataLength).
Bytes expectedStream(const Bytes& file, uint32_t offset, uint32_t length, uint64_t clipDataLength);

// A fresh directory per test; path("x") names a file in it.
class ScratchTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return m_dir.file(name); }
    // Names of the entries in the directory, sorted.
    std::vector<std::string> entries() const { return m_dir.entries(); }

private:
    toolstest::ScratchDir m_dir{"avspack_scratch"};  // the test's directory
};

}  // namespace avstest
