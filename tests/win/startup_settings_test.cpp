// kelpra.exe started against a host where no server answers: the
// information box, the settings dialog, one of the two closing boxes, and
// the end with exit code 0. Driven from outside, as a user would.
#include "app/app_state.h"
#include "config/settings.h"
#include "msgbox_watcher.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HWND WaitForSettingsDialog(DWORD processId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        // The settings dialog is the "#32770" window with the host field.
        for (HWND window : TopLevelWindows(processId, "#32770"))
            if (IsWindowVisible(window) && GetDlgItem(window, 1000) != nullptr)
                return window;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(50);
    }
}

class StartupWithoutServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveProfile(SettingsFilePath());
        // Nothing listens on this port; one second per attempt keeps it short.
        WritePrivateProfileStringA("127.0.0.1", "Port", "10071", SettingsFilePath());
        WritePrivateProfileStringA("127.0.0.1", "TimeOut", "1", SettingsFilePath());
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());
    }
    void TearDown() override { RemoveProfile(SettingsFilePath()); }
};

std::string Value(const char* section, const char* key)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());
    char text[256] = "";
    GetPrivateProfileStringA(section, key, "<missing>", text, sizeof text, SettingsFilePath());
    return text;
}

TEST_F(StartupWithoutServer, LeadsThroughTheBoxesAndTheDialogToExitCodeZero)
{
    const struct { const char* name; UINT button; const char* closing; } cases[] = {
        {"set", IDOK, "設定を更新しました。\r\nプログラムを再起動して下さい。"},
        {"cancel", IDCANCEL, "設定をキャンセルしました。\r\nプログラムを終了します。"},
    };
    for (const auto& c : cases) {
        SetUp();
        ChildProcess kelpra;
        ASSERT_TRUE(kelpra.Start("\"" + BuildPath("kelpra.exe") + "\"")) << c.name;
        MsgBoxWatcher watcher(kelpra.Id());
        HWND dialog = WaitForSettingsDialog(kelpra.Id(), 60000);
        ASSERT_NE(dialog, nullptr) << c.name;
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), FindWindowA(MAIN_WINDOW_CLASS, nullptr)) << c.name;
        SetDlgItemTextA(dialog, 1007, "61");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED), 0);
        DWORD code = 99;
        ASSERT_TRUE(kelpra.WaitExit(30000, &code)) << c.name;
        EXPECT_EQ(code, 0u) << c.name;
        std::vector<SeenBox> boxes = watcher.Boxes();
        ASSERT_EQ(boxes.size(), 2u) << c.name;
        EXPECT_EQ(boxes[0].text, "サーバと通信できません。\r\nネットワーク設定を更新して下さい。");
        EXPECT_EQ(boxes[1].text, c.closing) << c.name;
        for (const SeenBox& b : boxes) {
            EXPECT_EQ(b.caption, "確認情報");
            // (The icon is not compared: icon handles are per process here.)
            EXPECT_EQ(b.buttons, 1);
        }
        EXPECT_EQ(Value("127.0.0.1", "Temp"), c.button == IDOK ? "61" : "<missing>") << c.name;
        TearDown();
    }
}

} // namespace
