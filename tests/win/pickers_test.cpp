// The font and colour choosers, driven from the test inside their modal
// loops, and the custom palette in CPALLET.INI.
#include "config/palette_codec.h"
#include "config/pickers.h"
#include "dialog_driver.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Controls of the colour chooser's full-open part, and of the font chooser.
constexpr int COLOR_RED_EDIT = 706, COLOR_GREEN_EDIT = 707, COLOR_BLUE_EDIT = 708, COLOR_ADD_BUTTON = 712;
constexpr int FONT_FACE_COMBO = 1136, FONT_STRIKEOUT_CHECK = 1040, FONT_UNDERLINE_CHECK = 1041,
              FONT_COLOR_COMBO = 1139;

std::string Repeat(const std::string& part, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}

std::string OwnSection()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return std::strrchr(path, '\\') + 1;
}

void SetRgb(HWND chooser, COLORREF color)
{
    SetDlgItemInt(chooser, COLOR_RED_EDIT, GetRValue(color), FALSE);
    SetDlgItemInt(chooser, COLOR_GREEN_EDIT, GetGValue(color), FALSE);
    SetDlgItemInt(chooser, COLOR_BLUE_EDIT, GetBValue(color), FALSE);
}

class ColorPicker : public ::testing::Test {
protected:
    void SetUp() override { RemoveProfile(PaletteFilePath()); }
    void TearDown() override { RemoveProfile(PaletteFilePath()); }
};

TEST_F(ColorPicker, OpensFullWithTheStartColourAndReturnsTheConfirmedOne)
{
    DialogDriver driver([&](HWND chooser) {
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(chooser, COLOR_RED_EDIT)));
        EXPECT_EQ(RGB(GetDlgItemInt(chooser, COLOR_RED_EDIT, nullptr, FALSE),
                      GetDlgItemInt(chooser, COLOR_GREEN_EDIT, nullptr, FALSE),
                      GetDlgItemInt(chooser, COLOR_BLUE_EDIT, nullptr, FALSE)),
                  RGB(200, 100, 50));
        SetRgb(chooser, RGB(10, 20, 30));
        ClickButton(chooser, IDOK);
    });
    EXPECT_EQ(ChoosePaletteColor(nullptr, RGB(200, 100, 50)), RGB(10, 20, 30));
    ASSERT_TRUE(driver.Ran());
    // The custom colours were not touched: nothing is written.
    EXPECT_FALSE(FileExists(PaletteFilePath()));
}

// The custom colours are read from the file (any other length than 128
// digits is ignored, also one the read would cut to 128) and written back
// only when one was defined, even when the chooser is then cancelled.
TEST_F(ColorPicker, CustomColoursAreReadAndWrittenBackOnlyWhenChanged)
{
    const std::string lower = Repeat("0a0b0c00", 16);
    const struct { const char* name; std::string stored; bool define; std::string saved; } cases[] = {
        {"no file", "", true, "12345600" + Repeat("00000000", 15)},
        {"lower case, untouched", lower, false, lower},
        {"lower case, defined", lower, true, "12345600" + Repeat("0A0B0C00", 15)},
        {"too long", lower + "FF", true, "12345600" + Repeat("00000000", 15)},
    };
    for (const auto& c : cases) {
        RemoveProfile(PaletteFilePath());
        if (!c.stored.empty())
            WritePrivateProfileStringA(OwnSection().c_str(), PALETTE_KEY, c.stored.c_str(), PaletteFilePath());
        const bool define = c.define;
        DialogDriver driver([define](HWND chooser) {
            if (define) {
                SetRgb(chooser, RGB(0x12, 0x34, 0x56));
                ClickButton(chooser, COLOR_ADD_BUTTON);
                SetRgb(chooser, RGB(1, 2, 3));
            }
            ClickButton(chooser, IDCANCEL);
        });
        EXPECT_EQ(ChoosePaletteColor(nullptr, RGB(7, 8, 9)), RGB(7, 8, 9)) << c.name;
        ASSERT_TRUE(driver.Ran()) << c.name;
        EXPECT_EQ(IniValue(OwnSection().c_str(), PALETTE_KEY, PaletteFilePath()), c.saved) << c.name;
    }
}

TEST_F(ColorPicker, TwoDifferentlyNamedCopiesKeepSeparatePalettes)
{
    const std::string probe = BuildPath("tests\\win\\helpers\\palette_probe.exe");
    const struct { const char* name; const char* rgb; const char* value; } copies[] = {
        {"pal_one.exe", "17 34 51", "11223300"},
        {"pal_two.exe", "68 85 102", "44556600"},
    };
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    for (const auto& c : copies) {
        std::string copy = std::string(temp) + c.name;
        ASSERT_TRUE(CopyFileA(probe.c_str(), copy.c_str(), FALSE)) << copy;
        ChildProcess child;
        ASSERT_TRUE(child.Start("\"" + copy + "\" " + c.rgb));
        DWORD code = 99;
        ASSERT_TRUE(child.WaitExit(20000, &code)) << c.name;
        EXPECT_EQ(code, 0u) << c.name;
        DeleteFileA(copy.c_str());
    }
    for (const auto& c : copies)
        EXPECT_EQ(IniValue(c.name, PALETTE_KEY, PaletteFilePath()), c.value + Repeat("00000000", 15)) << c.name;
}

// Cancel leaves every byte of the font as it was; confirming takes the
// chosen face, and the chooser offers no effects.
TEST(FontPicker, CancelLeavesTheFontByteForByteConfirmTakesTheChosenFace)
{
    LOGFONTA font;
    std::memset(&font, 0xA5, sizeof font);
    font.lfHeight = -17;
    font.lfWidth = font.lfItalic = font.lfUnderline = font.lfStrikeOut = 0;
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(font.lfFaceName, "Arial Narrow");
    const LOGFONTA before = font;
    DialogDriver cancel([](HWND chooser) { ClickButton(chooser, IDCANCEL); });
    EXPECT_FALSE(ChooseTextFont(nullptr, font));
    ASSERT_TRUE(cancel.Ran());
    EXPECT_EQ(std::memcmp(&font, &before, sizeof font), 0);

    DialogDriver confirm([&](HWND chooser) {
        for (int id : {FONT_STRIKEOUT_CHECK, FONT_UNDERLINE_CHECK, FONT_COLOR_COMBO}) {
            HWND control = GetDlgItem(chooser, id);
            EXPECT_FALSE(control && IsWindowVisible(control) && IsWindowEnabled(control)) << id;
        }
        HWND faces = GetDlgItem(chooser, FONT_FACE_COMBO);
        SendMessageA(faces, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Liberation Sans"));
        SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(FONT_FACE_COMBO, CBN_SELCHANGE), reinterpret_cast<LPARAM>(faces));
        ClickButton(chooser, IDOK);
    });
    EXPECT_TRUE(ChooseTextFont(nullptr, font));
    ASSERT_TRUE(confirm.Ran());
    EXPECT_STREQ(font.lfFaceName, "Liberation Sans");
    EXPECT_LT(font.lfHeight, 0);
}

} // namespace
