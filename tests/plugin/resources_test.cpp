// The resources a browser and the window read from the library: the version
// information that registers "video/avs" and the 8-bit logo bitmap 129.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "PluginLibrary.h"

namespace {
class Resources : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Plugin().IsReady()) << Plugin().Error();
        DWORD dwHandle = 0;
        DWORD dwSize = GetFileVersionInfoSizeA(Plugin().Path().c_str(), &dwHandle);
        ASSERT_NE(0u, dwSize);
        m_info.resize(dwSize);
        ASSERT_TRUE(GetFileVersionInfoA(Plugin().Path().c_str(), 0, dwSize, m_info.data()));
    }

    // A string of the "040904e4" block, or "(missing)".
    std::string VersionString(const char* pszKey)
    {
        std::string query = std::string("\\StringFileInfo\\040904e4\\") + pszKey;
        char* pszValue = NULL;
        UINT nLen = 0;
        if (!VerQueryValueA(m_info.data(), query.c_str(), reinterpret_cast<void**>(&pszValue), &nLen) || !pszValue)
            return "(missing)";
        return pszValue;
    }

    std::vector<BYTE> m_info;  // the library's whole version resource
};
}  // namespace

TEST_F(Resources, VersionStringsRegisterThePlugIn)
{
    EXPECT_EQ("video/avs", VersionString("MIMEType"));
    EXPECT_EQ("avs", VersionString("FileExtents"));
    EXPECT_EQ("Movara AVS(*.avs)", VersionString("FileOpenName"));
    EXPECT_EQ("2, 1, 1, 3", VersionString("FileVersion"));
    EXPECT_EQ("2, 1, 0, 0", VersionString("ProductVersion"));
    for (const char* pszKey : {"CompanyName", "ProductName", "FileDescription", "OriginalFilename"})
        EXPECT_NE("(missing)", VersionString(pszKey)) << pszKey;
}

TEST_F(Resources, TranslationIsUsEnglishWithCodePage1252)
{
    WORD* pTranslation = NULL;
    UINT nLen = 0;
    ASSERT_TRUE(
        VerQueryValueA(m_info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslation), &nLen));
    ASSERT_EQ(4u, nLen);
    EXPECT_EQ(0x0409, pTranslation[0]);
    EXPECT_EQ(1252, pTranslation[1]);
}

TEST_F(Resources, FixedInfoGivesTheVersionsOfADll)
{
    VS_FIXEDFILEINFO* pFixed = NULL;
    UINT nLen = 0;
    ASSERT_TRUE(VerQueryValueA(m_info.data(), "\\", reinterpret_cast<void**>(&pFixed), &nLen));
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), nLen);
    EXPECT_EQ(0xFEEF04BDu, pFixed->dwSignature);
    EXPECT_EQ(MAKELONG(1, 2), pFixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(3, 1), pFixed->dwFileVersionLS);
    EXPECT_EQ(MAKELONG(1, 2), pFixed->dwProductVersionMS);
    EXPECT_EQ(0u, pFixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), pFixed->dwFileType);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), pFixed->dwFileOS);
}

// The stored bitmap: 160 x 112, 8 bits per pixel, a full 256-entry colour
// table, and a picture rather than a blank.
TEST_F(Resources, LogoIsAn8BitBitmapWith256Colours)
{
    HMODULE hModule = Plugin().Module();
    HRSRC hRes = FindResourceA(hModule, MAKEINTRESOURCEA(129), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    ASSERT_NE(nullptr, hRes);
    auto* pInfo = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(hModule, hRes)));
    ASSERT_NE(nullptr, pInfo);
    EXPECT_EQ(sizeof(BITMAPINFOHEADER), pInfo->biSize);
    EXPECT_EQ(160, pInfo->biWidth);
    EXPECT_EQ(112, pInfo->biHeight);
    EXPECT_EQ(8, pInfo->biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), pInfo->biCompression);
    EXPECT_TRUE(pInfo->biClrUsed == 0 || pInfo->biClrUsed == 256) << pInfo->biClrUsed;
    DWORD nTableBytes = 256 * sizeof(RGBQUAD);
    ASSERT_GE(SizeofResource(hModule, hRes), pInfo->biSize + nTableBytes + 160u * 112u);

    const BYTE* pPixels = reinterpret_cast<const BYTE*>(pInfo) + pInfo->biSize + nTableBytes;
    std::set<BYTE> used(pPixels, pPixels + 160 * 112);
    EXPECT_GT(used.size(), 16u) << "the logo should be a picture, not a flat area";
}

TEST_F(Resources, LogoLoadsAsABitmapOfItsSize)
{
    HBITMAP hBitmap = LoadBitmapA(Plugin().Module(), MAKEINTRESOURCEA(129));
    ASSERT_NE(nullptr, hBitmap);
    BITMAP bm = {};
    EXPECT_EQ(static_cast<int>(sizeof(bm)), GetObjectA(hBitmap, sizeof(bm), &bm));
    EXPECT_EQ(160, bm.bmWidth);
    EXPECT_EQ(112, bm.bmHeight);
    DeleteObject(hBitmap);
}
