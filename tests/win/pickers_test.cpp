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

// This program's palette section: its file name.
const char* const OWN_SECTION = "win_pickers_test.exe";

class ColorPicker : public ::testing::Test {
protected:
    void SetUp() override { RemoveProfile(PaletteFilePath()); }
    void TearDown() override { RemoveProfile(PaletteFilePath()); }
};

// The chooser opens full with the start colour and gives the confirmed one.
// The custom colours are read from the file (any other length than 128
// digits is ignored, also one the read would cut to 128) and written back
// only when one was defined, even when the chooser is then cancelled.
TEST_F(ColorPicker, OpensFullAndWritesTheCustomColoursBackOnlyWhenOneWasDefined)
{
    const std::string lower = Repeat("0a0b0c00", 16);
    const std::string defined = "12345600" + Repeat("00000000", 15);
    const struct { const char* name; std::string stored; bool define; bool confirm; std::string saved; } cases[] = {
        {"no file, confirmed", "", false, true, "<missing>"},
        {"no file, defined", "", true, false, defined},
        {"lower case, untouched", lower, false, false, lower},
        {"lower case, defined", lower, true, true, "12345600" + Repeat("0A0B0C00", 15)},
        {"too long", lower + "FF", true, false, defined},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveProfile(PaletteFilePath());
        if (!c.stored.empty())
            WritePrivateProfileStringA(OWN_SECTION, PALETTE_KEY, c.stored.c_str(), PaletteFilePath());
        DialogDriver driver([&](HWND chooser) {
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(chooser, COLOR_RED_EDIT)));
            EXPECT_EQ(RGB(GetDlgItemInt(chooser, COLOR_RED_EDIT, nullptr, FALSE),
                          GetDlgItemInt(chooser, COLOR_GREEN_EDIT, nullptr, FALSE),
                          GetDlgItemInt(chooser, COLOR_BLUE_EDIT, nullptr, FALSE)),
                      RGB(7, 8, 9));
            if (c.define) {
                TypeChooserColor(chooser, RGB(0x12, 0x34, 0x56));
                ClickButton(chooser, COLOR_ADD_BUTTON);
            }
            TypeChooserColor(chooser, RGB(1, 2, 3));
            ClickButton(chooser, c.confirm ? IDOK : IDCANCEL);
        });
        EXPECT_EQ(ChoosePaletteColor(nullptr, RGB(7, 8, 9)), c.confirm ? RGB(1, 2, 3) : RGB(7, 8, 9));
        ASSERT_TRUE(driver.Ran());
        EXPECT_EQ(IniValue(OWN_SECTION, PALETTE_KEY, PaletteFilePath()), c.saved);
    }
}

// The palette's section is the program's file name: two copies of one
// program under other names keep their own.
TEST_F(ColorPicker, TwoDifferentlyNamedCopiesKeepSeparatePalettes)
{
    const std::string folder = MakeTempFolder("pal");
    const struct { const char* name; const char* rgb; const char* value; } copies[] = {
        {"pal_one.exe", "17 34 51", "11223300"},
        {"pal_two.exe", "68 85 102", "44556600"},
    };
    for (const auto& c : copies) {
        const std::string copy = folder + "\\" + c.name;
        ASSERT_TRUE(CopyFileA(BuildPath("tests\\win\\helpers\\palette_probe.exe").c_str(), copy.c_str(), FALSE));
        ChildProcess child;
        DWORD code = 99;
        ASSERT_TRUE(child.Start(Quoted(copy) + " " + c.rgb));
        ASSERT_TRUE(child.WaitExit(20000, &code)) << c.name;
        EXPECT_EQ(code, 0u) << c.name;
    }
    RemoveFolder(folder);
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
