// Replays the kept fuzzing inputs (the seed corpus and every reproducer of a
// past failure) through the same checks as the fuzzing harness.
#include "bitstream_file.h"
#include "fuzz/fuzz_decode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path fuzzDir = fs::path(__FILE__).parent_path() / "fuzz";

std::vector<fs::path> inputsIn(const char* name) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(fuzzDir / name))
        if (entry.is_regular_file()) files.push_back(entry.path());
    return files;
}

void replay(const char* name) {
    const std::vector<fs::path> files = inputsIn(name);
    ASSERT_FALSE(files.empty()) << (fuzzDir / name).string();
    for (const fs::path& file : files) {
        const std::vector<uint8_t> input = readFileBytes(file.string());
        ASSERT_FALSE(input.empty()) << file.string();
        EXPECT_TRUE(fuzzing::decodeInput(input.data(), input.size())) << file.string();
    }
}

}  // namespace

TEST(FuzzReplay, SeedCorpus) { replay("corpus"); }

TEST(FuzzReplay, FailureReproducers) { replay("crashes"); }
