// Replays the player harness's kept inputs (its seed corpus and any reproducer
// of a past failure) through the harness body.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/fuzz_play.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFuzzDir = fs::path(__FILE__).parent_path() / "fuzz";

TEST(PlayerFuzzReplay, KeptInputs) {
    int replayed = 0;
    for (const char* name : {"corpus", "crashes"}) {
        if (!fs::is_directory(kFuzzDir / name)) continue;
        for (const fs::directory_entry& entry : fs::directory_iterator(kFuzzDir / name)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> input{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            playerfuzz::playInput(input.data(), input.size());
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0) << "no kept inputs in " << kFuzzDir.string();
}

}  // namespace
