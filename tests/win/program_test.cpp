// kelpra.exe as a process: its hidden window, and the end of a start-up
// that finds no server.
#include "app/app_state.h"
#include "config/settings.h"
#include "msgbox_watcher.h"
#include "test_env.h"

#include <gtest/gtest.h>

namespace {

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveProfile(SETTINGS_FILE);
        // Nothing answers on the discard port of the loopback; one-second waits.
        WritePrivateProfileStringA("127.0.0.1", "Port", "9", SETTINGS_FILE);
        WritePrivateProfileStringA("127.0.0.1", "TimeOut", "1", SETTINGS_FILE);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, SETTINGS_FILE);
    }
    void TearDown() override { RemoveProfile(SETTINGS_FILE); }
};

TEST_F(Program, AnUnreachableServerIsReportedOnceAndTheProgramEndsWithZero)
{
    ChildProcess kelpra;
    ASSERT_TRUE(kelpra.Start("\"" + BuildPath("kelpra.exe") + "\""));
    MsgBoxWatcher watcher(kelpra.Id());
    HWND window = WaitForWindow(MAIN_WINDOW_CLASS, kelpra.Id(), 20000);
    ASSERT_NE(window, nullptr);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, MAIN_WINDOW_CLASS);
    EXPECT_FALSE(IsWindowVisible(window));

    ASSERT_TRUE(watcher.WaitForCount(1, 30000));
    DWORD code = 1234;
    ASSERT_TRUE(kelpra.WaitExit(20000, &code));
    EXPECT_EQ(code, 0u);
    std::vector<SeenBox> boxes = watcher.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "確認情報");
    EXPECT_EQ(boxes[0].text, "サーバと通信できません。\r\nネットワーク設定を更新して下さい。");
    // The icon is not compared: system icon handles differ between Wine processes.
    EXPECT_EQ(boxes[0].owner, window);
}

} // namespace
