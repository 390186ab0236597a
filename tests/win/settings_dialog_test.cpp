// The settings dialog, the font and colour choosers it opens and the version
// box, each opened for real and driven from inside its modal loop.
#include "app/app_state.h"
#include "app/main_window.h"
#include "config/palette_codec.h"
#include "config/pickers.h"
#include "config/settings.h"
#include "config/settings_dialog.h"
#include "config/version_box.h"
#include "dialog_driver.h"
#include "icons/icon_set.h"
#include "icons/numicon.h"
#include "msgbox_watcher.h"
#include "sim_server.h"
#include "socket_session.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Text(HWND window, int id = 0)
{
    char text[512] = "";
    GetWindowTextA(id ? GetDlgItem(window, id) : window, text, sizeof text);
    return text;
}

std::string Repeat(const std::string& part, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}

// The colour in the middle of a swatch, painted anew.
COLORREF SwatchPixel(HWND dialog, int swatch)
{
    HWND control = GetDlgItem(dialog, swatch);
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT rc;
    GetClientRect(control, &rc);
    HDC dc = GetDC(control);
    const COLORREF color = GetPixel(dc, rc.right / 2, rc.bottom / 2);
    ReleaseDC(control, dc);
    return color;
}

constexpr int COLOR_RED_EDIT = 706, COLOR_GREEN_EDIT = 707, COLOR_BLUE_EDIT = 708, COLOR_ADD_BUTTON = 712;
constexpr int FONT_FACE_COMBO = 1136, FONT_STRIKEOUT_CHECK = 1040, FONT_UNDERLINE_CHECK = 1041,
              FONT_COLOR_COMBO = 1139;

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveProfile(SettingsFilePath());
        std::memset(&Settings, 0, sizeof Settings);
        SetDefaultSettings();
        std::strcpy(Settings.HostAddress, "127.0.0.1");
        LoadSettings();
        AppState = {};
        AppState.instance = GetModuleHandleA(nullptr);
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        // "適用" and "設定" rebuild the icon set, whose surfaces exist from start-up on.
        for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i)
            ASSERT_TRUE(NumIconArray[i].Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
    }
    void TearDown() override
    {
        for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i)
            NumIconArray[i].Release();
        ErrorIcon.Release();
        DestroyWindow(owner_);
        RemoveProfile(SettingsFilePath());
    }

    // Opens the dialog; the action runs inside it and must close it.
    INT_PTR Run(DialogDriver::Action action)
    {
        DialogDriver driver(std::move(action));
        return ShowSettingsDialog(owner_);
    }

    HWND owner_ = nullptr;
};

// Every way out gives its result, clears the open flag (set while open: the
// tray menu's test) and frees the swatches' brushes and the sample's font.
TEST_F(SettingsDialog, OpensWithItsSettingsAndIconsAndEachWayOutGivesItsResult)
{
    const struct { const char* name; void (*close)(HWND); INT_PTR result; } cases[] = {
        {"cancel button", [](HWND d) { ClickButton(d, IDCANCEL); }, IDCANCEL},
        {"close box", [](HWND d) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
        {"set button", [](HWND d) { ClickButton(d, IDOK); }, IDOK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Run([&](HWND d) {
            EXPECT_EQ(Text(d), "設定");
            EXPECT_EQ(Text(d, 1000), "127.0.0.1");
            EXPECT_EQ(IsDlgButtonChecked(d, 1011), static_cast<UINT>(BST_CHECKED));
            EXPECT_NE(SendMessageA(d, WM_GETICON, ICON_BIG, 0), 0);
            EXPECT_NE(SendMessageA(d, WM_GETICON, ICON_SMALL, 0), 0);
            c.close(d);
        }), c.result);
        EXPECT_EQ(AppState.settingsOpen, 0);
        for (const WINBRUSH& b : SwatchBrushes)
            EXPECT_EQ(b.m_hBrush, nullptr);
        EXPECT_EQ(SampleFont.m_hFont, nullptr);
    }
}

// What the file holds, what the control shows and what "設定" then saves:
// numbers outside a spin's range at the nearer end (unsigned: 4294967295 is
// no -1), a view type outside its list unselected and saved as -1.
TEST_F(SettingsDialog, EachFieldShowsItsSettingAndSetSavesWhatItShows)
{
    struct Field { const char* key; const char* stored; int control; const char* shown; const char* saved; };
    // One stored file per round, so each key once per round.
    const std::vector<Field> rounds[] = {
        {{"Port", "4294967295", 1001, "65535", nullptr}, {"TimeOut", "1", 1003, "1", nullptr},
         {"Timer", "10", 1005, "30", nullptr}, {"Temp", "0", 1007, "20", nullptr},
         {"HostNumber", "16", 1009, "15", nullptr}, {"ViewType", "7", 1112, "", "4294967295"},
         {"ShadowType", "6", 1113, "縁取(中)", "6"}},
        {{"Port", "65535", 1001, "65535", nullptr}, {"Timer", "99999", 1005, "3600", nullptr},
         {"ViewType", "3", 1112, "背面＋前面", "3"}},
    };
    for (const auto& round : rounds) {
        for (const Field& f : round)
            WritePrivateProfileStringA("127.0.0.1", f.key, f.stored, SettingsFilePath());
        LoadSettings();
        EXPECT_EQ(Run([&](HWND d) {
            for (const Field& f : round)
                EXPECT_EQ(Text(d, f.control), f.shown) << f.key << "=" << f.stored;
            ClickButton(d, IDOK);
        }), IDOK);
        for (const Field& f : round)
            EXPECT_EQ(IniValue("127.0.0.1", f.key), f.saved ? f.saved : f.shown) << f.key << "=" << f.stored;
    }
}

// Swatches show their colour, a pick at once; a cancelled font chooser leaves
// every byte of the font, a confirmed one gives the face (no effects offered).
// "適用" takes picks and fields (the previous value for text out of range or no
// number), rebuilds the icons, asks the server once, saves nothing; "中止" keeps it.
TEST_F(SettingsDialog, ApplyTakesThePicksAndTheFieldsRebuildsTheIconsAndAsksTheServerButSavesNothing)
{
    const struct { int swatch; COLORREF SETTINGS::*setting; COLORREF color; } swatches[] = {
        {1101, &SETTINGS::CoolTextColor, RGB(200, 10, 20)}, {1103, &SETTINGS::CoolShadowColor, RGB(10, 200, 30)},
        {1105, &SETTINGS::HotTextColor, RGB(40, 50, 250)}, {1107, &SETTINGS::HotShadowColor, RGB(90, 90, 0)},
        {1109, &SETTINGS::MaskColor, RGB(0, 120, 120)},
    };
    for (const auto& s : swatches)
        Settings.*s.setting = s.color;
    const COLORREF picked = RGB(11, 22, 33);
    StartSockets();
    SimServer sim(R"({"drives":[{"position":0,"Temperature":30}]})");
    Settings.Port = sim.Port();
    ASSERT_TRUE(BuildIconSet());
    const HICON before = NumIconArray[30].m_hIcon;
    size_t requestsWhileOpen = 0;
    HICON afterApply = nullptr;
    Run([&](HWND d) {
        for (const auto& s : swatches)
            EXPECT_EQ(SwatchPixel(d, s.swatch), s.color) << s.swatch;
        HDC dc = GetDC(d);   // the sample shows the dialog's face through
        EXPECT_EQ(SendMessageA(d, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(GetDlgItem(d, 1111))),
                  reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
        ReleaseDC(d, dc);
        DialogDriver chooser(
            [&](HWND p) {
                TypeChooserColor(p, picked);
                ClickButton(p, IDOK);
            },
            d);
        ClickButton(d, 1102);
        EXPECT_EQ(SwatchPixel(d, 1103), picked);
        EXPECT_EQ(Settings.CoolShadowColor, RGB(10, 200, 30));
        DialogDriver fontChooser(std::vector<DialogDriver::Action>{
            [](HWND f) { ClickButton(f, IDCANCEL); },
            [](HWND f) {
                for (int id : {FONT_STRIKEOUT_CHECK, FONT_UNDERLINE_CHECK, FONT_COLOR_COMBO}) {
                    HWND control = GetDlgItem(f, id);
                    EXPECT_FALSE(control && IsWindowVisible(control) && IsWindowEnabled(control)) << id;
                }
                HWND faces = GetDlgItem(f, FONT_FACE_COMBO);
                SendMessageA(faces, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>("Liberation Sans"));
                SendMessageA(f, WM_COMMAND, MAKEWPARAM(FONT_FACE_COMBO, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(faces));
                ClickButton(f, IDOK);
            }},
            d);
        ClickButton(d, IDC_FONT);
        EXPECT_EQ(std::memcmp(&WorkingFont, &Settings.TextFont, sizeof WorkingFont), 0);
        ClickButton(d, IDC_FONT);
        EXPECT_EQ(Text(d, IDC_FONT_SAMPLE), "Liberation Sans");
        SetDlgItemTextA(d, 1001, "99999");
        SetDlgItemTextA(d, 1003, "abc");
        SetDlgItemTextA(d, 1007, "60");
        CheckDlgButton(d, 1011, BST_UNCHECKED);
        SendDlgItemMessageA(d, 1113, CB_SETCURSEL, 7, 0);
        MsgBoxWatcher boxes;   // closes a box of a wrongly taken port or time-out
        ClickButton(d, IDC_APPLY);
        EXPECT_TRUE(IsWindowVisible(d));
        requestsWhileOpen = sim.RequestCount();
        afterApply = NumIconArray[30].m_hIcon;
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Settings.CoolShadowColor, picked);
    EXPECT_STREQ(Settings.TextFont.lfFaceName, "Liberation Sans");
    EXPECT_LT(Settings.TextFont.lfHeight, 0);
    EXPECT_EQ(Settings.Port, sim.Port());
    EXPECT_EQ(Settings.TimeOut, 3u);
    EXPECT_EQ(Settings.Temp, 60u);
    EXPECT_EQ(Settings.CommandError, 0);
    EXPECT_EQ(Settings.ShadowType, 7);
    EXPECT_EQ(requestsWhileOpen, 1u);
    EXPECT_NE(afterApply, before);   // a new generation of icons
    // Only the drive's baseline is written, none of the settings.
    EXPECT_EQ(IniValue("127.0.0.1", "Temp"), "<missing>");
    StopSockets();
}

TEST_F(SettingsDialog, CancelPressedWhileTheRefreshShowsItsErrorBoxSavesNothing)
{
    StartSockets();
    SimServer sim(R"({"drives":[],"faults":[{"request":"all","kind":"short","bytes":0}]})");
    Settings.Port = sim.Port();
    Settings.TimeOut = 1;
    HWND dialog = nullptr;
    DialogDriver driver(std::vector<DialogDriver::Action>{
        [&](HWND d) { ClickButton(dialog = d, IDOK); },
        [&](HWND box) {
            ClickButton(dialog, IDCANCEL);
            ClickButton(box, IDOK);
        }});
    EXPECT_EQ(ShowSettingsDialog(owner_), IDCANCEL);
    EXPECT_FALSE(FileExists(SettingsFilePath()));
    StopSockets();
}

// "設定" saves in the section of the new host, whose address is cut to 255
// bytes on a character boundary. A file that refuses the save is reported
// once and the dialog stays open; a missing folder is made again.
TEST_F(SettingsDialog, SetSavesInTheNewHostsSectionOrReportsARefusalAndStaysOpen)
{
    const std::string host = Repeat("ア", 130);   // 255 bytes would split one, so 254
    // A directory in the file's place: refused as a file a user may not write.
    ASSERT_TRUE(CreateDirectoryA(SettingsFilePath(), nullptr));
    MsgBoxWatcher boxes;
    EXPECT_EQ(Run([&](HWND d) {
        SetDlgItemTextA(d, 1000, host.c_str());
        SetDlgItemTextA(d, 1009, "5");
        ClickButton(d, IDOK);
        // Still open after the refusal: a second "設定" with the folder gone.
        RemoveDirectoryA(SettingsFilePath());
        // The folder is the path less "\KELPRA.INI".
        RemoveDirectoryA(std::string(SettingsFilePath()).erase(std::strlen(SettingsFilePath()) - 11).c_str());
        ClickButton(d, IDOK);
        if (IsWindowVisible(d))   // the save failed again
            ClickButton(d, IDCANCEL);
    }), IDOK);
    const std::vector<SeenBox> seen = boxes.Boxes();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "エラー情報");
    EXPECT_EQ(seen[0].text, std::string("設定を保存できませんでした。\r\n") + SettingsFilePath());
    EXPECT_TRUE(seen[0].errorIcon);
    // (The profile functions drop a lone lead byte from a section name.)
    EXPECT_EQ(std::string(Settings.HostAddress), host.substr(0, 254));
    EXPECT_EQ(IniValue(host.substr(0, 254).c_str(), "HostNumber"), "5");
}

// No server at start-up, and the dialog cancelled: its closing box, nothing
// saved, the window told to close. (With "設定", and the boxes' caption:
// program_test, from outside.)
TEST_F(SettingsDialog, StartUpWithoutServerCancelledSavesNothingAndCloses)
{
    std::vector<std::string> texts;
    auto readBox = [&](HWND box) {
        texts.push_back(Text(box, 0xFFFF));
        ClickButton(box, IDOK);
    };
    DialogDriver driver(std::vector<DialogDriver::Action>{
        readBox, [](HWND d) { ClickButton(d, IDCANCEL); }, readBox});
    EXPECT_EQ(OnServerUnreachable(owner_), 0);
    EXPECT_EQ(texts, (std::vector<std::string>{"サーバと通信できません。\r\nネットワーク設定を更新して下さい。",
                                               "設定をキャンセルしました。\r\nプログラムを終了します。"}));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, owner_, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_FALSE(FileExists(SettingsFilePath()));
}

// The colour chooser opens full with the start colour and gives the confirmed
// one. The custom colours come from this program's section of the palette file
// (other lengths than 128 digits ignored, also one the read would cut to 128),
// written back only when one was defined, even if the chooser is then cancelled.
TEST(ColorPicker, OpensFullAndWritesTheCustomColoursBackOnlyWhenOneWasDefined)
{
    const char* const ownSection = "win_settings_dialog_test.exe";
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
            WritePrivateProfileStringA(ownSection, PALETTE_KEY, c.stored.c_str(), PaletteFilePath());
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
        EXPECT_EQ(IniValue(ownSection, PALETTE_KEY, PaletteFilePath()), c.saved);
    }
    RemoveProfile(PaletteFilePath());
}

std::string VersionText(const std::string& description, const std::string& version, const std::string& legal)
{
    return description + " (x64)\r\nVersion " + version + "\r\n\r\n" + legal + "\r\n\r\nアイコン: KELPRA Project オリジナル";
}

// The box shows this program's version resource (its owner: the tray menu's
// test); a probe whose version block holds two translations shows none.
TEST(VersionBox, ShowsTheFivePartsOfTheProgramsVersionResourceOrNothing)
{
    MsgBoxWatcher watcher;
    ShowVersionBox(nullptr);
    ASSERT_EQ(watcher.Count(), 1u);
    const SeenBox box = watcher.Boxes()[0];
    EXPECT_EQ(box.caption, "バージョン情報");
    EXPECT_EQ(box.text, VersionText("KELPRA ドライブ温度トレイ表示", "1.12", "Copyright (C) 2026 KELPRA Project"));
    EXPECT_TRUE(box.informationIcon);
    EXPECT_EQ(box.buttons, 1);

    ChildProcess probe;
    ASSERT_TRUE(probe.Start(Quoted(BuildPath("tests\\win\\helpers\\version_twolang.exe"))));
    MsgBoxWatcher probeBoxes(probe.Id());
    DWORD code = 99;
    ASSERT_TRUE(probe.WaitExit(20000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(probeBoxes.Count(), 0u);
}

// The text of a given file, cut to the room given on a character boundary
// ("KELPRA " is 7 bytes, then double-byte characters).
TEST(VersionText, ComposedFromTheFileGivenAndCutOnACharacterBoundary)
{
    char own[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, own, sizeof own);
    const std::string untouched(1023, 'x');
    const struct { const char* name; std::string path; size_t size; BOOL ok; std::string text; } cases[] = {
        {"missing legal notice", BuildPath("tests\\win\\helpers\\version_nolegal.exe"), 1024, TRUE,
         VersionText("試験用プローブ", "2.00", "(error)")},
        {"two translations", BuildPath("tests\\win\\helpers\\version_twolang.exe"), 1024, FALSE, untouched},
        {"no such file", BuildPath("tests\\win\\helpers\\absent.exe"), 1024, FALSE, untouched},
        {"room for nothing", own, 1, TRUE, ""},
        {"a lead byte's room", own, 9, TRUE, "KELPRA "},
        {"a character's room", own, 10, TRUE, "KELPRA ド"},
    };
    for (const auto& c : cases) {
        char text[1024];
        std::memset(text, 'x', sizeof text - 1);
        text[sizeof text - 1] = '\0';
        EXPECT_EQ(ComposeVersionText(c.path.c_str(), text, c.size), c.ok) << c.name;
        EXPECT_EQ(std::string(text), c.text) << c.name;
    }
}

} // namespace
