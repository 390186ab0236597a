// The settings dialog of template 100, opened for real and driven by
// messages from inside its modal loop.
#include "link/ws32lib.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "config/pickers.h"
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

std::string ItemText(HWND dialog, int id)
{
    char text[512] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void Type(HWND dialog, int id, const char* text)
{
    SetDlgItemTextA(dialog, id, text);
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

LRESULT Selected(HWND dialog, int id)
{
    return SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
}

std::vector<std::string> SectionKeys(const char* section)
{
    std::vector<char> buffer(8192, '\0');
    GetPrivateProfileSectionA(section, buffer.data(), static_cast<DWORD>(buffer.size()), SettingsFilePath());
    std::vector<std::string> keys;
    for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1) {
        std::string line = p;
        keys.push_back(line.substr(0, line.find('=')));
    }
    return keys;
}

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveProfile(SettingsFilePath());
        RemoveProfile(PaletteFilePath());
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
        RemoveProfile(PaletteFilePath());
    }

    // Opens the dialog; the action runs inside it and must close it.
    INT_PTR Run(DialogDriver::Action action)
    {
        DialogDriver driver(std::move(action));
        INT_PTR result = ShowSettingsDialog(owner_);
        EXPECT_TRUE(driver.Ran());
        return result;
    }

    void WriteKey(const char* key, const char* value)
    {
        WritePrivateProfileStringA("127.0.0.1", key, value, SettingsFilePath());
        LoadSettings();
    }

    HWND owner_ = nullptr;
};

TEST_F(SettingsDialog, ShowsEveryFieldOfTheSettings)
{
    Settings.HostNumber = 2;
    Settings.CommandError = 1;
    Settings.ShadowType = 6;
    Run([&](HWND d) {
        char caption[64] = "";
        GetWindowTextA(d, caption, sizeof caption);
        EXPECT_STREQ(caption, "設定");
        std::vector<std::string> texts;
        for (int id : {1000, 1001, 1003, 1005, 1007, 1009, 1111})
            texts.push_back(ItemText(d, id));
        EXPECT_EQ(texts, (std::vector<std::string>{"127.0.0.1", "10008", "3", "120", "45", "2", "Arial Narrow"}));
        EXPECT_EQ(ListItems(d, 1112), (std::vector<std::string>{"無効", "背面", "前面", "背面＋前面"}));
        EXPECT_EQ(ListItems(d, 1113), (std::vector<std::string>{"無効", "左上", "右上", "左下", "右下", "縁取(弱)",
                                                                "縁取(中)", "縁取(強)"}));
        EXPECT_EQ(Selected(d, 1112), 3);
        EXPECT_EQ(Selected(d, 1113), 6);
        EXPECT_EQ(IsDlgButtonChecked(d, 1011), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(AppState.settingsOpen, 1);
        EXPECT_NE(SendMessageA(d, WM_GETICON, ICON_BIG, 0), 0);
        EXPECT_NE(SendMessageA(d, WM_GETICON, ICON_SMALL, 0), 0);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(AppState.settingsOpen, 0);
}

TEST_F(SettingsDialog, ReturnsTwoOnCancelOrCloseBoxAndOneOnSet)
{
    const struct { const char* name; void (*close)(HWND); INT_PTR result; } cases[] = {
        {"cancel button", [](HWND d) { ClickButton(d, IDCANCEL); }, IDCANCEL},
        {"close box", [](HWND d) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
        {"set button", [](HWND d) { ClickButton(d, IDOK); }, IDOK},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.close), c.result) << c.name;
        EXPECT_EQ(AppState.settingsOpen, 0) << c.name;
        for (const WINBRUSH& b : SwatchBrushes)
            EXPECT_EQ(b.m_hBrush, nullptr) << c.name;
        EXPECT_EQ(SampleFont.m_hFont, nullptr) << c.name;
    }
}

TEST_F(SettingsDialog, ValuesOutsideASpinsRangeAreShownAndSavedAtTheNearerEnd)
{
    const struct { const char* key; const char* value; int edit; const char* shown; } cases[] = {
        {"Timer", "10", 1005, "30"},
        {"Timer", "99999", 1005, "3600"},
        {"Port", "4294967295", 1001, "65535"},
        {"Port", "65535", 1001, "65535"},
        {"Temp", "0", 1007, "20"},
        {"HostNumber", "16", 1009, "15"},
        {"TimeOut", "1", 1003, "1"},
    };
    for (const auto& c : cases) {
        SetUp();
        WriteKey(c.key, c.value);
        Run([&](HWND d) {
            EXPECT_EQ(ItemText(d, c.edit), c.shown) << c.key << "=" << c.value;
            ClickButton(d, IDOK);
        });
        EXPECT_EQ(IniValue("127.0.0.1", c.key), c.shown) << c.key << "=" << c.value;
        TearDown();
    }
}

// "適用" takes the typed values, keeps the previous one for text outside the
// range or not a number, cuts the host address on a character boundary, and
// saves nothing; "中止" afterwards keeps what was applied.
TEST_F(SettingsDialog, ApplyChangesTheSettingsButSavesNothingAndCancelKeepsThem)
{
    std::string host;   // 130 "ア": 255 bytes would split one, so 254
    for (int i = 0; i < 130; ++i)
        host += "ア";
    Run([&](HWND d) {
        Type(d, 1000, host.c_str());
        Type(d, 1001, "99999");
        Type(d, 1003, "abc");
        Type(d, 1007, "60");
        CheckDlgButton(d, 1011, BST_UNCHECKED);
        SendDlgItemMessageA(d, 1113, CB_SETCURSEL, 7, 0);
        ClickButton(d, IDC_APPLY);
        EXPECT_TRUE(IsWindowVisible(d));   // "適用" leaves it open
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(std::string(Settings.HostAddress), host.substr(0, 254));
    EXPECT_EQ(Settings.Port, 10008u);
    EXPECT_EQ(Settings.TimeOut, 3u);
    EXPECT_EQ(Settings.Temp, 60u);
    EXPECT_EQ(Settings.CommandError, 0);
    EXPECT_EQ(Settings.ShadowType, 7);
    EXPECT_FALSE(FileExists(SettingsFilePath()));
    // The next start reads the file's (default) values again.
    LoadSettings();
    EXPECT_EQ(Settings.Temp, 45u);
}

TEST_F(SettingsDialog, ApplyRebuildsTheIconSetAndAsksTheServerAtOnce)
{
    StartSockets();
    SimServer sim(R"({"drives":[{"position":0,"Temperature":30}]})");
    ASSERT_TRUE(sim.Running());
    Settings.Port = sim.Port();
    ASSERT_TRUE(BuildIconSet());
    const HICON before = NumIconArray[30].m_hIcon;

    size_t requestsWhileOpen = 0;
    HICON afterApply = nullptr;
    Run([&](HWND d) {
        Type(d, 1007, "60");   // Temp
        ClickButton(d, 4);     // 適用
        requestsWhileOpen = sim.RequestCount();
        afterApply = NumIconArray[30].m_hIcon;
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Settings.Temp, 60u);
    EXPECT_EQ(requestsWhileOpen, 1u);
    EXPECT_NE(afterApply, nullptr);
    EXPECT_NE(afterApply, before);        // a new generation of icons
    EXPECT_TRUE(SectionKeys("127.0.0.1").empty()) << "only the new drive's baseline is written";
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
            boxText = ItemText(box, 0xFFFF);
            ClickButton(dialog, IDCANCEL);
            ClickButton(box, IDOK);
        }});
    EXPECT_EQ(ShowSettingsDialog(owner_), IDCANCEL);
    EXPECT_EQ(boxText, "クライアントソケットの受信に失敗しました。");
    EXPECT_FALSE(FileExists(SettingsFilePath()));
    StopSockets();
}

// A view type outside the list opens without selection and is saved as -1.
TEST_F(SettingsDialog, SetSavesInTheSectionOfTheNewHost)
{
    Settings.Debug = 1;
    Settings.ViewType = 7;
    // Without its folder (the path less "\KELPRA.INI"): the save makes it.
    ASSERT_TRUE(RemoveDirectoryA(std::string(SettingsFilePath()).erase(std::strlen(SettingsFilePath()) - 11).c_str()));
    LRESULT selected = 0;
    Run([&](HWND d) {
        selected = Selected(d, 1112);
        Type(d, 1000, "192.168.0.9");
        Type(d, 1009, "5");
        ClickButton(d, IDOK);
    });
    EXPECT_STREQ(Settings.HostAddress, "192.168.0.9");
    // (The keys and their order: the settings store's test.)
    EXPECT_EQ(IniValue("192.168.0.9", "HostNumber"), "5");
    EXPECT_EQ(IniValue("192.168.0.9", "Debug"), "<missing>");
    EXPECT_TRUE(SectionKeys("127.0.0.1").empty());
    EXPECT_EQ(selected, CB_ERR);
    EXPECT_EQ(Settings.ViewType, -1);
    EXPECT_EQ(IniValue("192.168.0.9", "ViewType"), "4294967295");
}

// A picked colour shows in its swatch at once and reaches the settings only
// on "適用".
TEST_F(SettingsDialog, APickedColourReachesTheSettingsOnlyOnApply)
{
    const struct { int button; size_t index; COLORREF* setting; bool apply; } cases[] = {
        {1102, 1, &Settings.CoolShadowColor, false},
        {1108, 4, &Settings.MaskColor, true},
    };
    for (const auto& c : cases) {
        const COLORREF before = *c.setting;
        Run([&](HWND d) {
            const HBRUSH brushBefore = SwatchBrushes[c.index].m_hBrush;
            DialogDriver chooser(
                [](HWND p) {
                    SetDlgItemInt(p, 706, 11, FALSE);
                    SetDlgItemInt(p, 707, 22, FALSE);
                    SetDlgItemInt(p, 708, 33, FALSE);
                    ClickButton(p, IDOK);
                },
                d);
            ClickButton(d, c.button);
            EXPECT_TRUE(chooser.Ran());
            EXPECT_EQ(WorkingColors[c.index], RGB(11, 22, 33)) << c.button;
            EXPECT_NE(SwatchBrushes[c.index].m_hBrush, nullptr) << c.button;
            EXPECT_NE(SwatchBrushes[c.index].m_hBrush, brushBefore) << c.button;
            if (c.apply)
                ClickButton(d, IDC_APPLY);
            ClickButton(d, IDCANCEL);
        });
        EXPECT_EQ(*c.setting, c.apply ? RGB(11, 22, 33) : before) << c.button;
    }
}

TEST_F(SettingsDialog, SwatchesAreFilledWithTheirColours)
{
    Settings.CoolTextColor = RGB(200, 10, 20);
    Settings.HotTextColor = RGB(10, 200, 30);
    Settings.MaskColor = RGB(40, 50, 250);
    const struct { int swatch; COLORREF color; } cases[] = {
        {1101, RGB(200, 10, 20)}, {1105, RGB(10, 200, 30)}, {1109, RGB(40, 50, 250)},
    };
    Run([&](HWND d) {
        UpdateWindow(d);
        std::vector<LRESULT> brushes;
        for (const auto& c : cases) {
            HWND swatch = GetDlgItem(d, c.swatch);
            RedrawWindow(swatch, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            RECT rc;
            GetClientRect(swatch, &rc);
            HDC dc = GetDC(swatch);
            EXPECT_EQ(GetPixel(dc, rc.right / 2, rc.bottom / 2), c.color) << c.swatch;
            brushes.push_back(SendMessageA(d, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(swatch)));
            ReleaseDC(swatch, dc);
        }
        EXPECT_NE(brushes[0], 0);
        EXPECT_NE(brushes[0], brushes[1]);
        HDC dc = GetDC(d);
        EXPECT_EQ(SendMessageA(d, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(GetDlgItem(d, 1111))),
                  reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
        ReleaseDC(d, dc);
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

TEST_F(SettingsDialog, StartUpWithoutServerLeadsThroughTheBoxesAndCloses)
{
    const struct { const char* name; int button; const char* closing; } cases[] = {
        {"set", IDOK, "設定を更新しました。\r\nプログラムを再起動して下さい。"},
        {"cancel", IDCANCEL, "設定をキャンセルしました。\r\nプログラムを終了します。"},
    };
    for (const auto& c : cases) {
        SetUp();
        std::vector<std::string> texts;
        auto readBox = [&](HWND box) {
            char text[256] = "";
            GetWindowTextA(box, text, sizeof text);
            EXPECT_STREQ(text, "確認情報") << c.name;
            texts.push_back(ItemText(box, 0xFFFF));
            ClickButton(box, IDOK);
        };
        bool dialogSeen = false;
        DialogDriver driver(std::vector<DialogDriver::Action>{
            readBox,
            [&](HWND d) {
                dialogSeen = GetDlgItem(d, 1000) != nullptr;
                ClickButton(d, c.button);
            },
            readBox,
        });
        EXPECT_EQ(OnServerUnreachable(owner_), 0) << c.name;
        EXPECT_EQ(driver.RunCount(), 3u) << c.name;
        EXPECT_TRUE(dialogSeen) << c.name;
        EXPECT_EQ(texts, (std::vector<std::string>{"サーバと通信できません。\r\nネットワーク設定を更新して下さい。",
                                                   c.closing}))
            << c.name;
        MSG msg;
        EXPECT_TRUE(PeekMessageA(&msg, owner_, WM_CLOSE, WM_CLOSE, PM_REMOVE)) << c.name;
        EXPECT_EQ(FileExists(SettingsFilePath()), c.button == IDOK) << c.name;
        TearDown();
    }
}

} // namespace
