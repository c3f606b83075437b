#include <gtest/gtest.h>

#include "ui/core/UIManager.h"

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override { CPaintManagerUI::RemoveAllSharedResources(); }
};

TEST_F(RegistryTest, FontsReplaceByIdAndWindowFontsShadowSharedOnes)
{
    CPaintManagerUI pm;
    HFONT first = pm.AddFont(3, L"First", 12, false, false, false);
    HFONT second = pm.AddFont(3, L"Second", 14, true, false, false);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(pm.GetCustomFontCount(), 1);
    EXPECT_EQ(pm.GetFont(3), second);
    EXPECT_STREQ(pm.GetFontInfo(3)->sFontName.GetData(), L"Second");
    EXPECT_TRUE(pm.GetFontInfo(3)->bBold);
    EXPECT_EQ(pm.GetFontInfo(second)->id, 3);
    EXPECT_EQ(pm.GetFontIndex(second), 3);
    EXPECT_EQ(pm.GetFont(L"Second", 14, true, false, false), second);
    EXPECT_EQ(pm.GetFont(L"Second", 14, false, false, false), nullptr);
    // The font is made from the system GUI font with the markup's face, height and weight.
    LOGFONTW lf = {};
    ASSERT_NE(GetObjectW(second, sizeof(lf), &lf), 0);
    EXPECT_STREQ(lf.lfFaceName, L"Second");
    EXPECT_EQ(lf.lfHeight, -14);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);

    pm.AddFont(4, L"Shared", 20, false, true, false, true);
    pm.AddFont(4, L"Own", 21, false, false, false);
    EXPECT_STREQ(pm.GetFontInfo(4)->sFontName.GetData(), L"Own");
    pm.RemoveFont(4);
    EXPECT_STREQ(pm.GetFontInfo(4)->sFontName.GetData(), L"Shared");
    EXPECT_EQ(pm.GetFontIndex(L"Shared", 20, false, true, false, true), 4);
    EXPECT_EQ(pm.GetFontIndex(L"Shared", 20, false, true, false), -1);
    EXPECT_EQ(pm.GetFontIndex(L"shared", 20, false, true, false, true), -1); // face names are case-sensitive

    // Unknown and negative ids fall back to the default font.
    pm.SetDefaultFont(L"Default", 13, false, false, false);
    EXPECT_EQ(pm.GetFontInfo(99), pm.GetDefaultFontInfo());
    EXPECT_EQ(pm.GetFont(99), pm.GetDefaultFontInfo()->hFont);
    EXPECT_NE(pm.GetFont(-1), nullptr);
    EXPECT_EQ(pm.GetFontInfo(-1)->iSize, 13);
    EXPECT_EQ(pm.GetDefaultFontInfo()->id, -1);

    // A window without its own default font uses the shared one, which starts as the
    // system GUI font.
    CPaintManagerUI other;
    EXPECT_NE(other.GetDefaultFontInfo()->hFont, nullptr);
    EXPECT_FALSE(other.GetDefaultFontInfo()->sFontName.IsEmpty());
    other.SetDefaultFont(L"SharedDefault", 15, false, false, false, true);
    EXPECT_STREQ(other.GetDefaultFontInfo()->sFontName.GetData(), L"SharedDefault");
    EXPECT_STREQ(pm.GetDefaultFontInfo()->sFontName.GetData(), L"Default");

    pm.RemoveAllFonts();
    EXPECT_EQ(pm.GetCustomFontCount(), 0);
    EXPECT_EQ(pm.GetCustomFontCount(true), 1);
    EXPECT_NE(pm.GetFontInfo(0, true), nullptr);
    EXPECT_EQ(pm.GetFontInfo(1, true), nullptr);
}

TEST_F(RegistryTest, ImageRegistrationsUseTheirKeys)
{
    CPaintManagerUI pm;
    EXPECT_EQ(pm.AddImage(L""), nullptr);
    EXPECT_EQ(pm.AddImage(L"x7", L"PNG"), nullptr); // a resource type needs a numeric name
    const TImageInfo* seven = pm.AddImage(L"7", L"PNG", 0xFF00FF);
    ASSERT_NE(seven, nullptr);
    EXPECT_STREQ(seven->sResType.GetData(), L"PNG");
    EXPECT_EQ(seven->dwMask, 0xFF00FFu);
    EXPECT_EQ(pm.GetImage(L"7"), seven);

    pm.AddImage(L"icon.png", nullptr, 0, 16, 16, 0);
    EXPECT_EQ(pm.GetImage(L"icon.png"), nullptr);
    EXPECT_NE(pm.GetImage(L"icon.png-16-16-00000000"), nullptr);

    pm.AddImage(L"shared.png", nullptr, 0, 0, 0, 0, false, true);
    CPaintManagerUI other;
    EXPECT_NE(other.GetImage(L"shared.png"), nullptr);
    pm.RemoveImage(L"shared.png"); // not in the window's registry: the shared one stays
    EXPECT_NE(other.GetImage(L"shared.png"), nullptr);
    pm.RemoveImage(L"shared.png", true);
    EXPECT_EQ(other.GetImage(L"shared.png"), nullptr);
}

TEST_F(RegistryTest, DefaultListsStylesAndWindowAttributes)
{
    CPaintManagerUI pm, other;
    pm.AddDefaultAttributeList(L"Button", L"width=\"1\"");
    pm.AddDefaultAttributeList(L"Button", L"width=\"2\""); // replaces
    EXPECT_STREQ(pm.GetDefaultAttributeList(L"Button"), L"width=\"2\"");
    EXPECT_EQ(pm.GetDefaultAttributeList(L"button"), nullptr);
    EXPECT_EQ(other.GetDefaultAttributeList(L"Button"), nullptr);

    pm.AddStyle(L"s", L"a=\"shared\"", true);
    EXPECT_STREQ(other.GetStyle(L"s"), L"a=\"shared\"");
    pm.AddStyle(L"s", L"a=\"own\"");
    EXPECT_STREQ(pm.GetStyle(L"s"), L"a=\"own\"");
    EXPECT_TRUE(pm.RemoveStyle(L"s"));
    EXPECT_STREQ(pm.GetStyle(L"s"), L"a=\"shared\"");
    EXPECT_FALSE(pm.RemoveStyle(L"s"));

    pm.SetForceUseSharedRes(true);
    pm.AddDefaultAttributeList(L"Label", L"x=\"1\"");
    pm.SetForceUseSharedRes(false);
    EXPECT_STREQ(other.GetDefaultAttributeList(L"Label"), L"x=\"1\"");

    pm.AddWindowCustomAttribute(L"a", L"1");
    pm.AddWindowCustomAttribute(L"a", L"2");
    pm.AddWindowCustomAttribute(L"b", L"");
    EXPECT_STREQ(pm.GetWindowCustomAttribute(L"a"), L"1");
    EXPECT_EQ(pm.GetWindowCustomAttribute(L"b"), nullptr);
    EXPECT_TRUE(pm.RemoveWindowCustomAttribute(L"a"));
    EXPECT_EQ(pm.GetWindowCustomAttribute(L"a"), nullptr);
}

TEST_F(RegistryTest, SharedDefaultColoursFollowIntoWindowsThatKeptThem)
{
    CPaintManagerUI keeps, own;
    EXPECT_EQ(keeps.GetDefaultFontColor(), 0xFF000000u);
    own.SetDefaultFontColor(0xFF112233);
    keeps.SetDefaultFontColor(0xFF445566, true);
    EXPECT_EQ(keeps.GetDefaultFontColor(), 0xFF445566u);
    EXPECT_EQ(own.GetDefaultFontColor(), 0xFF112233u);
    CPaintManagerUI later;
    EXPECT_EQ(later.GetDefaultFontColor(), 0xFF445566u);
    keeps.SetDefaultFontColor(0xFF000000, true); // restore for other tests in this process
    EXPECT_EQ(later.GetDefaultLinkFontColor(), 0xFF0000FFu);
    EXPECT_EQ(later.GetDefaultSelectedBkColor(), 0xFFBAE4FFu);
}

TEST(Dpi, ScaleIsIdentityAt96AndRoundsLikeMulDiv)
{
    CDPI dpi;
    EXPECT_EQ(dpi.GetScale(), 100);
    EXPECT_EQ(dpi.Scale(37), 37);
    EXPECT_EQ(dpi.GetDPI(), 96);
    dpi.SetScale(144);
    EXPECT_EQ(dpi.GetScale(), 150);
    EXPECT_EQ(dpi.Scale(5), 8);   // 7.5 rounds away from zero
    EXPECT_EQ(dpi.Scale(-5), -8);
    EXPECT_EQ(dpi.ScaleBack(8), 5);
    RECT rc{1, 1, 4, 5};
    dpi.Scale(&rc);
    EXPECT_EQ(rc.left, 2);  // 1.5 -> 2
    EXPECT_EQ(rc.right, 2 + 5); // width 3 -> 4.5 -> 5
    dpi.SetDPIAwareness(1); // system aware: the first scale set stays
    EXPECT_EQ(dpi.GetScale(), 100);
    dpi.SetDPIAwareness(0);
    EXPECT_EQ(dpi.Scale(5), 5);
}

} // namespace
