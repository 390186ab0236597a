// The owning wrappers: icon loading from file and resource, bitmaps from
// icons, the menu pictures, brushes and fonts, and CIMGICON's surfaces and
// colour key, with the live counts.
#include "icon_pixels.h"
#include "icons/gdi_tally.h"
#include "icons/gdi_wrappers.h"
#include "icons/imgicon.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint32_t SolidGreen(int, int)
{
    return 0xFF00C000;
}

// A resource icon is shared between loads and never destroyed; with neither
// file nor resource there is no icon. (An icon from a file, owned and
// destroyed on reload, is IconSet's error icon test.)
TEST(AutoIcon, ResourceSharedNeitherNull)
{
    ScratchDirectory dir;
    AUTOICON a, b, none;
    a.Load("B_GOOD.ICO", 220, 16, 16);
    b.Load("B_GOOD.ICO", 220, 16, 16);
    ASSERT_NE(a.m_hIcon, nullptr);
    EXPECT_EQ(a.m_bOwned, 0);
    EXPECT_EQ(a.m_hIcon, b.m_hIcon) << "each build loads the overlays again; they must not pile up";
    HICON shared = a.m_hIcon;
    a.Release();
    EXPECT_EQ(a.m_hIcon, nullptr);
    EXPECT_TRUE(IconAlive(shared));
    none.Load("NONE.ICO", 299, 16, 16);
    EXPECT_EQ(none.m_hIcon, nullptr);
    EXPECT_EQ(none.m_bOwned, 0);
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

TEST(WinFont, CreateReplacesAndReleaseFrees)
{
    WINFONT font;
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

const COLORREF MASK = RGB(15, 15, 15);

struct KeyCase {
    const char* name;
    uint32_t painted;    // 0xAARRGGBB written into the surface
    uint32_t expected;   // read back from the icon
};

const KeyCase KEY_CASES[] = {
    // Keyed pixels get colour 0 too: drawn by the masks alone they leave the screen as it is.
    {"exactly the mask colour becomes transparent black", 0x000F0F0F, 0x00000000},
    {"differing only in alpha counts as the key", 0x800F0F0F, 0x00000000},
    {"red one step up is opaque", 0x00100F0F, 0xFF100F0F},
    {"green one step down is opaque", 0x000F0E0F, 0xFF0F0E0F},
    {"blue one step up is opaque", 0x000F0F10, 0xFF0F0F10},
    {"black is opaque", 0x00000000, 0xFF000000},
    {"a colour with alpha already set stays opaque", 0x40FFFFFF, 0xFFFFFFFF},
};

TEST(ImageIcon, KeysExactlyTheMaskColour)
{
    CIMGICON icon;
    ASSERT_TRUE(icon.Create(16, 16));
    auto* px = static_cast<uint32_t*>(icon.m_Color.m_pBits);
    const int count = sizeof KEY_CASES / sizeof KEY_CASES[0];
    // One case per row (rows are bottom-up in the surface).
    for (int i = 0; i < count; ++i)
        for (int x = 0; x < 16; ++x)
            px[(15 - i) * 16 + x] = KEY_CASES[i].painted;
    ASSERT_TRUE(icon.MakeIcon(MASK));
    IconPixels read = ReadIcon(icon.m_hIcon);
    ASSERT_EQ(read.width, 16);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(read.At(7, i), KEY_CASES[i].expected) << KEY_CASES[i].name;
}

TEST(ImageIcon, AllMaskColourGivesAFullyTransparentIcon)
{
    CIMGICON icon;
    ASSERT_TRUE(icon.Create(16, 16));
    RECT all = {0, 0, 16, 16};
    HBRUSH brush = CreateSolidBrush(MASK);
    FillRect(icon.m_Color.m_hDC, &all, brush);
    DeleteObject(brush);
    ASSERT_TRUE(icon.MakeIcon(MASK));
    IconPixels read = ReadIcon(icon.m_hIcon);
    ASSERT_EQ(read.argb.size(), 256u);
    for (uint32_t p : read.argb)
        EXPECT_EQ(p, 0u);
}

// Surfaces of the requested size; one icon at a time; a second Create
// drops the icon, Release frees everything.
TEST(ImageIcon, SurfacesIconAndTheirLifetimes)
{
    const long before = TallyLiveTotal();
    for (int size : {16, 20}) {
        CIMGICON icon;
        EXPECT_FALSE(icon.MakeIcon(MASK)) << "no surfaces yet";
        ASSERT_TRUE(icon.Create(size, size));
        EXPECT_EQ(icon.m_Color.m_nWidth, size);
        EXPECT_EQ(icon.m_Mask.m_nHeight, size);
        EXPECT_EQ(icon.m_Mask.m_pBits, nullptr);
        ASSERT_TRUE(icon.MakeIcon(MASK));
        EXPECT_EQ(ReadIcon(icon.m_hIcon).width, size);
        EXPECT_EQ(TallyLiveTotal() - before, 5);   // two bitmaps, two DCs, one icon
        HICON first = icon.m_hIcon;
        ASSERT_TRUE(icon.MakeIcon(MASK));
        EXPECT_FALSE(IconAlive(first));
        EXPECT_EQ(TallyLiveTotal() - before, 5);
        HICON second = icon.m_hIcon;
        ASSERT_TRUE(icon.Create(size, size));
        EXPECT_EQ(icon.m_hIcon, nullptr);
        EXPECT_FALSE(IconAlive(second));
        EXPECT_EQ(TallyLiveTotal() - before, 4);
        ASSERT_TRUE(icon.MakeIcon(MASK));
        HICON made = icon.m_hIcon;
        icon.Release();
        EXPECT_FALSE(IconAlive(made));
        EXPECT_EQ(icon.m_Color.m_hDC, nullptr);
        EXPECT_EQ(icon.m_Color.m_nWidth, 0);
        EXPECT_EQ(TallyLiveTotal(), before);
    }
}

} // namespace
