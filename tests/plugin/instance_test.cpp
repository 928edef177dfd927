// Instance creation and destruction through the plug-in table: the record a
// new instance starts with, the "autostart" attribute rules, and teardown
// without a window, without a stream and without a record.
#include <gtest/gtest.h>

#include <string.h>

#include "MciPlayer.h"
#include "PluginLibrary.h"
#include "RigInstance.h"
#include "SaveAsSpy.h"
#include "TestFiles.h"
#include "stream_placement.h"

namespace {
class Instance : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error(); }

    // m_bAutoStart of a new instance created with these attributes.
    static BOOL AutoStartWith(const CRigInstance::Attributes& attributes)
    {
        CRigInstance instance(Plugin());
        EXPECT_EQ(NPERR_NO_ERROR, instance.New(NP_EMBED, attributes));
        return instance.Record() ? instance.Record()->m_bAutoStart : -1;
    }
};
}  // namespace

TEST_F(Instance, NewWithoutInstanceIsRefused)
{
    char szType[] = "video/avs";
    EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, Plugin().Funcs().newp(szType, NULL, NP_EMBED, 0, NULL, NULL, NULL));
}

TEST_F(Instance, NewRecordHoldsAPlayerAndNothingElse)
{
    CRigInstance instance(Plugin());
    ASSERT_EQ(NPERR_NO_ERROR, instance.New(NP_FULL));
    const PluginInstance* pRecord = instance.Record();
    ASSERT_NE(nullptr, pRecord);
    EXPECT_EQ(nullptr, pRecord->m_pWindow);
    EXPECT_EQ(nullptr, pRecord->m_pSideWindow);
    ASSERT_NE(nullptr, pRecord->m_pPlayer);
    EXPECT_EQ(TRUE, pRecord->m_bAutoStart);
    EXPECT_EQ(nullptr, pRecord->m_pStreamFile);
    EXPECT_EQ(NP_FULL, pRecord->m_wMode);
    EXPECT_EQ(400u, pRecord->m_nExtendStep);
    EXPECT_EQ(FALSE, pRecord->m_bStreamOpen);
    EXPECT_STREQ("", pRecord->m_szTempPath);
    EXPECT_STREQ("", pRecord->m_szSaveName);

    const CMciPlayer* pPlayer = pRecord->m_pPlayer;
    EXPECT_EQ(TRUE, pPlayer->m_bNoSaveOffer);
    EXPECT_EQ(0u, pPlayer->m_wDeviceID);
    EXPECT_EQ(0u, pPlayer->m_nBytesReceived);
    EXPECT_EQ(avs::kUnknownStartBytes, pPlayer->m_nStartBytes);
}

TEST_F(Instance, EveryInstanceHasARecordOfItsOwn)
{
    CRigInstance first(Plugin()), second(Plugin());
    ASSERT_EQ(NPERR_NO_ERROR, first.New(NP_EMBED));
    ASSERT_EQ(NPERR_NO_ERROR, second.New(NP_EMBED));
    EXPECT_NE(first.Record(), second.Record());
    EXPECT_NE(first.Record()->m_pPlayer, second.Record()->m_pPlayer);
    EXPECT_EQ(NP_EMBED, second.Record()->m_wMode);
}

TEST_F(Instance, AutoStartFalseInAnyCaseTurnsAutomaticStartOff)
{
    EXPECT_EQ(FALSE, AutoStartWith({{"SRC", "clip.avs"}, {"AUTOSTART", "FALSE"}}));
    EXPECT_EQ(FALSE, AutoStartWith({{"AutoStart", "fAlSe"}, {"src", "clip.avs"}}));
}

TEST_F(Instance, OtherAutoStartValuesLeaveItAsItWas)
{
    EXPECT_EQ(TRUE, AutoStartWith({{"src", "clip.avs"}, {"autostart", "no"}}));
    EXPECT_EQ(TRUE, AutoStartWith({{"src", "clip.avs"}, {"autostart", ""}}));
    EXPECT_EQ(TRUE, AutoStartWith({{"src", "clip.avs"}, {"autostart", "false "}}));
    EXPECT_EQ(FALSE, AutoStartWith({{"autostart", "false"}, {"autostart", "maybe"}}));
}

TEST_F(Instance, LaterAutoStartAttributesWin)
{
    EXPECT_EQ(TRUE, AutoStartWith({{"autostart", "false"}, {"src", "clip.avs"}, {"AUTOSTART", "TRUE"}}));
    EXPECT_EQ(FALSE, AutoStartWith({{"autostart", "true"}, {"autostart", "false"}}));
}

TEST_F(Instance, OnlyTheWholeNameCounts)
{
    EXPECT_EQ(TRUE, AutoStartWith({{"src", "clip.avs"}, {"autostart2", "false"}}));
    EXPECT_EQ(TRUE, AutoStartWith({{"src", "clip.avs"}, {"auto", "false"}}));
}

TEST_F(Instance, ASingleAttributeIsNotExamined)
{
    EXPECT_EQ(TRUE, AutoStartWith({{"autostart", "false"}}));
}

// Attributes without a name or a value (NULL strings) are passed over.
TEST_F(Instance, MissingAttributeStringsArePassedOver)
{
    char szAuto[] = "autostart", szFalse[] = "false", szSrc[] = "src";
    char* argn[] = {szSrc, NULL, szAuto, szAuto};
    char* argv[] = {NULL, szFalse, NULL, szFalse};
    char szType[] = "video/avs";
    NPP_t npp = {};
    ASSERT_EQ(NPERR_NO_ERROR, Plugin().Funcs().newp(szType, &npp, NP_EMBED, 4, argn, argv, NULL));
    EXPECT_EQ(FALSE, static_cast<PluginInstance*>(npp.pdata)->m_bAutoStart);
    EXPECT_EQ(NPERR_NO_ERROR, Plugin().Funcs().destroy(&npp, NULL));
}

TEST_F(Instance, DestroyWithoutWindowOrStreamReleasesTheRecord)
{
    CRigInstance instance(Plugin());
    ASSERT_EQ(NPERR_NO_ERROR, instance.New(NP_EMBED));
    NPSavedData saved = {};
    NPSavedData* pSaved = &saved;
    EXPECT_EQ(NPERR_NO_ERROR, Plugin().Funcs().destroy(instance.Npp(), &pSaved));
    EXPECT_EQ(nullptr, instance.Npp()->pdata);
    EXPECT_EQ(&saved, pSaved) << "nothing is saved for the browser";
    EXPECT_TRUE(CSaveAsSpy::Dialogs().empty()) << "no clip arrived, so none is offered";
}

TEST_F(Instance, DestroyDeletesTheTemporaryFileEvenWithoutOffer)
{
    CRigInstance instance(Plugin());
    ASSERT_EQ(NPERR_NO_ERROR, instance.New(NP_EMBED));
    std::string strTemp = FreshTempPath(".avi");
    ASSERT_TRUE(WriteWholeFile(strTemp, "clip bytes"));
    strcpy(instance.Record()->m_szTempPath, strTemp.c_str());
    EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
    EXPECT_FALSE(FileExists(strTemp));
    EXPECT_TRUE(CSaveAsSpy::Dialogs().empty());
}

TEST_F(Instance, DestroyOfNothingIsHarmless)
{
    EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, Plugin().Funcs().destroy(NULL, NULL));
    NPP_t npp = {};
    EXPECT_EQ(NPERR_NO_ERROR, Plugin().Funcs().destroy(&npp, NULL));
}
