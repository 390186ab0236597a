// BuildIconSet: the tray tables after a build, a rebuild and a failed
// rebuild; the error icon from file or resource; the overlay files; the
// pictures at each display scale and the marks the program carries.
#include "config/settings.h"
#include "debug_output.h"
#include "icon_pixels.h"
#include "icons/gdi_tally.h"
#include "icons/icon_set.h"
#include "icons/numicon.h"
#include "link/drive_slot.h"
#include "msgbox_watcher.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

uint32_t Orange(int, int) { return 0xFFFF8000; }
uint32_t Purple(int, int) { return 0xFF8000FF; }

class IconSet : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The settings as a fresh start with no file gives them.
        std::memset(&Settings, 0, sizeof Settings);
        SetDefaultSettings();
        Settings.ViewType = 3;
        Settings.ShadowType = 1;
        for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i)
            ASSERT_TRUE(NumIconArray[i].Create(16, 16));
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

    static std::vector<HICON> Generation()
    {
        std::vector<HICON> icons;
        for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i)
            icons.push_back(NumIconArray[i].m_hIcon);
        return icons;
    }

    // Every entry of every table names what its icon object holds now, and
    // that is a live icon.
    static void ExpectTablesMatchTheObjects()
    {
        for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i) {
            HICON held = NumIconArray[i].m_hIcon;
            if (held) {
                ASSERT_TRUE(IconAlive(held)) << "entry " << i;
            }
            for (UINT s = 0; s < SLOT_COUNT; ++s) {
                ASSERT_EQ(DriveSlots[s].TrayIcon.m_pImages[i].hIcon, held) << "slot " << s << " entry " << i;
                ASSERT_EQ(DriveSlots[s].TrayIcon.m_pImages[i].bOwned, 0);
            }
        }
        for (UINT s = 0; s < SLOT_COUNT; ++s)
            if (DriveSlots[s].TrayIcon.m_nImageCount > ICON_ERROR) {
                ASSERT_EQ(DriveSlots[s].TrayIcon.m_pImages[ICON_ERROR].hIcon, ErrorIcon.m_hIcon);
            }
    }

    ScratchDirectory dir_;
    // No box may ever be left open; the failing build's box is read here.
    MsgBoxWatcher boxes_;
};

// A build, a rebuild, then two rebuilds with an error icon and a badge from
// files: every table follows the objects, each build replaces the last
// generation, and the only object that stays new is the file's error icon.
TEST_F(IconSet, BuildsLendEveryIconToEveryTableAndLeaveOneGeneration)
{
    // A table of 616 entries gets no error icon.
    TaskTrayIcon& small = DriveSlots[3].TrayIcon;
    small.Destroy();
    ASSERT_TRUE(small.Init(nullptr, 4, WM_TRAYNOTIFY + 3, NUMERIC_ICON_COUNT));

    ASSERT_TRUE(BuildIconSet());
    EXPECT_EQ(boxes_.Count(), 0u);
    ExpectTablesMatchTheObjects();
    EXPECT_EQ(small.m_nImageCount, NUMERIC_ICON_COUNT);
    EXPECT_EQ(NumIconArray[ICON_ERROR].m_hIcon, nullptr) << "object 616 is never painted";
    const HICON fromResource = ErrorIcon.m_hIcon;
    ASSERT_NE(fromResource, nullptr);
    EXPECT_EQ(ErrorIcon.m_bOwned, 0) << "no S_ERR.ICO: resource 202";
    // A red sign: red on the ring, light inside.
    const IconPixels sign = ReadIcon(fromResource);
    EXPECT_GT((sign.Rgb(8, 1) >> 16) & 0xFF, 0xB0u);
    EXPECT_LT((sign.Rgb(8, 1) >> 8) & 0xFF, 0x60u);

    const std::vector<HICON> first = Generation();
    const long live = TallyLiveTotal();
    ASSERT_TRUE(BuildIconSet());
    EXPECT_EQ(TallyLiveTotal(), live);
    for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i) {
        EXPECT_FALSE(IconAlive(first[i])) << i;
        EXPECT_TRUE(IconAlive(NumIconArray[i].m_hIcon)) << i;
    }
    ExpectTablesMatchTheObjects();

    WriteIconFile(dir_.Path() + "\\S_ERR.ICO", 16, Purple);
    WriteIconFile(dir_.Path() + "\\B_GOOD.ICO", 16, Orange);
    ASSERT_TRUE(BuildIconSet());
    const HICON fromFile = ErrorIcon.m_hIcon;
    EXPECT_EQ(ErrorIcon.m_bOwned, 1);
    EXPECT_EQ(ReadIcon(fromFile).Rgb(8, 8), 0x8000FFu);
    EXPECT_TRUE(IconAlive(fromResource)) << "a resource icon is never destroyed";
    ASSERT_TRUE(BuildIconSet());
    EXPECT_FALSE(IconAlive(fromFile));
    EXPECT_TRUE(IconAlive(ErrorIcon.m_hIcon));
    ExpectTablesMatchTheObjects();
    EXPECT_EQ(TallyLiveTotal(), live + 1) << "only the error icon from the file is new";
    EXPECT_EQ(TallyLive(GdiKind::Brush), 0);
    EXPECT_EQ(TallyLive(GdiKind::Font), 0);
}

TEST_F(IconSet, BuiltInBadgesShowTheirStateColoursAndABadgeFileReplacesOne)
{
    Settings.ShadowType = 0;
    ASSERT_TRUE(BuildIconSet());
    // The rim at the left edge, level with the middle, is the badge's colour:
    // green, amber (much green) and red (little green).
    const struct { uint32_t index, minRed, minGreen, maxGreen; } rims[] = {
        {11, 0x00, 0x91, 0x100}, {211, 0x91, 0x71, 0x100}, {411, 0x91, 0x00, 0x70}};
    for (const auto& c : rims) {
        const uint32_t rim = ReadIcon(NumIconArray[c.index].m_hIcon).Rgb(1, 8);
        EXPECT_GE((rim >> 16) & 0xFF, c.minRed) << c.index;
        EXPECT_GE((rim >> 8) & 0xFF, c.minGreen) << c.index;
        EXPECT_LT((rim >> 8) & 0xFF, c.maxGreen) << c.index;
    }
    const IconPixels builtIn = ReadIcon(NumIconArray[250].m_hIcon);

    WriteIconFile(dir_.Path() + "\\B_WARN.ICO", 16, Orange);
    ASSERT_TRUE(BuildIconSet());
    const IconPixels fromFile = ReadIcon(NumIconArray[250].m_hIcon);
    EXPECT_EQ(fromFile.Rgb(0, 0), 0xFF8000u);
    EXPECT_NE(fromFile.argb, builtIn.argb);

    WriteWholeFile(dir_.Path() + "\\B_WARN.ICO", "not an icon at all");
    ASSERT_TRUE(BuildIconSet());
    EXPECT_EQ(ReadIcon(NumIconArray[250].m_hIcon).argb, builtIn.argb) << "falls back to resource 221";
}

TEST_F(IconSet, FailedRebuildLeavesNoTableEntryWithADestroyedHandle)
{
    ASSERT_TRUE(BuildIconSet());
    const std::vector<HICON> first = Generation();
    Settings.HostNumber = 62;   // the host icon 608 would show 1000
    DebugOutput debug;
    EXPECT_FALSE(BuildIconSet());
    EXPECT_EQ(debug.Texts(), std::vector<std::string>{"CNUMICON::CreateIcon(608) ERROR\n"});
    ASSERT_TRUE(boxes_.WaitForCount(1, 5000));
    const SeenBox box = boxes_.Boxes()[0];
    EXPECT_EQ(box.caption, "エラー情報");
    EXPECT_EQ(box.text, "アイコンのビルドに失敗しました。");
    EXPECT_TRUE(box.errorIcon);
    EXPECT_EQ(box.owner, nullptr);

    // The temperature icons were replaced before the failure...
    for (uint32_t i = 0; i < ICON_HOST_BASE + 8; ++i)
        EXPECT_FALSE(IconAlive(first[i])) << i;
    // ...the icons from 608 on kept theirs, and the tables follow the objects.
    for (uint32_t i = ICON_HOST_BASE + 8; i < NUMERIC_ICON_COUNT; ++i)
        EXPECT_EQ(NumIconArray[i].m_hIcon, first[i]);
    ExpectTablesMatchTheObjects();
}

// Ink rows of the digits' colour in an icon.
int InkHeight(const IconPixels& p, uint32_t rgb)
{
    int top = p.height, bottom = -1;
    for (size_t i = 0; i < p.argb.size(); ++i)
        if (p.argb[i] == (0xFF000000 | rgb))
            top = std::min(top, static_cast<int>(i) / p.width), bottom = std::max(bottom, static_cast<int>(i) / p.width);
    return bottom - top + 1;
}

// Run here at 96 DPI, and at 120, 144 and 192 DPI by tests/win/dpi-run,
// which names the small-icon size to expect in KELPRA_ICON_SIZE.
TEST(IconsAtDisplayScale, EveryPictureIsDrawnForTheSmallIconSize)
{
    const char* expected = std::getenv("KELPRA_ICON_SIZE");
    const int size = expected ? std::atoi(expected) : 16;
    ASSERT_EQ(GetSystemMetrics(SM_CXSMICON), size);
    std::memset(&Settings, 0, sizeof Settings);
    SetDefaultSettings();
    Settings.ViewType = 1;   // badges only
    Settings.ShadowType = 0;
    Settings.TextFont.lfQuality = NONANTIALIASED_QUALITY;
    ASSERT_TRUE(CreateNumIconSurfaces());
    ASSERT_TRUE(BuildIconSet());
    const IconPixels painted = ReadIcon(NumIconArray[1].m_hIcon);
    EXPECT_EQ(painted.width * 1000 + painted.height, size * 1001);
    for (HICON icon : {NumIconArray[411].m_hIcon, NumIconArray[615].m_hIcon, ErrorIcon.m_hIcon})
        EXPECT_EQ(ReadIcon(icon).width, size);
    // The digits grow with the icon: as tall as at 16 pixels, times size / 16.
    CNUMICON small;
    ASSERT_TRUE(small.Create(16, 16));
    small.m_lfFont = Settings.TextFont;
    small.m_crText = Settings.CoolTextColor;
    ASSERT_TRUE(small.CreateIcon(Settings.MaskColor, 88));
    const int smallHeight = InkHeight(ReadIcon(small.m_hIcon), PixelRgb(Settings.CoolTextColor));
    const int height = InkHeight(ReadIcon(NumIconArray[88].m_hIcon), PixelRgb(Settings.CoolTextColor));
    EXPECT_NEAR(height, smallHeight * size / 16, 1) << "at 16 px: " << smallHeight;
    // The badge is the group's own picture of this size: left of the digits,
    // wherever it is opaque, the icon shows it pixel for pixel.
    HICON art = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(220), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    const IconPixels badge = ReadIcon(art);
    int compared = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size / 4; ++x)
            if (badge.Alpha(x, y) == 0xFF) {
                EXPECT_EQ(painted.Rgb(x, y), badge.Rgb(x, y)) << x << "," << y;
                ++compared;
            }
    EXPECT_GT(compared, size);
    DestroyIcon(art);
    for (CNUMICON& icon : NumIconArray)
        icon.Release();
    ErrorIcon.Release();
}

// The marks (4-bit pixel art at 16, drawn shapes at the sizes of display
// scaling) keep their place: opaque pixels only where they belong.
TEST(IconResources, MarksStayInTheLowerRightAtEverySize)
{
    const struct {
        int id;
        int left, top;   // in 16ths of the icon
    } marks[] = {{230, 12, 7}, {231, 7, 7}};
    for (const auto& m : marks) {
        for (int size : {16, 20, 24, 32}) {
            HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m.id),
                                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
            ASSERT_NE(icon, nullptr);
            BITMAPINFO bi = TopDown32(size, size);
            void* bits = nullptr;
            HBITMAP surface = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ previous = SelectObject(dc, surface);
            DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
            GdiFlush();
            const auto* px = static_cast<const uint32_t*>(bits);
            int red = 0, white = 0, outside = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const uint32_t p = px[y * size + x] & 0xFFFFFF;
                    if (p == 0)
                        continue;
                    // Wholly outside: an edge between pixels may blend into one.
                    outside += (x + 1) * 16 <= m.left * size || (y + 1) * 16 <= m.top * size;
                    red += p == 0xFF0000;
                    white += p == 0xFFFFFF;
                }
            }
            EXPECT_EQ(outside, 0) << m.id << " at " << size;
            EXPECT_GT(red, 4) << m.id << " at " << size;
            EXPECT_GT(white, 4) << m.id << " at " << size;
            SelectObject(dc, previous);
            DeleteDC(dc);
            DeleteObject(surface);
            DestroyIcon(icon);
        }
    }
}

} // namespace
