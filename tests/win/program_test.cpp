// kelpra.exe as a process against velmora-sim: its hidden window, and the
// start-ups that end early, when the server reports no drive and when the
// first refresh gets no reply.
#include "app/app_state.h"
#include "config/settings.h"
#include "msgbox_watcher.h"
#include "sim_server.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Program : public ::testing::Test {
protected:
    void SetUp() override { RemoveProfile(SETTINGS_FILE); }
    void TearDown() override { RemoveProfile(SETTINGS_FILE); }

    static void UseServer(const SimServer& sim)
    {
        WritePrivateProfileStringA("127.0.0.1", "Port", std::to_string(sim.Port()).c_str(), SETTINGS_FILE);
        WritePrivateProfileStringA("127.0.0.1", "TimeOut", "1", SETTINGS_FILE);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, SETTINGS_FILE);
    }
};

TEST_F(Program, AServerWithoutDrivesIsReportedAndTheProgramEndsWithZero)
{
    SimServer sim(R"({"drives":[]})");
    ASSERT_TRUE(sim.Running());
    UseServer(sim);
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
    EXPECT_EQ(boxes[0].caption, "エラー情報");
    EXPECT_EQ(boxes[0].text, "有効なデバイスがありません。");
    EXPECT_EQ(boxes[0].owner, window);
    EXPECT_EQ(boxes[0].buttons, 1);
    EXPECT_EQ(sim.RequestCount(), 1u) << "only the start-up's query";
}

TEST_F(Program, AFirstRefreshWithoutReplyEndsTheProgramWithoutABox)
{
    // The query finds a drive; the three attempts of the first refresh time out.
    SimServer sim(R"({"drives":[{"position":0,"Temperature":38,"DriveNumber":"Disk 0"}],
                      "faults":[{"request":2,"kind":"no-reply"},{"request":3,"kind":"no-reply"},
                                {"request":4,"kind":"no-reply"}]})");
    ASSERT_TRUE(sim.Running());
    UseServer(sim);
    ChildProcess kelpra;
    ASSERT_TRUE(kelpra.Start("\"" + BuildPath("kelpra.exe") + "\""));
    MsgBoxWatcher watcher(kelpra.Id());
    DWORD code = 1234;
    ASSERT_TRUE(kelpra.WaitExit(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(watcher.Count(), 0u);
    EXPECT_EQ(sim.RequestCount(), 4u);
}

} // namespace
