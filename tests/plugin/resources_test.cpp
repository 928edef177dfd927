// The resources a browser and the window read from the library: the version
// information that registers the MIME type, and the 8-bit logo bitmap.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "PluginLibrary.h"
#include "PluginWindow.h"

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

// The "a, b, c, d" form of a version's two fixed-information words.
std::string VersionText(DWORD dwMS, DWORD dwLS)
{
    return std::to_string(HIWORD(dwMS)) + ", " + std::to_string(LOWORD(dwMS)) + ", " + std::to_string(HIWORD(dwLS)) +
           ", " + std::to_string(LOWORD(dwLS));
}

// The browser registers the type the rig hands over, for files whose extension
// the open name offers.
TEST_F(Resources, VersionStringsRegisterThePlugIn)
{
    EXPECT_EQ(PLUGIN_MIME_TYPE, VersionString("MIMEType"));
    std::string strExtension = VersionString("FileExtents");
    EXPECT_NE(std::string::npos, VersionString("FileOpenName").find("(*." + strExtension + ")"));
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
    EXPECT_EQ("2, 1, 1, 3", VersionText(pFixed->dwFileVersionMS, pFixed->dwFileVersionLS));
    EXPECT_EQ("2, 1, 0, 0", VersionText(pFixed->dwProductVersionMS, pFixed->dwProductVersionLS));
    EXPECT_EQ(VersionText(pFixed->dwFileVersionMS, pFixed->dwFileVersionLS), VersionString("FileVersion"))
        << "the strings tell the same version";
    EXPECT_EQ(VersionText(pFixed->dwProductVersionMS, pFixed->dwProductVersionLS), VersionString("ProductVersion"));
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), pFixed->dwFileType);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), pFixed->dwFileOS);
}

// The stored bitmap: 160 x 112, 8 bits per pixel, a full 256-entry colour
// table, and a picture rather than a blank.
TEST_F(Resources, LogoIsAn8BitBitmapWith256Colours)
{
    HMODULE hModule = Plugin().Module();
    HRSRC hRes = FindResourceA(hModule, MAKEINTRESOURCEA(IDB_LOGO), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
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
    HBITMAP hBitmap = LoadBitmapA(Plugin().Module(), MAKEINTRESOURCEA(IDB_LOGO));
    ASSERT_NE(nullptr, hBitmap);
    BITMAP bm = {};
    EXPECT_EQ(static_cast<int>(sizeof(bm)), GetObjectA(hBitmap, sizeof(bm), &bm));
    EXPECT_EQ(160, bm.bmWidth);
    EXPECT_EQ(112, bm.bmHeight);
    DeleteObject(hBitmap);
}
