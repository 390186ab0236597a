// One user's session: a copy for the simulator on the host named on the
// command line beside one for kelpra-agent on the default host, each with its
// section and HostNumber; host-number mode; the dialog saving a threshold
// (hot drives, no balloon with Alert=0); a left click's balloon; exit from a
// real right click's menu; a new start reading the threshold back.
#include "agent_process.h"
#include "app/app_state.h"
#include "config/settings_dialog.h"
#include "e2e_support.h"
#include "sim_server.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string DemoScenario()
{
    const char* source = std::getenv("KELPRA_SOURCE_DIR");
    return ReadWholeFile(std::string("Z:") + (source ? source : ".") + "/tools/velmora-sim/scenarios/demo.json");
}

// The demo's drives, hot above the threshold: 45 by default, then 30 from
// the dialog. Drive 0 turns to caution after a minute, drive 1 warms from 44.
const std::vector<std::string> AT_45 = {"*", "*", "cool caution mark", "hot danger", "error", "cool good"};
const std::vector<std::string> AT_30 = {"*", "hot good", "hot caution", "hot danger", "error", "cool good"};
// Then the agent's fixture drives: sda, sdb, nvme0 good; sdc failing at 52
// degrees; sdd reallocated sectors; sde cannot be opened; sdf, asleep since
// the agent started, not shown.
const std::vector<std::string> AND_AGENT = {"*", "*", "cool caution mark", "hot danger", "error", "cool good",
    "cool good", "cool good", "cool good", "hot danger", "cool caution mark", "error"};

TEST(UserSession, TwoCopiesFromTheCommandLineThroughTheDialogToTheMenusExitAndBack)
{
    SimServer sim(DemoScenario());
    AgentProcess agent;
    ASSERT_EQ(agent.Ask().size(), 3264u);
    WriteOnlySection("127.0.0.1", {{"Port", std::to_string(agent.Port())}, {"TimeOut", "1"}, NO_ALERTS});
    WriteSection("localhost", {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}, {"HostNumber", "3"}, NO_ALERTS});

    Kelpra kelpra, second;
    ASSERT_TRUE(kelpra.Start("localhost"));
    EXPECT_TRUE(TrayShows(AT_45));
    ASSERT_TRUE(second.Start());
    EXPECT_TRUE(TrayShows(AND_AGENT)) << "the second copy's drives after the first's";
    EXPECT_TRUE(second.CloseWithZero());
    EXPECT_TRUE(TrayShows(AT_45, 10000)) << "the second copy's icons gone";

    // Host-number mode: each icon its own number, from 30 for HostNumber 3.
    PostMessageA(kelpra.Window(), WM_COMMAND, IDM_HOST_NUMBER_MODE, 0);
    EXPECT_TRUE(TrayShows({"?", "?", "?", "?", "?", "?"}, 10000));
    EXPECT_NE(Picture(0), Picture(1));
    PostMessageA(kelpra.Window(), WM_COMMAND, IDM_HOST_NUMBER_MODE, 0);

    PostMessageA(kelpra.Window(), WM_COMMAND, IDM_SETTINGS, 0);
    HWND dialog = nullptr;
    // Visible only once its fields are filled: typing sooner would be overwritten.
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowA("#32770", "設定")) && IsWindowVisible(dialog); },
                          10000, 50));
    SetDlgItemTextA(dialog, IDC_TEMP, "30");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10000));
    EXPECT_TRUE(TrayShows(AT_30, 10000));
    EXPECT_FALSE(WaitUntil([] { return !VisibleBalloons().empty(); }, 4000)) << "Alert=0: no balloon";
    EXPECT_EQ(IniValue("127.0.0.1", "Temp"), "<missing>") << "only the section of the host in use";

    ClickIcon(2, false);
    EXPECT_TRUE(WaitUntil([] { return !VisibleBalloons().empty(); }, 8000)) << "a left click's balloon";

    // The last item of a real right click's menu: "プログラムの終了".
    ClickIcon(0, true);
    std::vector<HWND> menus;
    ASSERT_TRUE(WaitUntil([&] { return !(menus = TopLevelWindows(kelpra.Id(), "#32768", true)).empty(); }, 5000, 50));
    for (UINT key : {VK_UP, VK_RETURN})
        PostMessageA(menus.front(), WM_KEYDOWN, key, 0);
    EXPECT_TRUE(kelpra.EndsWithZero());
    EXPECT_TRUE(TrayShows({}, 10000)) << "no icon left behind";

    Kelpra again;
    ASSERT_TRUE(again.Start("localhost"));
    EXPECT_TRUE(TrayShows(AT_30)) << "the saved threshold read back";
    EXPECT_TRUE(again.CloseWithZero());
}

} // namespace
