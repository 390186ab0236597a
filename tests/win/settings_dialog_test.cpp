// The settings dialog of template 100, opened for real and driven by
// messages from inside its modal loop.
#include "app/app_state.h"
#include "app/main_window.h"
#include "config/settings.h"
#include "config/settings_dialog.h"
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

// The text of a window, or of its control `id`.
std::string Text(HWND window, int id = 0)
{
    char text[512] = "";
    GetWindowTextA(id ? GetDlgItem(window, id) : window, text, sizeof text);
    return text;
}

std::vector<std::string> ListItems(HWND dialog, int id)
{
    std::vector<std::string> items;
    LRESULT n = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        char text[64] = "";
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
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
        ASSERT_NE(owner_, nullptr);
        // "適用" and "設定" rebuild the icon set: its surfaces exist from
        // start-up on.
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
        INT_PTR result = ShowSettingsDialog(owner_);
        EXPECT_TRUE(driver.Ran());
        return result;
    }

    HWND owner_ = nullptr;
};

// Every way out gives its result, clears the open flag (set while open: the
// tray menu's test) and frees the swatches' brushes and the sample's font.
TEST_F(SettingsDialog, OpensWithItsListsAndIconsAndEachWayOutGivesItsResult)
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
            EXPECT_EQ(Text(d, 1111), "Arial Narrow");
            EXPECT_EQ(ListItems(d, 1112), (std::vector<std::string>{"無効", "背面", "前面", "背面＋前面"}));
            EXPECT_EQ(ListItems(d, 1113), (std::vector<std::string>{"無効", "左上", "右上", "左下", "右下",
                                                                    "縁取(弱)", "縁取(中)", "縁取(強)"}));
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

// "適用" takes the typed values (the previous one for text outside the range
// or not a number), rebuilds the icon set, asks the server once and saves
// nothing; "中止" afterwards keeps what was applied.
TEST_F(SettingsDialog, ApplyTakesTheFieldsRebuildsTheIconsAndAsksTheServerButSavesNothing)
{
    StartSockets();
    SimServer sim(R"({"drives":[{"position":0,"Temperature":30}]})");
    ASSERT_TRUE(sim.Running());
    Settings.Port = sim.Port();
    ASSERT_TRUE(BuildIconSet());
    const HICON before = NumIconArray[30].m_hIcon;
    MsgBoxWatcher boxes;   // none: the typed port and time-out are not taken
    size_t requestsWhileOpen = 0;
    HICON afterApply = nullptr;
    Run([&](HWND d) {
        SetDlgItemTextA(d, 1001, "99999");
        SetDlgItemTextA(d, 1003, "abc");
        SetDlgItemTextA(d, 1007, "60");
        CheckDlgButton(d, 1011, BST_UNCHECKED);
        SendDlgItemMessageA(d, 1113, CB_SETCURSEL, 7, 0);
        ClickButton(d, IDC_APPLY);
        EXPECT_TRUE(IsWindowVisible(d));
        requestsWhileOpen = sim.RequestCount();
        afterApply = NumIconArray[30].m_hIcon;
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Settings.Port, sim.Port());
    EXPECT_EQ(Settings.TimeOut, 3u);
    EXPECT_EQ(Settings.Temp, 60u);
    EXPECT_EQ(Settings.CommandError, 0);
    EXPECT_EQ(Settings.ShadowType, 7);
    EXPECT_EQ(requestsWhileOpen, 1u);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_NE(afterApply, nullptr);
    EXPECT_NE(afterApply, before);   // a new generation of icons
    // Only the drive's baseline is written, none of the settings.
    EXPECT_EQ(IniValue("127.0.0.1", "Temp"), "<missing>");
    StopSockets();
}

TEST_F(SettingsDialog, CancelPressedWhileTheRefreshShowsItsErrorBoxSavesNothing)
{
    StartSockets();
    SimServer sim(R"({"drives":[],"faults":[{"request":"all","kind":"short","bytes":0}]})");
    ASSERT_TRUE(sim.Running());
    Settings.Port = sim.Port();
    Settings.TimeOut = 1;
    HWND dialog = nullptr;
    std::string boxText;
    DialogDriver driver(std::vector<DialogDriver::Action>{
        [&](HWND d) { ClickButton(dialog = d, IDOK); },
        [&](HWND box) {
            boxText = Text(box, 0xFFFF);
            ClickButton(dialog, IDCANCEL);
            ClickButton(box, IDOK);
        }});
    EXPECT_EQ(ShowSettingsDialog(owner_), IDCANCEL);
    EXPECT_EQ(boxText, "クライアントソケットの受信に失敗しました。");
    EXPECT_FALSE(FileExists(SettingsFilePath()));
    StopSockets();
}

// The host address is cut to 255 bytes on a character boundary and names
// the section saved; a missing folder is made again.
TEST_F(SettingsDialog, SetSavesInTheSectionOfTheNewHost)
{
    std::string host;   // 130 "ア": 255 bytes would split one, so 254
    for (int i = 0; i < 130; ++i)
        host += "ア";
    // The folder is the path less "\KELPRA.INI".
    ASSERT_TRUE(RemoveDirectoryA(std::string(SettingsFilePath()).erase(std::strlen(SettingsFilePath()) - 11).c_str()));
    MsgBoxWatcher boxes;
    Run([&](HWND d) {
        SetDlgItemTextA(d, 1000, host.c_str());
        SetDlgItemTextA(d, 1009, "5");
        ClickButton(d, IDOK);
        if (IsWindowVisible(d))   // the save failed
            ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(std::string(Settings.HostAddress), host.substr(0, 254));
    EXPECT_EQ(IniValue(host.substr(0, 254).c_str(), "HostNumber"), "5");
    EXPECT_EQ(boxes.Count(), 0u);
}

// Each swatch shows its colour setting; a picked colour shows at once and
// reaches the settings only on "適用".
TEST_F(SettingsDialog, SwatchesShowTheirColoursAndAPickReachesTheSettingsOnApply)
{
    const struct { int swatch; COLORREF SETTINGS::*setting; COLORREF color; } swatches[] = {
        {1101, &SETTINGS::CoolTextColor, RGB(200, 10, 20)}, {1103, &SETTINGS::CoolShadowColor, RGB(10, 200, 30)},
        {1105, &SETTINGS::HotTextColor, RGB(40, 50, 250)}, {1107, &SETTINGS::HotShadowColor, RGB(90, 90, 0)},
        {1109, &SETTINGS::MaskColor, RGB(0, 120, 120)},
    };
    for (const auto& s : swatches)
        Settings.*s.setting = s.color;
    const COLORREF picked = RGB(11, 22, 33);
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
        EXPECT_TRUE(chooser.Ran());
        EXPECT_EQ(SwatchPixel(d, 1103), picked);
        EXPECT_EQ(Settings.CoolShadowColor, RGB(10, 200, 30));
        ClickButton(d, IDC_APPLY);
        EXPECT_EQ(Settings.CoolShadowColor, picked);
        ClickButton(d, IDCANCEL);
    });
}

TEST_F(SettingsDialog, ASaveTheFileRefusesIsReportedAndTheDialogStaysOpen)
{
    // A directory in the file's place: refused as a file a user may not write.
    ASSERT_TRUE(CreateDirectoryA(SettingsFilePath(), nullptr));
    MsgBoxWatcher boxes;
    bool openAfterSet = false;
    const INT_PTR result = Run([&](HWND d) {
        ClickButton(d, IDOK);
        openAfterSet = IsWindowVisible(d) != FALSE;
        ClickButton(d, IDCANCEL);
    });
    RemoveDirectoryA(SettingsFilePath());
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(openAfterSet);
    const std::vector<SeenBox> seen = boxes.Boxes();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "エラー情報");
    EXPECT_EQ(seen[0].text, std::string("設定を保存できませんでした。\r\n") + SettingsFilePath());
    EXPECT_TRUE(seen[0].errorIcon);
}

// No server at start-up, and the dialog cancelled: its closing box, nothing
// saved, the window told to close. (With "設定": program_test, from outside.)
TEST_F(SettingsDialog, StartUpWithoutServerCancelledSavesNothingAndCloses)
{
    std::vector<std::string> texts;
    auto readBox = [&](HWND box) {
        EXPECT_EQ(Text(box), "確認情報");
        texts.push_back(Text(box, 0xFFFF));
        ClickButton(box, IDOK);
    };
    DialogDriver driver(std::vector<DialogDriver::Action>{
        readBox, [](HWND d) { ClickButton(d, IDCANCEL); }, readBox});
    EXPECT_EQ(OnServerUnreachable(owner_), 0);
    EXPECT_EQ(driver.RunCount(), 3u);
    EXPECT_EQ(texts, (std::vector<std::string>{"サーバと通信できません。\r\nネットワーク設定を更新して下さい。",
                                               "設定をキャンセルしました。\r\nプログラムを終了します。"}));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, owner_, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_FALSE(FileExists(SettingsFilePath()));
}

} // namespace
