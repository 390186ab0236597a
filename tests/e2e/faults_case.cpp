// Faults seen from outside kelpra.exe: the simulator stopped and started
// again, drives that come and go, the taskbar created anew, suspend and
// resume.
#include "app/app_state.h"
#include "config/settings.h"
#include "e2e_support.h"
#include "msgbox_watcher.h"
#include "sim_server.h"

#include <gtest/gtest.h>

#include <shellapi.h>

namespace {

const char* const TWO_DRIVES = R"({"drives":[
    {"position":0,"Temperature":31,"State":"good","DriveNumber":"Disk 0"},
    {"position":1,"Temperature":38,"State":"caution","DriveNumber":"Disk 1"}]})";
const char* const THREE_DRIVES = R"({"drives":[
    {"position":0,"Temperature":31,"State":"good","DriveNumber":"Disk 0"},
    {"position":1,"Temperature":38,"State":"caution","DriveNumber":"Disk 1"},
    {"position":2,"Temperature":33,"State":"good","DriveNumber":"Disk 2"}]})";

bool ShowsNumbers(const IconLook& l) { return l.digitPixels >= 8 && !l.errorImage; }
bool ShowsError(const IconLook& l) { return l.errorImage; }

void StartKelpra(Kelpra* kelpra, const SimServer& sim, const std::vector<Setting>& extra)
{
    std::vector<Setting> keys = {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}, NO_ALERTS};
    keys.insert(keys.end(), extra.begin(), extra.end());
    WriteOnlySection("127.0.0.1", keys);
    ASSERT_TRUE(kelpra->Start());
    IconLook seen;
    ASSERT_TRUE(WaitForLook(1, COOL_DIGITS, ShowsNumbers, 20000, &seen)) << "the second drive's icon";
}

TEST(Faults, AStoppedSimulatorGivesErrorImagesAndTheNumbersComeBackWithIt)
{
    SimServer sim(TWO_DRIVES);
    ASSERT_TRUE(sim.Running());
    Kelpra kelpra;
    StartKelpra(&kelpra, sim, {{"Timer", "1"}, {"CommandError", "0"}});
    sim.Stop();
    IconLook seen;
    EXPECT_TRUE(WaitForLook(0, COOL_DIGITS, ShowsError, 20000, &seen));
    EXPECT_TRUE(WaitForLook(1, COOL_DIGITS, ShowsError, 20000, &seen));
    EXPECT_TRUE(HasTooltip("Disk 1 注意")) << "tooltips stay";
    ASSERT_TRUE(sim.Restart());
    EXPECT_TRUE(WaitForLook(0, COOL_DIGITS, ShowsNumbers, 20000, &seen)) << "numbers back";
    EXPECT_TRUE(WaitForLook(1, COOL_DIGITS, ShowsNumbers, 20000, &seen));
    EXPECT_TRUE(kelpra.CloseWithZero());
    RemoveProfile(SettingsFilePath());
}

// A stopped server only lets the waits run out, which reports nothing; a
// reply too large for the buffer is a receive error, which is reported.
TEST(Faults, ABrokenReplyGivesErrorImagesAndOneErrorBoxOnlyWithCommandErrorOn)
{
    const std::string broken = std::string(TWO_DRIVES).insert(std::string(TWO_DRIVES).size() - 1,
                                                              R"(,"faults":[{"request":"all","kind":"oversize"}])");
    const struct {
        const char* commandError;
        size_t boxes;
    } cases[] = {{"1", 1}, {"0", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("CommandError ") + c.commandError);
        SimServer sim(TWO_DRIVES);
        ASSERT_TRUE(sim.Running());
        Kelpra kelpra;
        StartKelpra(&kelpra, sim, {{"Timer", "1"}, {"CommandError", c.commandError}});
        MsgBoxWatcher watcher(kelpra.Id());
        watcher.Pause(true);   // the box stays open, as when no one is at the screen

        ASSERT_TRUE(sim.SetScenario(broken));
        IconLook seen;
        EXPECT_TRUE(WaitForLook(0, COOL_DIGITS, ShowsError, 20000, &seen));
        EXPECT_TRUE(WaitForLook(1, COOL_DIGITS, ShowsError, 20000, &seen));
        watcher.WaitForCount(c.boxes, 15000);
        // More polls fail meanwhile; none of them opens a second box.
        Sleep(3000);
        EXPECT_EQ(watcher.Count(), c.boxes);

        ASSERT_TRUE(sim.SetScenario(TWO_DRIVES));
        EXPECT_TRUE(WaitForLook(0, COOL_DIGITS, ShowsNumbers, 20000, &seen)) << "numbers back";
        watcher.Pause(false);
        EXPECT_TRUE(WaitUntil([&] { return watcher.OpenCount() == 0; }, 5000));
        std::vector<SeenBox> boxes = watcher.Boxes();
        ASSERT_EQ(boxes.size(), c.boxes);
        for (const SeenBox& b : boxes) {
            EXPECT_EQ(b.caption, "エラー情報");
            EXPECT_EQ(b.text, "クライアントソケットの受信に失敗しました。");
        }
        EXPECT_TRUE(kelpra.CloseWithZero());
    }
    RemoveProfile(SettingsFilePath());
}

TEST(Faults, ADriveThatAppearsGetsAnIconAndLosesItWhenItDisappears)
{
    SimServer sim(TWO_DRIVES);
    ASSERT_TRUE(sim.Running());
    Kelpra kelpra;
    StartKelpra(&kelpra, sim, {{"Timer", "1"}});
    EXPECT_EQ(LookNow(2, COOL_DIGITS).colours, 1) << "no third icon yet";

    ASSERT_TRUE(sim.SetScenario(THREE_DRIVES));
    IconLook seen;
    EXPECT_TRUE(WaitForLook(2, COOL_DIGITS, ShowsNumbers, 15000, &seen));
    EXPECT_TRUE(WaitUntil([] { return HasTooltip("Disk 2 正常"); }, 10000)) << "its own drive number";

    ASSERT_TRUE(sim.SetScenario(TWO_DRIVES));
    EXPECT_TRUE(WaitForLook(2, COOL_DIGITS, [](const IconLook& l) { return l.colours == 1; }, 15000, &seen));
    EXPECT_TRUE(ShowsNumbers(LookNow(1, COOL_DIGITS)));
    EXPECT_TRUE(kelpra.CloseWithZero());
    RemoveProfile(SettingsFilePath());
}

// The shell forgets the icons (deleted here in the program's name, as a
// restarted shell would have lost them); the broadcast brings them back.
TEST(Faults, TaskbarCreatedBringsBackEveryIconWithItsLastImageAndTooltip)
{
    SimServer sim(TWO_DRIVES);
    ASSERT_TRUE(sim.Running());
    Kelpra kelpra;
    StartKelpra(&kelpra, sim, {});
    kelpra.Command(IDM_OVERRIDE_DANGER);   // a last image other than the first
    IconLook seen;
    ASSERT_TRUE(WaitForLook(0, COOL_DIGITS, [](const IconLook& l) { return l.badge == Badge::Danger; }, 10000, &seen));
    Screenshot before;
    ASSERT_TRUE(before.Capture());

    for (UINT slot = 0; slot < 2; ++slot) {
        NOTIFYICONDATAA nid = {};
        nid.cbSize = 520;
        nid.hWnd = kelpra.Window();
        nid.uID = slot + 1;
        EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
    }
    ASSERT_TRUE(WaitUntil([] { return TrayEmpty(2); }, 5000));

    size_t requests = sim.RequestCount();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 5000,
                        &result);
    ASSERT_TRUE(WaitUntil([] { return !TrayEmpty(2); }, 5000));
    Sleep(500);   // the taskbar draws both
    Screenshot after;
    ASSERT_TRUE(after.Capture());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(IconPixels(after, i), IconPixels(before, i)) << "position " << i;
    EXPECT_TRUE(HasTooltip("Disk 0 危険"));
    EXPECT_TRUE(HasTooltip("Disk 1 危険"));
    EXPECT_EQ(sim.RequestCount(), requests) << "re-added from memory, without asking";
    EXPECT_TRUE(kelpra.CloseWithZero());
    RemoveProfile(SettingsFilePath());
}

TEST(Faults, SuspendStopsThePollingAndResumeAsksAtOnceAndPollsAgain)
{
    SimServer sim(TWO_DRIVES);
    ASSERT_TRUE(sim.Running());
    Kelpra kelpra;
    StartKelpra(&kelpra, sim, {{"Timer", "1"}});
    size_t before = sim.RequestCount();
    ASSERT_TRUE(sim.WaitForRequests(before + 1, 5000)) << "polling";

    PostMessageA(kelpra.Window(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    Sleep(1500);   // a tick may have been on its way
    size_t suspended = sim.RequestCount();
    Sleep(2500);
    EXPECT_EQ(sim.RequestCount(), suspended) << "no polls while suspended";

    PostMessageA(kelpra.Window(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_TRUE(sim.WaitForRequests(suspended + 1, 3000)) << "the refresh on resume";
    EXPECT_TRUE(sim.WaitForRequests(suspended + 3, 6000)) << "then polls again";
    EXPECT_TRUE(kelpra.CloseWithZero());
    RemoveProfile(SettingsFilePath());
}

} // namespace
