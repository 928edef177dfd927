// Files and outputs: positioned reads after the size is taken, and outputs
// that appear only when complete.
#include <filesystem>

#include <gtest/gtest.h>

#include "kit/file.h"
#include "kit/output_file.h"
#include "kit/platform_files.h"
#include "scratch_files.h"

namespace {

namespace fs = std::filesystem;

class KitFiles : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return m_dir.file(name); }
    std::string contents(const std::string& name) const {
        const toolstest::Bytes bytes = toolstest::readFile(path(name));
        return std::string(bytes.begin(), bytes.end());
    }
    void put(const std::string& name, const std::string& text) const {
        toolstest::writeFile(path(name), toolstest::Bytes(text.begin(), text.end()));
    }
    std::size_t entries() const { return m_dir.entries().size(); }

private:
    toolstest::ScratchDir m_dir{"kit_scratch"};
};

TEST_F(KitFiles, ReadsWhereAskedAfterTheSizeWasTaken) {
    put("in", "0123456789");
    kit::File file;
    ASSERT_TRUE(file.openForReading(path("in")));
    uint64_t size = 0;
    ASSERT_TRUE(file.size(size));
    EXPECT_EQ(10u, size);
    char bytes[4] = {};
    EXPECT_EQ(4u, file.readAt(0, bytes, 4));
    EXPECT_EQ("0123", std::string(bytes, 4));
    EXPECT_EQ(2u, file.readAt(8, bytes, 4));
    EXPECT_EQ("89", std::string(bytes, 2));
    EXPECT_FALSE(file.failed());
    EXPECT_FALSE(file.readExactly(bytes, 1));
    EXPECT_EQ("unexpected end of file", file.lastError());
}

TEST_F(KitFiles, OutputAppearsOnlyWhenCommitted) {
    put("out", "old");
    const std::string taken = "out.part" + std::to_string(kit::currentProcessId());
    put(taken, "someone else's");  // a file at the first temporary name is left alone
    {
        kit::OutputFile output;
        ASSERT_TRUE(output.create(path("out")));
        ASSERT_TRUE(output.write("new!", 4));
        ASSERT_TRUE(output.seekTo(3));
        ASSERT_TRUE(output.write("?", 1));
        EXPECT_EQ("old", contents("out"));
        kit::OutputFile second;  // a second writer of the same path gets a temporary file of its own
        ASSERT_TRUE(second.create(path("out")));
        EXPECT_EQ(4u, entries());
        ASSERT_TRUE(output.commit());
    }
    EXPECT_EQ("new?", contents("out"));
    EXPECT_EQ("someone else's", contents(taken));
    EXPECT_EQ(2u, entries());
}

TEST_F(KitFiles, AbandonedOrFailedOutputLeavesNothingBehind) {
    {
        kit::OutputFile output;
        ASSERT_TRUE(output.create(path("out")));
        ASSERT_TRUE(output.write("x", 1));
    }
    EXPECT_EQ(0u, entries());

    fs::create_directory(path("dir"));
    kit::OutputFile output;
    ASSERT_TRUE(output.create(path("dir")));
    ASSERT_TRUE(output.close());
    EXPECT_FALSE(output.moveIntoPlace());
    EXPECT_FALSE(output.lastError().empty());
    output.discard();
    EXPECT_EQ(1u, entries());
    EXPECT_TRUE(fs::is_directory(path("dir")));

    kit::OutputFile missing;
    EXPECT_FALSE(missing.create(path("no/such/out")));
    EXPECT_FALSE(missing.lastError().empty());
}

}  // namespace
