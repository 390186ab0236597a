// The icons on real pixels: CNUMICON's painting, BuildIconSet's tables and
// overlays, the pictures at each display scale, and the GDI wrappers.
#include "config/settings.h"
#include "debug_output.h"
#include "icon_pixels.h"
#include "icons/gdi_tally.h"
#include "icons/gdi_wrappers.h"
#include "icons/icon_set.h"
#include "icons/imgicon.h"
#include "icons/numicon.h"
#include "link/drive_slot.h"
#include "msgbox_watcher.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

const COLORREF MASK = RGB(15, 15, 15);
const uint32_t TEXT = 0xFFFFFFFF;
const uint32_t SHADOW = 0xFF0000FF;
const uint32_t BADGE = 0xFF2040A0;

// The pixels of one colour and their bounds.
struct Ink {
    std::set<std::pair<int, int>> pixels;
    int left = 99, top = 99, right = -1, bottom = -1;
    int Height() const { return bottom - top + 1; }
};

class IconSet : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The settings as a fresh start with no file gives them.
        std::memset(&Settings, 0, sizeof Settings);
        SetDefaultSettings();
        Settings.ViewType = 3;
        Settings.ShadowType = 1;
        ASSERT_TRUE(CreateNumIconSurfaces());
        for (UINT s = 0; s < SLOT_COUNT; ++s)
            ASSERT_TRUE(DriveSlots[s].TrayIcon.Init(nullptr, s + 1, WM_TRAYNOTIFY + s, ICON_COUNT));
    }
    void TearDown() override
    {
        for (DriveSlot& slot : DriveSlots)
            slot.TrayIcon.Destroy();
        for (CNUMICON& icon : NumIconArray)
            icon.Release();
        ErrorIcon.Release();
    }

    // Every entry of every table names, unowned, what its icon object holds
    // now, and that is a live icon.
    static void ExpectTablesMatchTheObjects()
    {
        for (const CNUMICON& icon : NumIconArray)
            ASSERT_TRUE(!icon.m_hIcon || IconAlive(icon.m_hIcon));
        for (const DriveSlot& slot : DriveSlots) {
            for (UINT i = 0; i < slot.TrayIcon.m_nImageCount; ++i) {
                const HICON held = i < NUMERIC_ICON_COUNT ? NumIconArray[i].m_hIcon : ErrorIcon.m_hIcon;
                ASSERT_EQ(slot.TrayIcon.m_pImages[i].hIcon, held) << "entry " << i;
                ASSERT_EQ(slot.TrayIcon.m_pImages[i].bOwned, 0);
            }
        }
    }

    // With a hard-edged font, so that every pixel is exactly one of the
    // colours involved.
    IconPixels Paint(int size, UINT value, INT32 shadowType, HICON back = nullptr, HICON front = nullptr)
    {
        icon_.m_crShadow = RGB(0, 0, 255);
        return PaintAsIs(size, value, shadowType, back, front);
    }
    IconPixels PaintAsIs(int size, UINT value, INT32 shadowType, HICON back = nullptr, HICON front = nullptr)
    {
        EXPECT_TRUE(icon_.Create(size, size));
        icon_.m_lfFont.lfQuality = NONANTIALIASED_QUALITY;
        icon_.m_crText = RGB(255, 255, 255);
        icon_.m_nShadowType = shadowType;
        icon_.m_hBackIcon = back;
        icon_.m_hFrontIcon = front;
        EXPECT_TRUE(icon_.CreateIcon(MASK, value));
        return ReadIcon(icon_.m_hIcon);
    }

    // The number's own pixels, as it is painted with the shadow type's
    // passes (in the mask colour, so that only the number shows).
    Ink Glyph(int size, UINT value, INT32 shadowType = 0)
    {
        icon_.m_crShadow = MASK;
        const IconPixels p = PaintAsIs(size, value, shadowType);
        Ink ink;
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                if (p.At(x, y) == TEXT) {
                    ink.pixels.insert({x, y});
                    ink.left = std::min(ink.left, x), ink.top = std::min(ink.top, y);
                    ink.right = std::max(ink.right, x), ink.bottom = std::max(ink.bottom, y);
                }
            }
        }
        return ink;
    }

    CNUMICON icon_;
    ScratchDirectory dir_;
    // No box may ever be left open; the failing build's box is read here.
    MsgBoxWatcher boxes_;
};

// The offsets of each type are the platform-free table's (tests/unit); here
// that the painting follows them (in pixels), one pass and many, scaled
// with the icon as at 200 % display scaling. Windows without Office has no "Arial Narrow"
// and paints a wider face, whose bold digits must be condensed to fit, their
// shadow with them.
TEST_F(IconSet, BadgeUnderShadowUnderNumberUnderMarkCentredAndScaledToFit)
{
    // The mark covers the lower right from (8, 8) on, at any size.
    const PixelPaint Mark = [](int x, int y) { return x >= 8 && y >= 8 ? 0xFFFF00FFu : 0u; };
    const struct { int size; INT32 shadowType; std::vector<std::pair<int, int>> offsets; const char* face;
                   UINT value; } cases[] = {
        {16, 0, {}, "Arial Narrow", 7},
        {16, 2, {{+1, -1}}, "Arial Narrow", 99},
        {16, 7, {{0, -1}, {0, +1}, {-1, 0}, {+1, 0}, {-1, -1}, {+1, -1}, {-1, +1}, {+1, +1}}, "Liberation Sans", 48},
        {16, 2, {{+1, -1}}, "Liberation Sans", 88},
        {16, 0, {}, "Liberation Sans", 100},
        {32, 2, {{+2, -2}}, "Arial Narrow", 42},
        {32, 1, {{-2, -2}}, "Liberation Sans", 88},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.face) + " " + std::to_string(c.value) + " at " + std::to_string(c.size) +
                     ", shadow type " + std::to_string(c.shadowType));
        std::strcpy(icon_.m_lfFont.lfFaceName, c.face);
        const int height16 = Glyph(16, c.value, c.shadowType).Height();
        const Ink glyph = Glyph(c.size, c.value, c.shadowType);
        EXPECT_NEAR(glyph.Height(), height16 * c.size / 16, 1) << "the font grows with the icon";
        // Placed by the drawn extent in the middle both ways, and not cut,
        // which would fill the icon from edge to edge.
        EXPECT_TRUE(glyph.left > 0 || glyph.right < c.size - 1);
        EXPECT_NEAR(glyph.left + glyph.right, c.size - 1, 2) << glyph.right - glyph.left + 1 << " wide";
        EXPECT_NEAR(glyph.top + glyph.bottom, c.size - 1, 1) << "from row " << glyph.top;
        HICON back = MakeIcon(c.size, Solid<BADGE>);
        HICON front = MakeIcon(c.size, Mark);
        const IconPixels p = Paint(c.size, c.value, c.shadowType, back, front);
        // Condensed digits leave room for their shadow: none of it is cut.
        if (std::strcmp(c.face, "Liberation Sans") == 0 && c.value > 9) {
            int cut = 0;
            for (const auto& [x, y] : glyph.pixels)
                for (auto [dx, dy] : c.offsets)
                    cut += x + dx < 0 || x + dx >= c.size;
            EXPECT_EQ(cut, 0) << "shadow pixels beyond the left or right edge";
        }
        int wrong = 0;
        for (int y = 0; y < c.size; ++y) {
            for (int x = 0; x < c.size; ++x) {
                bool shadow = false;
                for (auto [dx, dy] : c.offsets)
                    shadow = shadow || glyph.pixels.count({x - dx, y - dy});
                const bool number = glyph.pixels.count({x, y}) != 0;
                const uint32_t expected = Mark(x, y) ? Mark(x, y) : number ? TEXT : shadow ? SHADOW : BADGE;
                wrong += p.At(x, y) != expected;
            }
        }
        EXPECT_EQ(wrong, 0);
        DestroyIcon(back);
        DestroyIcon(front);
    }
}

// A mark with soft edges (as a 32-bit mark file may have) blends with what
// lies under it: each pixel comes out as the mark drawn over the number's
// colour or over the badge's.
TEST_F(IconSet, ASoftMarkBlendsWithTheNumberAndTheBadgeUnderIt)
{
    const PixelPaint Soft = [](int x, int) { return x < 4 ? 0u : x < 10 ? 0x80FF00FFu : 0xFF00FFFFu; };
    HICON back = MakeIcon(16, Solid<BADGE>);
    HICON front = MakeIcon(16, Soft);
    // The mark drawn by GDI over each colour alone.
    std::vector<uint32_t> over[2];
    const uint32_t under[2] = {TEXT, BADGE};
    HDC dc = CreateCompatibleDC(nullptr);
    for (int c = 0; c < 2; ++c) {
        BITMAPINFO info = TopDown32(16, 16);
        void* bits = nullptr;
        HBITMAP canvas = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ previous = SelectObject(dc, canvas);
        std::fill_n(static_cast<uint32_t*>(bits), 256, under[c]);
        DrawIconEx(dc, 0, 0, front, 16, 16, 0, nullptr, DI_NORMAL);
        GdiFlush();
        over[c].assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + 256);
        SelectObject(dc, previous);
        DeleteObject(canvas);
    }
    DeleteDC(dc);
    const Ink glyph = Glyph(16, 88);
    const IconPixels p = Paint(16, 88, 0, back, front);
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            wrong += p.At(x, y) != (over[glyph.pixels.count({x, y}) ? 0 : 1][y * 16 + x] | 0xFF000000);
    EXPECT_EQ(wrong, 0);
    EXPECT_NE(over[0][8], over[1][8]) << "the soft part shows what lies under it";
    DestroyIcon(back);
    DestroyIcon(front);
}

// A build, a rebuild, then two with an error icon and badges from files,
// where the only object that stays new is the file's error icon.
TEST_F(IconSet, BuildsLendEveryIconToEveryTableLeaveOneGenerationAndSurviveAFailure)
{
    ASSERT_TRUE(BuildIconSet());
    EXPECT_EQ(boxes_.Count(), 0u);
    ExpectTablesMatchTheObjects();
    EXPECT_EQ(NumIconArray[ICON_ERROR].m_hIcon, nullptr) << "object 616 is never painted";
    const HICON fromResource = ErrorIcon.m_hIcon;
    ASSERT_NE(fromResource, nullptr);
    EXPECT_EQ(ErrorIcon.m_bOwned, 0) << "no S_ERR.ICO: resource 202";
    // A red sign: red on the ring.
    const uint32_t ring = ReadIcon(fromResource).Rgb(8, 1);
    EXPECT_TRUE(ring >> 16 > 0xB0 && (ring >> 8 & 0xFF) < 0x60) << std::hex << ring;
    const IconPixels caution = ReadIcon(NumIconArray[250].m_hIcon);

    const long live = TallyLiveTotal();
    ASSERT_TRUE(BuildIconSet());
    EXPECT_EQ(TallyLiveTotal(), live);
    EXPECT_EQ(ErrorIcon.m_hIcon, fromResource) << "resource icons are shared, not loaded anew";
    ExpectTablesMatchTheObjects();

    WriteIconFile(dir_.Path() + "\\S_ERR.ICO", 16, Solid<0xFF8000FF>);
    WriteIconFile(dir_.Path() + "\\B_GOOD.ICO", 16, Solid<0xFFFF8000>);
    WriteWholeFile(dir_.Path() + "\\B_WARN.ICO", "not an icon at all");
    ASSERT_TRUE(BuildIconSet());
    const HICON fromFile = ErrorIcon.m_hIcon;
    EXPECT_EQ(ErrorIcon.m_bOwned, 1);
    EXPECT_EQ(ReadIcon(fromFile).Rgb(8, 8), 0x8000FFu);
    EXPECT_EQ(NumIconArray[50].m_hBackIcon, nullptr) << "no icon keeps the released file badge";
    EXPECT_EQ(ReadIcon(NumIconArray[250].m_hIcon).argb, caution.argb) << "a bad file falls back to resource 221";
    ASSERT_TRUE(BuildIconSet());
    ExpectTablesMatchTheObjects();
    EXPECT_EQ(TallyLiveTotal(), live + 1) << "only the error icon from the file is new";

    std::vector<HICON> last;
    for (const CNUMICON& icon : NumIconArray)
        last.push_back(icon.m_hIcon);
    Settings.HostNumber = 62;   // the host icon 608 would show 1000
    DebugOutput debug;
    EXPECT_FALSE(BuildIconSet());
    EXPECT_EQ(debug.Texts(), std::vector<std::string>{"CNUMICON::CreateIcon(608) ERROR\n"});
    ASSERT_TRUE(boxes_.WaitForCount(1, 5000));
    const SeenBox box = boxes_.Boxes()[0];
    EXPECT_EQ(std::tie(box.caption, box.text, box.errorIcon, box.owner),
              std::make_tuple("エラー情報", "アイコンのビルドに失敗しました。", true, nullptr));
    // The temperature icons were replaced before the failure...
    for (uint32_t i = 0; i < ICON_HOST_BASE + 8; ++i)
        EXPECT_FALSE(IconAlive(last[i])) << i;
    // ...the icons from 608 on kept theirs, and the tables follow the objects.
    for (uint32_t i = ICON_HOST_BASE + 8; i < NUMERIC_ICON_COUNT; ++i)
        EXPECT_EQ(NumIconArray[i].m_hIcon, last[i]);
    ExpectTablesMatchTheObjects();
}

// Each state block's badge and mark from files, shown as view types 1
// (badges) and 2 (marks, covering the whole icon here) say; each heat
// level's digit colour; and the host icons in their own style.
TEST_F(IconSet, EachIconTakesItsBlocksOverlaysItsHeatsColourAndHostIconsTheirStyle)
{
    Settings.ShadowType = 0;
    Settings.TextFont.lfQuality = NONANTIALIASED_QUALITY;
    Settings.HostNumber = 15;
    WriteIconFile(dir_.Path() + "\\B_GOOD.ICO", 16, Solid<0xFF108010>);
    WriteIconFile(dir_.Path() + "\\B_WARN.ICO", 16, Solid<0xFFC08000>);
    WriteIconFile(dir_.Path() + "\\B_DNGR.ICO", 16, Solid<0xFF900010>);
    WriteIconFile(dir_.Path() + "\\F_WARN.ICO", 16, Solid<0xFF00FFFF>);
    WriteIconFile(dir_.Path() + "\\F_DNGR.ICO", 16, Solid<0xFFFFFF00>);
    const COLORREF cool = Settings.CoolTextColor, hot = Settings.HotTextColor;
    const struct {
        uint32_t index;
        uint32_t back, mark;   // mark 0: the block has none
        COLORREF digits;
    } probes[] = {{88, 0xFF108010, 0, cool},          {188, 0xFF108010, 0, hot},
                  {288, 0xFFC08000, 0xFF00FFFF, cool}, {388, 0xFFC08000, 0xFF00FFFF, hot},
                  {488, 0xFF900010, 0xFFFFFF00, cool}, {588, 0xFF900010, 0xFFFFFF00, hot}};
    for (INT32 view : {1, 2}) {
        Settings.ViewType = view;
        ASSERT_TRUE(BuildIconSet());
        for (const auto& b : probes) {
            SCOPED_TRACE("view " + std::to_string(view) + ", icon " + std::to_string(b.index));
            const IconPixels p = ReadIcon(NumIconArray[b.index].m_hIcon);
            EXPECT_EQ(p.At(0, 0), view == 1 ? b.back : b.mark);
            int digits = 0;
            for (uint32_t pixel : p.argb)
                digits += pixel == (0xFF000000u | GetRValue(b.digits) << 16 | GetGValue(b.digits) << 8 | GetBValue(b.digits));
            EXPECT_EQ(digits > 20, view == 1 || !b.mark);
        }
    }
    // "F0" to "FF" by another road: the format, the number colours and font,
    // shadow type 4 and no badge all show in the pixels.
    CNUMICON reference;
    ASSERT_TRUE(reference.Create(16, 16));
    reference.m_crText = Settings.NumberTextColor;
    reference.m_crShadow = Settings.NumberShadowColor;
    reference.m_nShadowType = 4;
    reference.m_lfFont = Settings.NumberFont;
    std::strcpy(reference.m_szFormat, "F%X");
    for (UINT n = 0; n < 16; ++n) {
        ASSERT_TRUE(reference.CreateIcon(Settings.MaskColor, n));
        EXPECT_EQ(ReadIcon(NumIconArray[ICON_HOST_BASE + n].m_hIcon).argb, ReadIcon(reference.m_hIcon).argb)
            << "F" << std::hex << n;
    }
}

IconPixels ResourcePixels(int id, int size)
{
    HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    const IconPixels pixels = ReadIcon(icon);
    DestroyIcon(icon);
    return pixels;
}

// Run here at 96 DPI, and at 120, 144 and 192 DPI by tests/win/dpi-run,
// which names the small-icon size to expect in KELPRA_ICON_SIZE. (The font
// and shadows growing with the icon are in the painting table.)
TEST_F(IconSet, AtDisplayScaleEveryPictureIsDrawnForTheSmallIconSize)
{
    const char* expected = std::getenv("KELPRA_ICON_SIZE");
    const int size = expected ? std::atoi(expected) : 16;
    ASSERT_EQ(GetSystemMetrics(SM_CXSMICON), size);
    Settings.ViewType = 1;   // badges only
    Settings.ShadowType = 0;
    ASSERT_TRUE(BuildIconSet());
    for (HICON icon : {NumIconArray[1].m_hIcon, NumIconArray[615].m_hIcon, ErrorIcon.m_hIcon}) {
        const IconPixels p = ReadIcon(icon);
        EXPECT_EQ(p.width * 1000 + p.height, size * 1001);
    }
    // The badge is the group's own picture of this size: left of the digits,
    // wherever it is opaque, the icon shows it pixel for pixel.
    const IconPixels painted = ReadIcon(NumIconArray[1].m_hIcon);
    const IconPixels badge = ResourcePixels(220, size);
    int compared = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size / 4; ++x) {
            if (badge.Alpha(x, y) == 0xFF) {
                EXPECT_EQ(painted.Rgb(x, y), badge.Rgb(x, y)) << x << "," << y;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, size);
    // The marks (4-bit pixel art at 16, drawn shapes above) paint red and
    // white only from their corner on, given in 16ths: an edge between
    // pixels may blend into one.
    const struct { int id, left, top; } marks[] = {{230, 12, 7}, {231, 7, 7}};
    for (const auto& m : marks) {
        int red = 0, white = 0, outside = 0;
        const IconPixels pixels = ResourcePixels(m.id, size);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const uint32_t p = pixels.Rgb(x, y);
                outside += p && ((x + 1) * 16 <= m.left * size || (y + 1) * 16 <= m.top * size);
                red += p == 0xFF0000;
                white += p == 0xFFFFFF;
            }
        }
        EXPECT_EQ(outside, 0) << m.id;
        EXPECT_GT(red, 4) << m.id;
        EXPECT_GT(white, 4) << m.id;
    }
    LoadMenuBitmaps();
    for (CBMPICON& b : MenuBitmaps) {
        BITMAP bm = {};
        ASSERT_TRUE(GetObjectA(b.m_hBitmap, sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, size);
        int opaque = 0;
        for (int i = 0; i < bm.bmWidth * bm.bmHeight; ++i)
            opaque += (static_cast<const uint32_t*>(bm.bmBits)[i] >> 24) == 0xFF;
        EXPECT_GT(opaque, 40) << "a picture is drawn";
        b.Release();
    }
}

struct Wrappers {
    ~Wrappers() { DestroyIcon(icon); }
    HICON icon = MakeIcon(16, Solid<0xFF00C000>);
    WINBRUSH brush;
    WINFONT font;
    CBMPICON bitmap;
    CIMGICON image;
};

TEST(Wrappers, MakingAgainReplacesAndReleasingFrees)
{
    // live: objects after making twice
    const struct { const char* name; long live; void (*make)(Wrappers&); void (*release)(Wrappers&); } cases[] = {
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
    Wrappers w;
    const long before = TallyLiveTotal();
    for (const auto& l : cases) {
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

TEST(ImageIcon, KeysExactlyTheMaskColour)
{
    // painted: 0xAARRGGBB written into the surface; expected: read back from the icon
    const struct { const char* name; uint32_t painted, expected; } cases[] = {
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
    CIMGICON icon;
    ASSERT_TRUE(icon.Create(16, 16));
    auto* px = static_cast<uint32_t*>(icon.m_Color.m_pBits);
    const int count = sizeof cases / sizeof cases[0];
    // One case per row (rows are bottom-up in the surface).
    for (int i = 0; i < count; ++i)
        for (int x = 0; x < 16; ++x)
            px[(15 - i) * 16 + x] = cases[i].painted;
    ASSERT_TRUE(icon.MakeIcon(MASK));
    IconPixels read = ReadIcon(icon.m_hIcon);
    ASSERT_EQ(read.width, 16);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(read.At(7, i), cases[i].expected) << cases[i].name;
}

} // namespace
