// avsplay as a user runs it: what it writes and its exit status, for a whole
// clip, a stream cut short, sound asked of a clip without any, and bad
// command lines. A failed run leaves no output behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "palette_clip.h"
#include "run_avsplay.h"
#include "scratch_files.h"

namespace playertest {

namespace {

struct AvsplayCase {
    const char* name;
    std::vector<std::string> args;  // IN, OUT and DIR stand for the clip, an output file and a folder
    std::size_t clipBytes;          // bytes of the clip given (0: all of it)
    int status;
    std::vector<std::string> left;  // the scratch folder's entries afterwards
};

const std::vector<AvsplayCase>& avsplayCases() {
    static const std::vector<AvsplayCase> cases = {
        {"WholeClip",
         {"--clip", "--rgba", "OUT", "--frames", "DIR", "IN"},
         0,
         avsplay::kExitSuccess,
         {"clip.avi", "frames", "out"}},
        {"ClipCutShort", {"--clip", "--rgba", "OUT", "IN"}, 900, avsplay::kExitStream, {"clip.avi"}},
        {"SoundOfAClipWithout", {"--clip", "--sound", "OUT", "IN"}, 0, avsplay::kExitStream, {"clip.avi"}},
        {"NoSuchInput", {"--rgba", "OUT", "IN.missing"}, 0, avsplay::kExitStream, {"clip.avi"}},
        {"UnknownOption", {"--speed", "2", "IN"}, 0, avsplay::kExitUsage, {"clip.avi"}},
    };
    return cases;
}

class Avsplay : public ::testing::TestWithParam<AvsplayCase> {};

TEST_P(Avsplay, WritesWhatItPlayedOrNothing) {
    const AvsplayCase& run = GetParam();
    toolstest::ScratchDir dir("avsplay");
    toolstest::Bytes clip = makePaletteClip({20, 16, 6, 5});
    if (run.clipBytes != 0) clip.resize(run.clipBytes);
    toolstest::writeFile(dir.path("clip.avi"), clip);
    std::filesystem::create_directory(dir.path("frames"));
    std::vector<std::string> args;
    for (const std::string& arg : run.args) {
        args.push_back(arg == "IN"           ? dir.file("clip.avi")
                       : arg == "IN.missing" ? dir.file("missing.avi")
                       : arg == "OUT"        ? dir.file("out")
                       : arg == "DIR"        ? dir.file("frames")
                                             : arg);
    }
    EXPECT_EQ(avsplay::runAvsplay(args), run.status);
    if (run.status == avsplay::kExitSuccess) {
        EXPECT_EQ(toolstest::readFile(dir.path("out")).size(), 6u * 20 * 16 * 4);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path("frames")), {}), 6);
        EXPECT_EQ(toolstest::readFile(dir.path("frames/frame-00005.ppm")).size(), 13 + 20 * 16 * 3u);
    } else {
        std::filesystem::remove(dir.path("frames"));
    }
    EXPECT_EQ(dir.entries(), run.left);
}

INSTANTIATE_TEST_SUITE_P(Table, Avsplay, ::testing::ValuesIn(avsplayCases()),
                         [](const ::testing::TestParamInfo<AvsplayCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace

}  // namespace playertest
