// Implementation of the shared test helpers.
#include "scratch_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

namespace toolstest {

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    EXPECT_TRUE(out.good()) << "cannot write " << path;
}

ScratchDir::ScratchDir(const std::string& area) : m_area(area) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    m_dir = m_area / name;
    std::filesystem::remove_all(m_dir);
    // Another test's process may remove the area just as it is made (it
    // removes the area once empty): then it is made again.
    std::error_code ec;
    for (int attempt = 0; attempt < 3 && !std::filesystem::is_directory(m_dir); ++attempt)
        std::filesystem::create_directories(m_dir, ec);
    EXPECT_TRUE(std::filesystem::is_directory(m_dir)) << "cannot make " << m_dir << ": " << ec.message();
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    if (::testing::Test::HasFailure()) return;
    std::filesystem::remove_all(m_dir, ec);
    std::filesystem::remove(m_area, ec);  // only when empty
}

std::vector<std::string> ScratchDir::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace toolstest
