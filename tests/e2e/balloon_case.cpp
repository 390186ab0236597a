// A drive's details balloon: opened by a left click on its icon in the
// taskbar, and by itself when the drive gets worse.
#include "config/settings.h"
#include "e2e_support.h"
#include "sim_server.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(EndToEnd, ALeftClickOnADrivesIconOpensItsDetailsBalloon)
{
    SimServer sim(R"({"drives":[{"position":0,"Temperature":38,"State":"caution","Model":"SIM MODEL",
                                 "DriveNumber":"Disk 0"}]})");
    ASSERT_TRUE(sim.Running());
    WriteOnlySection("127.0.0.1", {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}, NO_ALERTS});

    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start());
    ASSERT_TRUE(sim.WaitForRequests(2, 20000));
    Sleep(1000);   // the taskbar draws the new icon
    EXPECT_TRUE(VisibleBalloons().empty());

    SetCursorPos(1013, 757);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));

    std::vector<HWND> shown;
    ASSERT_TRUE(WaitUntil([&] { return !(shown = VisibleBalloons()).empty(); }, 8000)) << "no balloon after the click";
    RECT rect = {};
    GetWindowRect(shown.front(), &rect);
    EXPECT_GT(rect.right, 1024 - 400) << "near the tray at the bottom right";
    EXPECT_GT(rect.bottom, 768 / 2);

    EXPECT_TRUE(kelpra.CloseWithZero());
    RemoveProfile(SettingsFilePath());
}

using Step = std::pair<const char*, int>;   // state, temperature

std::string OneDrive(const Step& step)
{
    return std::string(R"({"drives":[{"position":0,"Model":"SIM MODEL","DriveNumber":"Disk 0","State":")") +
           step.first + R"(","Temperature":)" + std::to_string(step.second) + "}]}";
}

// Balloons first seen within waitMs: Wine makes a new window for each one.
size_t NewBalloons(std::set<HWND>& seen, DWORD waitMs)
{
    size_t fresh = 0;
    WaitUntil([&] { for (HWND b : VisibleBalloons()) fresh += seen.insert(b).second; return false; }, waitMs);
    return fresh;
}

TEST(EndToEnd, ADriveThatGetsWorseShowsItsBalloonOnceOverTheNextPolls)
{
    struct Case {
        const char* what;
        const char* alert;
        std::vector<Step> steps;   // each held over a few one-second polls
        size_t balloons;
    } cases[] = {
        {"good to caution", "1", {{"good", 40}, {"caution", 40}, {"caution", 41}}, 1},
        {"44, 46, 45, 46 degrees with Temp 45", "1", {{"good", 44}, {"good", 46}, {"good", 45}, {"good", 46}}, 1},
        {"Alert=0", "0", {{"caution", 50}, {"danger", 50}}, 0},
    };
    for (const Case& c : cases) {
        SimServer sim(OneDrive(c.steps[0]));
        ASSERT_TRUE(sim.Running());
        WriteOnlySection("127.0.0.1",
                         {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}, {"Timer", "1"}, {"Alert", c.alert}});
        Kelpra kelpra;
        ASSERT_TRUE(kelpra.Start() && sim.WaitForRequests(2, 20000)) << c.what;
        std::set<HWND> seen;
        size_t balloons = 0;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            ASSERT_TRUE(i == 0 || sim.SetScenario(OneDrive(c.steps[i]))) << c.what;
            // A balloon shows about 2 s after the poll that asked for it.
            balloons += NewBalloons(seen, 4500);
        }
        EXPECT_EQ(balloons, c.balloons) << c.what;
        EXPECT_TRUE(kelpra.CloseWithZero()) << c.what;
    }
    RemoveProfile(SettingsFilePath());
}

} // namespace
