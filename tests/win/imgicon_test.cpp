// CIMGICON: surfaces, the colour key of MakeIcon read back from the icon,
// and the live object counts.
#include "icon_pixels.h"
#include "icons/gdi_tally.h"
#include "icons/imgicon.h"

#include <gtest/gtest.h>

namespace {

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

TEST(ImageIcon, SurfacesFollowTheRequestedSize)
{
    for (int size : {16, 20, 24}) {
        CIMGICON icon;
        ASSERT_TRUE(icon.Create(size, size));
        EXPECT_EQ(icon.m_Color.m_nWidth, size);
        EXPECT_EQ(icon.m_Mask.m_nHeight, size);
        EXPECT_EQ(icon.m_Mask.m_pBits, nullptr);
        ASSERT_TRUE(icon.MakeIcon(MASK));
        EXPECT_EQ(ReadIcon(icon.m_hIcon).width, size);
    }
}

TEST(ImageIcon, CreateTwiceKeepsOnePairOfSurfacesAndNoIcon)
{
    const long before = TallyLiveTotal();
    {
        CIMGICON icon;
        ASSERT_TRUE(icon.Create(16, 16));
        ASSERT_TRUE(icon.MakeIcon(MASK));
        EXPECT_EQ(TallyLiveTotal() - before, 5);   // two bitmaps, two DCs, one icon
        HICON first = icon.m_hIcon;
        ASSERT_TRUE(icon.Create(16, 16));
        EXPECT_EQ(icon.m_hIcon, nullptr);
        EXPECT_FALSE(IconAlive(first));
        EXPECT_EQ(TallyLiveTotal() - before, 4);
    }
    EXPECT_EQ(TallyLiveTotal(), before);
}

TEST(ImageIcon, RepeatedMakeIconReplacesTheIcon)
{
    CIMGICON icon;
    ASSERT_TRUE(icon.Create(16, 16));
    ASSERT_TRUE(icon.MakeIcon(MASK));
    HICON first = icon.m_hIcon;
    const long live = TallyLive(GdiKind::Icon);
    ASSERT_TRUE(icon.MakeIcon(MASK));
    EXPECT_FALSE(IconAlive(first));
    EXPECT_TRUE(IconAlive(icon.m_hIcon));
    EXPECT_EQ(TallyLive(GdiKind::Icon), live);
}

TEST(ImageIcon, MakeIconWithoutSurfacesFails)
{
    CIMGICON icon;
    EXPECT_FALSE(icon.MakeIcon(MASK));
    EXPECT_EQ(icon.m_hIcon, nullptr);
}

TEST(ImageIcon, ReleaseFreesEverything)
{
    const long before = TallyLiveTotal();
    CIMGICON icon;
    ASSERT_TRUE(icon.Create(16, 16));
    ASSERT_TRUE(icon.MakeIcon(MASK));
    HICON made = icon.m_hIcon;
    icon.Release();
    EXPECT_FALSE(IconAlive(made));
    EXPECT_EQ(icon.m_Color.m_hDC, nullptr);
    EXPECT_EQ(icon.m_Color.m_nWidth, 0);
    EXPECT_EQ(TallyLiveTotal(), before);
}

} // namespace
