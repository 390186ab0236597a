// kelpra.exe started and ended from outside, against velmora-sim.
#include "app/app_state.h"
#include "config/settings.h"
#include "sim_server.h"
#include "test_env.h"

#include <gtest/gtest.h>

namespace {

TEST(EndToEnd, WmCloseFromOutsideEndsARunningProgramWithExitCodeZero)
{
    SimServer sim(R"({"drives":[{"position":0,"Temperature":38,"DriveNumber":"Disk 0"},
                                {"position":2,"Temperature":51,"State":"caution","DriveNumber":"Disk 2"}]})");
    ASSERT_TRUE(sim.Running());
    RemoveProfile(SETTINGS_FILE);
    WritePrivateProfileStringA("127.0.0.1", "Port", std::to_string(sim.Port()).c_str(), SETTINGS_FILE);
    WritePrivateProfileStringA("127.0.0.1", "TimeOut", "1", SETTINGS_FILE);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SETTINGS_FILE);

    ChildProcess kelpra;
    ASSERT_TRUE(kelpra.Start("\"" + BuildPath("kelpra.exe") + "\""));
    HWND window = WaitForWindow(MAIN_WINDOW_CLASS, kelpra.Id(), 20000);
    ASSERT_NE(window, nullptr);
    // The start-up's query and its first refresh.
    ASSERT_TRUE(sim.WaitForRequests(2, 20000));
    EXPECT_EQ(WaitForSingleObject(kelpra.Handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "still running";

    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 1234;
    ASSERT_TRUE(kelpra.WaitExit(20000, &code));
    EXPECT_EQ(code, 0u);
    RemoveProfile(SETTINGS_FILE);
}

} // namespace
