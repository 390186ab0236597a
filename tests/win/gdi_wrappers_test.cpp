// The owning wrappers: icon loading from file and resource, bitmaps from
// icons, the menu pictures, brushes and fonts, with the live counts.
#include "icon_pixels.h"
#include "icons/gdi_tally.h"
#include "icons/gdi_wrappers.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint32_t SolidGreen(int, int)
{
    return 0xFF00C000;
}

TEST(AutoIcon, FileInTheCurrentDirectoryIsOwnedAndDestroyedOnReload)
{
    ScratchDirectory dir;
    WriteIconFile(dir.Path() + "\\B_GOOD.ICO", 16, SolidGreen);
    AUTOICON icon;
    icon.Load("B_GOOD.ICO", 220, 16, 16);
    ASSERT_NE(icon.m_hIcon, nullptr);
    EXPECT_EQ(icon.m_bOwned, 1);
    EXPECT_EQ(ReadIcon(icon.m_hIcon).Rgb(8, 8), 0x00C000u);
    HICON first = icon.m_hIcon;
    const long live = TallyLive(GdiKind::Icon);
    icon.Load("B_GOOD.ICO", 220, 16, 16);
    EXPECT_FALSE(IconAlive(first));
    EXPECT_EQ(TallyLive(GdiKind::Icon), live);
    icon.Release();
    EXPECT_EQ(TallyLive(GdiKind::Icon), live - 1);
}

TEST(AutoIcon, ResourceIconIsNotOwnedAndReleaseOnlyForgetsIt)
{
    ScratchDirectory dir;
    AUTOICON icon;
    icon.Load("B_GOOD.ICO", 220, 16, 16);
    ASSERT_NE(icon.m_hIcon, nullptr);
    EXPECT_EQ(icon.m_bOwned, 0);
    HICON held = icon.m_hIcon;
    icon.Release();
    EXPECT_EQ(icon.m_hIcon, nullptr);
    EXPECT_TRUE(IconAlive(held));
}

TEST(AutoIcon, RepeatedResourceLoadsShareOneIcon)
{
    // Each build loads the overlays again; they must not pile up.
    ScratchDirectory dir;
    AUTOICON a, b;
    a.Load("NONE.ICO", 221, 16, 16);
    b.Load("NONE.ICO", 221, 16, 16);
    ASSERT_NE(a.m_hIcon, nullptr);
    EXPECT_EQ(a.m_hIcon, b.m_hIcon);
}

TEST(AutoIcon, NeitherFileNorResourceGivesNullNotOwned)
{
    ScratchDirectory dir;
    AUTOICON icon;
    icon.Load("NONE.ICO", 299, 16, 16);
    EXPECT_EQ(icon.m_hIcon, nullptr);
    EXPECT_EQ(icon.m_bOwned, 0);
}

TEST(BitmapIcon, DrawsTheIconAndKeepsTheOldBitmapForANullIcon)
{
    HICON icon = MakeIcon(16, SolidGreen);
    CBMPICON bitmap;
    ASSERT_TRUE(bitmap.CreateFromIcon(icon, 16, 16));
    HBITMAP made = bitmap.m_hBitmap;
    BITMAP bm = {};
    ASSERT_TRUE(GetObjectA(made, sizeof bm, &bm));
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(static_cast<const uint32_t*>(bm.bmBits)[8 * 16 + 8] & 0xFFFFFF, 0x00C000u);
    EXPECT_FALSE(bitmap.CreateFromIcon(nullptr, 16, 16));
    EXPECT_EQ(bitmap.m_hBitmap, made);
    EXPECT_TRUE(IconAlive(icon));
    DestroyIcon(icon);
}

TEST(MenuBitmaps, AllSixPicturesAreMadeAtTheSmallIconSize)
{
    const long before = TallyLive(GdiKind::Bitmap);
    LoadMenuBitmaps();
    for (CBMPICON& b : MenuBitmaps) {
        ASSERT_NE(b.m_hBitmap, nullptr);
        BITMAP bm = {};
        GetObjectA(b.m_hBitmap, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXSMICON));
        int opaque = 0;
        for (int i = 0; i < bm.bmWidth * bm.bmHeight; ++i)
            opaque += (static_cast<const uint32_t*>(bm.bmBits)[i] >> 24) == 0xFF;
        EXPECT_GT(opaque, 40) << "a picture is drawn";
    }
    EXPECT_EQ(TallyLive(GdiKind::Bitmap), before + MENU_BITMAP_COUNT);
    for (CBMPICON& b : MenuBitmaps)
        b.Release();
    EXPECT_EQ(TallyLive(GdiKind::Bitmap), before);
}

TEST(WinFont, DefaultDescriptionAndCreate)
{
    WINFONT font;
    EXPECT_EQ(font.m_hFont, nullptr);
    EXPECT_EQ(font.m_lf.lfWeight, FW_NORMAL);
    EXPECT_EQ(font.m_lf.lfPitchAndFamily, FIXED_PITCH);
    EXPECT_STREQ(font.m_lf.lfFaceName, "System");
    LOGFONTA lf = {};
    lf.lfHeight = -17;
    std::strcpy(lf.lfFaceName, "Arial Narrow");
    const long live = TallyLive(GdiKind::Font);
    EXPECT_TRUE(font.Create(lf));
    EXPECT_STREQ(font.m_lf.lfFaceName, "Arial Narrow");
    EXPECT_TRUE(font.Create(lf));
    EXPECT_EQ(TallyLive(GdiKind::Font), live + 1);
    font.Release();
    EXPECT_EQ(TallyLive(GdiKind::Font), live);
}

TEST(WinBrush, CreateReplacesAndReleaseFrees)
{
    const long live = TallyLive(GdiKind::Brush);
    WINBRUSH brush;
    brush.Create(RGB(1, 2, 3));
    brush.Create(RGB(4, 5, 6));
    LOGBRUSH lb = {};
    GetObjectA(brush.m_hBrush, sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, RGB(4, 5, 6));
    EXPECT_EQ(TallyLive(GdiKind::Brush), live + 1);
    brush.Release();
    brush.Release();
    EXPECT_EQ(TallyLive(GdiKind::Brush), live);
    // Only a deletion that succeeds counts as freed.
    brush.Create(RGB(7, 8, 9));
    DeleteObject(brush.m_hBrush);
    brush.Release();
    EXPECT_EQ(TallyLive(GdiKind::Brush), live + 1);
}

} // namespace
