// main of the plug-in test program: loads the plug-in once, installs the
// import table, and around every test of every suite resets the table and
// checks that the test left no temporary clip file behind.
#include <gtest/gtest.h>

#include "ImportTable.h"
#include "PluginLibrary.h"
#include "TestFiles.h"

namespace {
class CImportEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error();
        std::string missing = InstallImports();
        ASSERT_TRUE(missing.empty()) << "imports that could not be replaced: " << missing;
    }
};

class CImportReset : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo&) override
    {
        ResetImports();
        m_nTempClips = CountTempFiles("ZEV*");
    }
    void OnTestEnd(const ::testing::TestInfo& info) override
    {
        ResetImports();
        int nLeft = CountTempFiles("ZEV*") - m_nTempClips;
        if (nLeft > 0)
            ADD_FAILURE() << info.test_suite_name() << "." << info.name() << " left " << nLeft
                          << " temporary clip file(s) behind";
    }

    int m_nTempClips = 0;  // temporary clip files before the test
};
}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new CImportEnvironment);
    ::testing::UnitTest::GetInstance()->listeners().Append(new CImportReset);
    return RUN_ALL_TESTS();
}
