// The status refresh against velmora-sim on the loopback: the first query,
// the refresh of every position into the real notification area, the
// baselines in "KELPRA.INI", failures, and host-number mode. Then the
// polling timer and the power events, through the program's window
// procedure on a real hidden window, host-number mode standing in for the
// refresh: a tick or a resume then shows host numbers without a server.
#include "app/app_state.h"
#include "app/poll_timer.h"
#include "app/tray_set.h"
#include "config/settings.h"
#include "link/drive_slot.h"
#include "link/status_refresh.h"
#include "msgbox_watcher.h"
#include "sim_server.h"
#include "socket_session.h"
#include "test_env.h"
#include "tray_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// One drive of a scenario, "Disk <position>", its watched values 0 unless
// extra fields say otherwise.
std::string Drive(int position, int temperature, const char* state, const char* extra = "")
{
    const std::string p = std::to_string(position);
    return "{\"position\":" + p + ",\"Temperature\":" + std::to_string(temperature) + ",\"State\":\"" + state +
           "\",\"Model\":\"MODEL-" + p + "\",\"Firmware\":\"FW1\",\"Serial\":\"SN" + p +
           "\",\"DriveNumber\":\"Disk " + p + "\"" + extra + "}";
}

std::string Scenario(std::initializer_list<std::string> drives)
{
    std::string json = "{\"drives\":[";
    for (const std::string& d : drives)
        json += (json.back() == '[' ? "" : ",") + d;
    return json + "]}";
}

class Refresh : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartSockets(); }
    static void TearDownTestSuite() { StopSockets(); }
    void SetUp() override
    {
        RemoveProfile(SettingsFilePath());
        SetDefaultSettings();
        std::strcpy(Settings.HostAddress, "127.0.0.1");
        std::strcpy(Settings.Label, "127.0.0.1");
        Settings.TimeOut = 1;
        Settings.Temp = 45;
        Settings.CommandError = 0;
        ASSERT_TRUE(CreateTrayIcons(fixture.Window()));
        TrayFixture::FillTables();
    }
    void TearDown() override { RemoveProfile(SettingsFilePath()); }

    void Serve(const std::string& scenario)
    {
        sim = std::make_unique<SimServer>(scenario);
        ASSERT_TRUE(sim->Running());
        Settings.Port = sim->Port();
    }
    // Start-up's query and first refresh.
    void StartUp(int expectedDrives)
    {
        ASSERT_EQ(LoadDriveList(), expectedDrives);
        ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    }
    static const char* Tip(unsigned s) { return DriveSlots[s].TrayIcon.m_nid.szTip; }
    static void WriteBaseline(const char* section, const char* ac5, const char* a09 = "0")
    {
        WriteSection(section,
                     {{"Check", "1"}, {"A05", "0"}, {"A09", a09}, {"AC4", "0"}, {"AC5", ac5}, {"AC6", "0"}});
    }

    TrayFixture fixture;
    std::unique_ptr<SimServer> sim;
};

// The query stores each drive as empty, so that the first refresh adds it.
// Drive 0 hid its caution mark and its attributes stay (power-on hours alone
// are no change: nothing is saved); drive 1 hid it but a watched attribute
// changed; drive 2 is new. Both of these show the mark and are saved with
// Check 0 at the first refresh.
TEST_F(Refresh, AHiddenStatusSurvivesARestartWhileTheAttributesStayAndOtherwiseIsSavedShown)
{
    WriteBaseline("MODEL-0:FW1:SN0", "0", "90");
    WriteBaseline("MODEL-1:FW1:SN1", "3");
    Serve(Scenario({Drive(0, 40, "caution", ",\"A09\":100"), Drive(1, 41, "caution", ",\"AC5\":5"),
                    Drive(2, 42, "caution", ",\"AC5\":7")}));
    ASSERT_EQ(LoadDriveList(), 3);
    for (unsigned s = 0; s < 3; ++s) {
        EXPECT_EQ(DriveSlots[s].Record.InUse, 0) << s;
        EXPECT_FALSE(TrayFixture::ShellHasIcon(s)) << s;
    }
    EXPECT_EQ(DriveSlots[2].Record.AC5, -1) << "no section yet: -1 loaded";
    EXPECT_EQ(IniValue("MODEL-2:FW1:SN2", "Check"), "<missing>");
    ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    // Each is handed to the shell with its image and tooltip.
    for (unsigned s = 0; s < 3; ++s) {
        EXPECT_TRUE(TrayFixture::ShellHasIcon(s)) << s;
        EXPECT_EQ(DriveSlots[s].TrayIcon.m_nCurrentImage, static_cast<INT32>(DriveSlots[s].ShownImage)) << s;
        EXPECT_NE(DriveSlots[s].TrayIcon.m_nid.uFlags & NIF_TIP, 0u) << s;
    }
    const struct { unsigned slot; const char* ac5; } saved[] = {{1, "5"}, {2, "7"}};
    for (const auto& c : saved) {
        const std::string section = "MODEL-" + std::to_string(c.slot) + ":FW1:SN" + std::to_string(c.slot);
        EXPECT_EQ(DriveSlots[c.slot].Check, 0) << c.slot;
        EXPECT_EQ(DriveSlots[c.slot].ShownImage, 240u + c.slot);
        EXPECT_EQ(IniValue(section.c_str(), "Check"), "0") << c.slot;
        EXPECT_EQ(IniValue(section.c_str(), "AC5"), c.ac5) << c.slot;
    }
    EXPECT_EQ(DriveSlots[0].Check, 1);
    EXPECT_EQ(DriveSlots[0].ShownImage, 40u) << "caution mark hidden";
    EXPECT_STREQ(Tip(0), "Disk 0 注意") << "the state text stays";
    EXPECT_EQ(IniValue("MODEL-0:FW1:SN0", "Check"), "1");
    EXPECT_EQ(DriveSlots[0].Record.A09, 100);
    EXPECT_EQ(IniValue("MODEL-0:FW1:SN0", "A09"), "90");
    EXPECT_FALSE(TrayFixture::ShellHasIcon(3));
    EXPECT_EQ(sim->RequestCount(), 2u);
}

TEST_F(Refresh, ADriveNewToItsPositionKeepsItsSavedHiddenStatusAndFirstShowsTheOldDriveNumber)
{
    // Saved hidden: drive 5, which appears later, and the drive that replaces drive 0.
    WriteBaseline("MODEL-5:FW1:SN5", "7");
    WriteBaseline("MODEL-0:FW1:SNX", "7");
    Serve(Scenario({Drive(0, 30, "good")}));
    StartUp(1);
    ASSERT_TRUE(sim->SetScenario(Scenario({Drive(0, 30, "caution", ",\"Serial\":\"SNX\",\"AC5\":7"),
                                           Drive(5, 35, "caution", ",\"AC5\":7")})));
    ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    EXPECT_TRUE(TrayFixture::ShellHasIcon(5));
    EXPECT_EQ(DriveSlots[5].ShownImage, 35u) << "caution mark hidden";
    EXPECT_EQ(DriveSlots[0].ShownImage, 30u) << "caution mark hidden";
    EXPECT_EQ(IniValue("MODEL-5:FW1:SN5", "Check") + IniValue("MODEL-0:FW1:SNX", "Check"), "11");
    EXPECT_STREQ(Tip(5), " 注意");
    ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    EXPECT_STREQ(Tip(5), "Disk 5 注意");
}

TEST_F(Refresh, ADriveThatLeavesLosesItsIconKeepsItsRecordAndComingBackIsShownAgain)
{
    const std::string both = Scenario({Drive(0, 30, "good"), Drive(1, 31, "caution")});
    Serve(both);
    StartUp(2);
    ASSERT_TRUE(sim->SetScenario(Scenario({Drive(0, 30, "good")})));
    ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    ASSERT_FALSE(TrayFixture::ShellHasIcon(1));
    EXPECT_TRUE(TrayFixture::ShellHasIcon(0));
    EXPECT_EQ(DriveSlots[1].Record.InUse, 1);
    EXPECT_STREQ(DriveSlots[1].Record.DriveNumber, "Disk 1");
    EXPECT_EQ(DriveSlots[1].ShownImage, 231u);
    // A failed poll meanwhile shows the error image with the tooltips and
    // records kept, and does not count as showing the removed icon.
    const DriveRecord before = DriveSlots[0].Record;
    Settings.Port = 1;
    EXPECT_EQ(RefreshDrives(fixture.Window(), 0), 0);
    EXPECT_EQ(DriveSlots[1].ShownImage, static_cast<UINT>(ICON_ERROR));
    EXPECT_EQ(DriveSlots[0].ShownImage, static_cast<UINT>(ICON_ERROR));
    EXPECT_EQ(DriveSlots[0].TrayIcon.m_nid.hIcon, ErrorImage());
    EXPECT_TRUE(TrayFixture::ShellHasIcon(0));
    EXPECT_STREQ(Tip(0), "Disk 0 正常");
    EXPECT_EQ(std::memcmp(&DriveSlots[0].Record, &before, sizeof before), 0);
    EXPECT_FALSE(TrayFixture::ShellHasIcon(1));
    Settings.Port = sim->Port();
    // Back with its record's InUse byte, while host-number mode, which asks
    // the server nothing, goes on and off.
    ASSERT_TRUE(sim->SetScenario(both));
    const size_t asked = sim->RequestCount();
    AppState.hostNumberMode = 1;
    EXPECT_EQ(Redisplay(fixture.Window(), 0), 1);
    EXPECT_FALSE(TrayFixture::ShellHasIcon(1));
    EXPECT_EQ(DriveSlots[0].TrayIcon.m_nid.hIcon, HostImage());
    EXPECT_EQ(DriveSlots[2].ShownImage, 0u) << "an empty position shows no host number";
    EXPECT_EQ(sim->RequestCount(), asked);
    AppState.hostNumberMode = 0;
    ASSERT_EQ(Redisplay(fixture.Window(), 0), 1);
    EXPECT_TRUE(TrayFixture::ShellHasIcon(1));
    EXPECT_EQ(DriveSlots[0].ShownImage, 30u) << "the computed image is back";
    EXPECT_EQ(DriveSlots[1].ShownImage, 231u);
    EXPECT_STREQ(Tip(1), "Disk 1 注意");
    // The shell forgets it, and no "TaskbarCreated" comes: the refused modify
    // of the next temperature marks it as not shown; the next refresh adds it.
    NOTIFYICONDATAA copy = DriveSlots[1].TrayIcon.m_nid;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &copy));
    ASSERT_TRUE(sim->SetScenario(Scenario({Drive(0, 30, "good"), Drive(1, 32, "good")})));
    ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    EXPECT_FALSE(DriveSlots[1].TrayIcon.IsShown());
    ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    EXPECT_TRUE(TrayFixture::ShellHasIcon(1));
}

TEST_F(Refresh, ANewPictureOrTooltipForTheSameImageIsHandedToTheShell)
{
    Serve(Scenario({Drive(0, 30, "good")}));
    StartUp(1);
    TaskTrayIcon& tray = DriveSlots[0].TrayIcon;
    ASSERT_EQ(tray.m_nid.hIcon, PlainImage());
    // A rebuilt icon set: the same index, another icon.
    tray.SetImage(30, HostImage(), FALSE);
    ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    EXPECT_EQ(tray.m_nid.hIcon, HostImage());
    // Another label: the same image, another tooltip.
    std::strcpy(Settings.Label, "server-2");
    ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    EXPECT_STREQ(Tip(0), "Disk 0 正常 (server-2)");
    EXPECT_TRUE(TrayFixture::ShellHasIcon(0));
}

class PollTimer : public ::testing::Test {
protected:
    void SetUp() override
    {
        Settings.Timer = 30;
        Settings.CommandError = 0;
        ASSERT_TRUE(CreateTrayIcons(fixture.Window()));
        TrayFixture::FillTables();
        // Two drives whose host numbers show when a redisplay runs.
        DriveSlots[0].Record = TrayFixture::Drive(40, DS_GOOD, "Disk 0");
        DriveSlots[2].Record = TrayFixture::Drive(41, DS_WARN, "Disk 2");
        AppState.hostNumberMode = 1;
    }
    void TearDown() override
    {
        KillTimer(fixture.Window(), POLL_TIMER_ID);
        Settings.Timer = 120;
        AppState.hostNumberMode = 0;
    }

    HWND Window() const { return fixture.Window(); }
    static bool Redisplayed() { return DriveSlots[0].ShownImage == 600 && DriveSlots[2].ShownImage == 602; }
    static void ForgetRedisplay() { DriveSlots[0].ShownImage = DriveSlots[2].ShownImage = 0; }
    // Whether the window has a timer with the polling identifier.
    bool TimerRuns()
    {
        if (!KillTimer(Window(), POLL_TIMER_ID))
            return false;
        SetTimer(Window(), POLL_TIMER_ID, 30000, nullptr);   // put it back
        return true;
    }

    TrayFixture fixture;
};

TEST_F(PollTimer, RestartSetsOrReplacesTimerOneUnlessTheKillFails)
{
    EXPECT_EQ(RestartPollTimer(Window()), 1);
    EXPECT_EQ(RestartPollTimer(Window()), 1);
    EXPECT_EQ(AppState.pollTimerId, 1u);
    EXPECT_TRUE(TimerRuns());
    // A failed kill (of a timer this window never had) leaves the id and
    // sets no timer.
    KillTimer(Window(), POLL_TIMER_ID);
    AppState.pollTimerId = 5;
    EXPECT_EQ(RestartPollTimer(Window()), 0);
    EXPECT_EQ(AppState.pollTimerId, 5u);
    EXPECT_FALSE(TimerRuns());
}

// Each message with the timer id before and after it: whether it redisplays
// (changing no record), whether the timer runs, and whether the
// unknown-timer box shows. Suspend stops the timer; resume redisplays and
// restarts it whether or not it ran, but sets none after a failed kill;
// other events change nothing.
TEST_F(PollTimer, EachTickAndPowerEventDoesItsPartOnly)
{
    constexpr UINT TICK = WM_TIMER, POWER = WM_POWERBROADCAST;
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
        UINT32 before, after;
        bool redisplay, runs, box;
    } cases[] = {
        {"tick", TICK, 1, 1, 1, true, true, false},
        {"another timer's tick", TICK, 2, 1, 1, false, true, true},
        {"tick queued before a suspend", TICK, 1, 0, 0, false, false, true},
        {"tick in wParam's full width", TICK, static_cast<WPARAM>(1) << 32 | 1, 1, 1, false, true, true},
        {"suspend", POWER, PBT_APMSUSPEND, 1, 0, false, false, false},
        {"resume while running", POWER, PBT_APMRESUMESUSPEND, 1, 1, true, true, false},
        {"resume when stopped", POWER, PBT_APMRESUMESUSPEND, 0, 1, true, true, false},
        {"resume after a failed kill", POWER, PBT_APMRESUMESUSPEND, 5, 5, true, false, false},
        {"automatic resume", POWER, PBT_APMRESUMEAUTOMATIC, 1, 1, false, true, false},
        {"power status", POWER, PBT_APMPOWERSTATUSCHANGE, 0, 0, false, false, false},
        {"query suspend", POWER, PBT_APMQUERYSUSPEND, 1, 1, false, true, false},
        {"power setting", POWER, PBT_POWERSETTINGCHANGE, 0, 0, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KillTimer(Window(), POLL_TIMER_ID);
        AppState.pollTimerId = 0;
        if (c.before == 1) {
            ASSERT_EQ(RestartPollTimer(Window()), 1);
        }
        AppState.pollTimerId = c.before;
        ForgetRedisplay();
        MsgBoxWatcher watcher;
        EXPECT_EQ(SendMessageA(Window(), c.message, c.wParam, 0), 0);
        EXPECT_EQ(Redisplayed(), c.redisplay);
        EXPECT_EQ(DriveSlots[2].Record.State, DS_WARN);
        EXPECT_EQ(AppState.pollTimerId, c.after);
        EXPECT_EQ(TimerRuns(), c.runs);
        const std::vector<SeenBox> boxes = watcher.Boxes();
        ASSERT_EQ(boxes.size(), c.box ? 1u : 0u);
        for (const SeenBox& box : boxes) {
            EXPECT_EQ(box.caption, "エラー情報");
            EXPECT_EQ(box.text, "未知のタイマーイベントを検出しました。");
            EXPECT_EQ(box.owner, Window());
            // Not MB_TOPMOST: Wine 8 sets WS_EX_TOPMOST for MB_SYSTEMMODAL only.
            EXPECT_TRUE(box.errorIcon);
            EXPECT_EQ(box.buttons, 1);
        }
    }
}

// A one-second timer ticks within the wait. 4294968 s x 1000 would wrap to
// 704 ms in 32 bits; held at the limit, it does not fire in the wait. (The
// period rules themselves are tested natively.)
TEST_F(PollTimer, TicksComeAtTheConfiguredPeriodHeldAtTheLongestTimer)
{
    for (const auto& c : {std::make_pair(1u, true), std::make_pair(4294968u, false)}) {
        Settings.Timer = c.first;
        ForgetRedisplay();
        ASSERT_EQ(RestartPollTimer(Window()), 1);
        for (int i = 0; i < 25 && !Redisplayed(); ++i)
            TrayFixture::Pump(100);
        EXPECT_EQ(Redisplayed(), c.second) << c.first;
    }
}

} // namespace
