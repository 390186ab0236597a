// The status refresh against velmora-sim on the loopback: the first query,
// the refresh of every position into the real notification area, the
// baselines in "KELPRA.INI", failures, and host-number mode.
#include "app/app_state.h"
#include "app/tray_set.h"
#include "config/settings.h"
#include "link/drive_slot.h"
#include "link/status_refresh.h"
#include "link/ws32lib.h"
#include "sim_server.h"
#include "socket_session.h"
#include "test_env.h"
#include "tray_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

// One drive of a scenario: UTF-8 JSON, texts included.
std::string DriveJson(int position, int temperature, const char* state, const char* driveNumber,
                      const char* extra = "")
{
    return "{\"position\":" + std::to_string(position) + ",\"Temperature\":" + std::to_string(temperature) +
           ",\"State\":" + state + ",\"A05\":0,\"A09\":100,\"AC4\":0,\"AC5\":0,\"AC6\":0" +
           ",\"Model\":\"MODEL-" + std::to_string(position) + "\",\"Firmware\":\"FW1\",\"Serial\":\"SN" +
           std::to_string(position) + "\",\"DriveNumber\":\"" + driveNumber + "\"" + extra + "}";
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
    static void WriteBaseline(const char* section, const char* check, const char* ac5, const char* a09 = "100")
    {
        const char* keys[][2] = {{"Check", check}, {"A05", "0"}, {"A09", a09}, {"AC4", "0"}, {"AC5", ac5},
                                 {"AC6", "0"}};
        for (auto& kv : keys)
            WritePrivateProfileStringA(section, kv[0], kv[1], SettingsFilePath());
    }

    TrayFixture fixture;
    std::unique_ptr<SimServer> sim;
};

TEST_F(Refresh, FirstRefreshAddsEachDriveWithTheImageOfItsTemperature)
{
    Serve(Scenario({DriveJson(0, 45, "\"good\"", "Disk 0"), DriveJson(1, 46, "\"good\"", "Disk 1"),
                    DriveJson(2, 120, "\"good\"", "Disk 2"), DriveJson(3, -1, "\"good\"", "Disk 3")}));
    ASSERT_EQ(LoadDriveList(), 4);
    for (unsigned s = 0; s < 4; ++s) {
        EXPECT_EQ(DriveSlots[s].Record.InUse, 0) << "stored as empty, so the refresh adds it";
        EXPECT_FALSE(TrayFixture::ShellHasIcon(s));
    }
    ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    const UINT expected[] = {45, 146, 199, 199};
    for (unsigned s = 0; s < 4; ++s) {
        EXPECT_EQ(DriveSlots[s].ShownImage, expected[s]) << s;
        EXPECT_EQ(DriveSlots[s].TrayIcon.m_nCurrentImage, static_cast<INT32>(expected[s]));
        EXPECT_TRUE(TrayFixture::ShellHasIcon(s)) << s;
        EXPECT_EQ(DriveSlots[s].Record.InUse, 1);
        EXPECT_NE(DriveSlots[s].TrayIcon.m_nid.uFlags & NIF_TIP, 0u);
    }
    EXPECT_STREQ(Tip(0), "Disk 0 正常");
    EXPECT_STREQ(Tip(3), "Disk 3 正常");
    EXPECT_FALSE(TrayFixture::ShellHasIcon(4));
    EXPECT_TRUE(sim->WaitForRequests(2, 2000));
    EXPECT_EQ(sim->RequestCount(), 2u);
}

// Drive 0 hid its caution mark and its attributes stay (power-on hours alone
// are no change: nothing is saved); drive 1 hid it but a watched attribute
// changed; drive 2 is new. Both of these show the mark and are saved with
// Check 0 at the first refresh.
TEST_F(Refresh, AHiddenStatusSurvivesARestartWhileTheAttributesStayAndOtherwiseIsSavedShown)
{
    WriteBaseline("MODEL-0:FW1:SN0", "1", "0", "90");
    WriteBaseline("MODEL-1:FW1:SN1", "1", "3");
    Serve(Scenario({DriveJson(0, 40, "\"caution\"", "Disk 0"), DriveJson(1, 41, "\"caution\"", "Disk 1", ",\"AC5\":5"),
                    DriveJson(2, 42, "\"caution\"", "Disk 2", ",\"AC5\":7")}));
    ASSERT_EQ(LoadDriveList(), 3);
    EXPECT_EQ(DriveSlots[2].Record.AC5, -1) << "no section yet: -1 loaded";
    EXPECT_EQ(IniValue("MODEL-2:FW1:SN2", "Check"), "<missing>");
    ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    const struct { unsigned slot; const char* ac5; } saved[] = {{1, "5"}, {2, "7"}};
    for (const auto& c : saved) {
        const std::string section = "MODEL-" + std::to_string(c.slot) + ":FW1:SN" + std::to_string(c.slot);
        EXPECT_EQ(DriveSlots[c.slot].Check, 0) << c.slot;
        EXPECT_EQ(DriveSlots[c.slot].ShownImage, 240u + c.slot);
        EXPECT_EQ(IniValue(section.c_str(), "Check"), "0") << c.slot;
        EXPECT_EQ(IniValue(section.c_str(), "AC5"), c.ac5) << c.slot;
        EXPECT_EQ(IniValue(section.c_str(), "A09"), "100") << c.slot;
    }
    EXPECT_EQ(DriveSlots[0].Check, 1);
    EXPECT_EQ(DriveSlots[0].ShownImage, 40u) << "caution mark hidden";
    EXPECT_STREQ(Tip(0), "Disk 0 注意") << "the state text stays";
    EXPECT_EQ(IniValue("MODEL-0:FW1:SN0", "Check"), "1");
    EXPECT_EQ(DriveSlots[0].Record.A09, 100);
    EXPECT_EQ(IniValue("MODEL-0:FW1:SN0", "A09"), "90");
}

TEST_F(Refresh, ADriveNewToItsPositionKeepsItsSavedHiddenStatusAndFirstShowsTheOldDriveNumber)
{
    // Saved hidden: drive 5, which appears later, and the drive that replaces drive 0.
    WriteBaseline("MODEL-5:FW1:SN5", "1", "7");
    WriteBaseline("MODEL-0:FW1:SNX", "1", "7");
    Serve(Scenario({DriveJson(0, 30, "\"good\"", "Disk 0")}));
    StartUp(1);
    ASSERT_TRUE(sim->SetScenario(Scenario({DriveJson(0, 30, "\"caution\"", "Disk 0", ",\"Serial\":\"SNX\",\"AC5\":7"),
                                           DriveJson(5, 35, "\"caution\"", "Disk 5", ",\"AC5\":7")})));
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
    const std::string both = Scenario({DriveJson(0, 30, "\"good\"", "Disk 0"), DriveJson(1, 31, "\"caution\"", "Disk 1")});
    Serve(both);
    StartUp(2);
    ASSERT_TRUE(sim->SetScenario(Scenario({DriveJson(0, 30, "\"good\"", "Disk 0")})));
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
    // Back with its record's InUse byte, while host-number mode goes on and off.
    ASSERT_TRUE(sim->SetScenario(both));
    AppState.hostNumberMode = 1;
    EXPECT_EQ(Redisplay(fixture.Window(), 0), 1);
    EXPECT_FALSE(TrayFixture::ShellHasIcon(1));
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
    ASSERT_TRUE(sim->SetScenario(Scenario({DriveJson(0, 30, "\"good\"", "Disk 0"), DriveJson(1, 32, "\"good\"", "Disk 1")})));
    ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    EXPECT_FALSE(DriveSlots[1].TrayIcon.IsShown());
    ASSERT_EQ(RefreshDrives(fixture.Window(), 0), 1);
    EXPECT_TRUE(TrayFixture::ShellHasIcon(1));
}

TEST_F(Refresh, ANewPictureOrTooltipForTheSameImageIsHandedToTheShell)
{
    Serve(Scenario({DriveJson(0, 30, "\"good\"", "Disk 0")}));
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

TEST_F(Refresh, HostNumberModeAsksTheServerNothing)
{
    Serve(Scenario({DriveJson(0, 30, "\"good\"", "Disk 0"), DriveJson(2, 50, "\"danger\"", "Disk 2")}));
    StartUp(2);
    ASSERT_TRUE(sim->WaitForRequests(2, 2000));
    AppState.hostNumberMode = 1;
    AppState.pollTimerId = 1;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Redisplay(fixture.Window(), 0), 1);
    SendMessageA(fixture.Window(), WM_TIMER, 1, 0);   // a poll tick
    EXPECT_EQ(DriveSlots[0].ShownImage, 600u);
    EXPECT_EQ(DriveSlots[2].ShownImage, 602u);
    EXPECT_EQ(DriveSlots[2].TrayIcon.m_nid.hIcon, HostImage());
    EXPECT_STREQ(Tip(2), "Disk 2 危険");
    EXPECT_EQ(DriveSlots[1].ShownImage, 0u);
    EXPECT_FALSE(TrayFixture::ShellHasIcon(1)) << "an empty position shows no host number";
    Sleep(300);
    EXPECT_EQ(sim->RequestCount(), 2u);

    // Leaving the mode, a tick asks again.
    AppState.hostNumberMode = 0;
    SendMessageA(fixture.Window(), WM_TIMER, 1, 0);
    EXPECT_TRUE(sim->WaitForRequests(3, 2000));
    EXPECT_EQ(DriveSlots[2].ShownImage, 550u);
    KillTimer(fixture.Window(), POLL_TIMER_ID);
    AppState.pollTimerId = 0;
}

} // namespace
