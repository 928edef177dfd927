// Implementation of the avspack test helpers.
#include "test_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "run_avspack.h"
#include "stream_header.h"

namespace avstest {

ToolRun runTool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    ToolRun run;
    run.exitCode = avspack::runAvspack(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

Bytes expectedStream(const Bytes& file, uint32_t offset, uint32_t length, uint64_t clipDataLength) {
    Bytes stream;
    for (uint32_t word : {offset, length})
        for (int i = 0; i < 4; ++i) stream.push_back(uint8_t(word >> (8 * i)));
    stream.insert(stream.end(), file.begin() + offset, file.begin() + offset + length);
    stream.insert(stream.end(), file.begin(), file.begin() + std::ptrdiff_t(clipDataLength));
    return stream;
}

void ScratchTest::SetUp() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    m_dir = std::filesystem::current_path() / "avspack_scratch" / name;
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
}

void ScratchTest::TearDown() {
    if (!HasFailure()) std::filesystem::remove_all(m_dir);
}

std::vector<std::string> ScratchTest::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace avstest
