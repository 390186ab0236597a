// The owning wrappers and CIMGICON by the live counts, shared resource
// icons, the menu pictures, and CIMGICON's colour key.
#include "icon_pixels.h"
#include "icons/gdi_tally.h"
#include "icons/gdi_wrappers.h"
#include "icons/imgicon.h"

#include <gtest/gtest.h>

namespace {

const COLORREF MASK = RGB(15, 15, 15);

struct Wrappers {
    ~Wrappers() { DestroyIcon(icon); }
    HICON icon = MakeIcon(16, Solid<0xFF00C000>);
    WINBRUSH brush;
    WINFONT font;
    CBMPICON bitmap;
    CIMGICON image;
};

struct Lifetime {
    const char* name;
    long live;   // objects after making twice
    void (*make)(Wrappers&);
    void (*release)(Wrappers&);
};

const Lifetime LIFETIMES[] = {
    {"brush", 1, [](Wrappers& w) { w.brush.Create(RGB(1, 2, 3)); }, [](Wrappers& w) { w.brush.Release(); }},
    {"font", 1, [](Wrappers& w) { w.font.Create(w.font.m_lf); }, [](Wrappers& w) { w.font.Release(); }},
    // No icon keeps the bitmap there is.
    {"bitmap", 1,
     [](Wrappers& w) {
         EXPECT_TRUE(w.bitmap.CreateFromIcon(w.icon, 16, 16));
         EXPECT_FALSE(w.bitmap.CreateFromIcon(nullptr, 16, 16));
     },
     [](Wrappers& w) { w.bitmap.Release(); }},
    // Two surfaces in their DCs; a new icon replaces the last, new surfaces drop it.
    {"image icon", 4,
     [](Wrappers& w) {
         EXPECT_TRUE(w.image.Create(16, 16));
         EXPECT_TRUE(w.image.MakeIcon(MASK));
         EXPECT_TRUE(w.image.MakeIcon(MASK));
         EXPECT_TRUE(w.image.Create(16, 16));
     },
     [](Wrappers& w) { w.image.Release(); }},
};

TEST(Wrappers, MakingAgainReplacesAndReleasingFrees)
{
    Wrappers w;
    const long before = TallyLiveTotal();
    for (const Lifetime& l : LIFETIMES) {
        l.make(w);
        l.make(w);
        EXPECT_EQ(TallyLiveTotal() - before, l.live) << l.name;
        l.release(w);
        l.release(w);
        EXPECT_EQ(TallyLiveTotal(), before) << l.name;
    }
    // Only a deletion that succeeds counts as freed.
    w.brush.Create(RGB(7, 8, 9));
    DeleteObject(w.brush.m_hBrush);
    w.brush.Release();
    EXPECT_EQ(TallyLiveTotal(), before + 1);
}

// Each build loads the overlays again: a resource icon is shared between
// loads, so they do not pile up. (That it is never destroyed is IconSet's.)
TEST(AutoIcon, AResourceIconIsShared)
{
    AUTOICON a, b;
    a.Load("NONE.ICO", 220, 16, 16);
    b.Load("NONE.ICO", 220, 16, 16);
    ASSERT_NE(a.m_hIcon, nullptr);
    EXPECT_EQ(a.m_hIcon, b.m_hIcon);
}

TEST(MenuBitmaps, AllSixPicturesAreDrawnAtTheSmallIconSize)
{
    LoadMenuBitmaps();
    for (CBMPICON& b : MenuBitmaps) {
        BITMAP bm = {};
        ASSERT_TRUE(GetObjectA(b.m_hBitmap, sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXSMICON));
        int opaque = 0;
        for (int i = 0; i < bm.bmWidth * bm.bmHeight; ++i)
            opaque += (static_cast<const uint32_t*>(bm.bmBits)[i] >> 24) == 0xFF;
        EXPECT_GT(opaque, 40) << "a picture is drawn";
        b.Release();
    }
}

struct KeyCase {
    const char* name;
    uint32_t painted;    // 0xAARRGGBB written into the surface
    uint32_t expected;   // read back from the icon
};

const KeyCase KEY_CASES[] = {
    // Keyed pixels get colour 0 too: an icon keyed all over is drawn by its
    // masks alone, and colour 0 leaves the screen as it is.
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

} // namespace
