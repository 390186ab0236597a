// BuildIconSet: the tray tables after a build, a rebuild and a failed
// rebuild; the error icon and the overlays from file or resource; each
// block's overlays, each heat's colours and the host icons; the pictures
// at each display scale.
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

#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

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

    ScratchDirectory dir_;
    // No box may ever be left open; the failing build's box is read here.
    MsgBoxWatcher boxes_;
};

// A build, a rebuild, then two rebuilds with an error icon and badges from
// files: every table follows the objects, each build replaces the last
// generation, and the only object that stays new is the file's error icon.
TEST_F(IconSet, BuildsLendEveryIconToEveryTableAndLeaveOneGeneration)
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
    EXPECT_TRUE(IconAlive(fromResource)) << "a resource icon is never destroyed";
    ASSERT_TRUE(BuildIconSet());
    EXPECT_FALSE(IconAlive(fromFile));
    ExpectTablesMatchTheObjects();
    EXPECT_EQ(TallyLiveTotal(), live + 1) << "only the error icon from the file is new";
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
                digits += pixel == (0xFF000000 | PixelRgb(b.digits));
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

TEST_F(IconSet, FailedRebuildLeavesNoTableEntryWithADestroyedHandle)
{
    ASSERT_TRUE(BuildIconSet());
    std::vector<HICON> first;
    for (const CNUMICON& icon : NumIconArray)
        first.push_back(icon.m_hIcon);
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
        EXPECT_FALSE(IconAlive(first[i])) << i;
    // ...the icons from 608 on kept theirs, and the tables follow the objects.
    for (uint32_t i = ICON_HOST_BASE + 8; i < NUMERIC_ICON_COUNT; ++i)
        EXPECT_EQ(NumIconArray[i].m_hIcon, first[i]);
    ExpectTablesMatchTheObjects();
}

// A resource icon's own picture at size x size.
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
// and shadows growing with the icon are NumIcon's.)
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
}

} // namespace
