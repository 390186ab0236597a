// The link with the server: the socket library loader, QueryServer against velmora-sim,
// the refresh into the real notification area with its baselines, and the polling timer
// and power events, where host-number mode stands in for a refresh that needs no server.
#include "link/ws32lib.h"
#include "link/server_exchange.h"

#include "app/app_state.h"
#include "app/poll_timer.h"
#include "app/tray_set.h"
#include "config/settings.h"
#include "wire/drive_record.h"
#include "link/drive_slot.h"
#include "link/status_refresh.h"
#include "msgbox_watcher.h"
#include "sim_server.h"
#include "socket_session.h"
#include "test_env.h"
#include "tray_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof path);
    return path;
}

// The address in a function pointer of any type, to compare with GetProcAddress.
template <class F>
const void* Address(F function)
{
    const void* p = nullptr;
    static_assert(sizeof function == sizeof p, "function pointers are pointer-sized");
    std::memcpy(&p, &function, sizeof p);
    return p;
}

void ExpectLoaded(unsigned count, HINSTANCE handle)
{
    EXPECT_EQ(WS32LIB_GetLoadCount(), count);
    EXPECT_EQ(WS32LIB_IsLoadDLL(), count > 0 ? 1 : 0);
    EXPECT_EQ(WS32LIB_GetDLLHandle(), handle);
}

// A library without "recvfrom" fails to load and leaves nothing loaded. Planted as
// WSOCK32.DLL where a search by bare name looks first, it is passed over for the system's.
TEST(Ws32Lib, OnlyTheSystemLibraryWithEveryEntryLoadsOnceUntilItsLastUnload)
{
    const std::string partial = BuildPath("tests\\win\\ws32_without_recvfrom.dll");
    HMODULE stub = LoadLibraryA(partial.c_str());
    ASSERT_NE(stub, nullptr);
    WS32LIB_PROCTABLE table = {};
    EXPECT_EQ(WS32LIB_ResolveEntries(stub, &table), WS32LIB_ENTRY_COUNT - 1);
    EXPECT_EQ(table.recvfrom, nullptr);
    FreeLibrary(stub);
    for (const std::string& path : {partial, BuildPath("tests\\win\\no_such_library.dll")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(WS32LIB_LoadFrom(path.c_str()), -1);
        ExpectLoaded(0, nullptr);
        EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr) << "freed again";
    }

    const std::string self = ModulePath(nullptr);
    const std::string planted = self.substr(0, self.find_last_of('\\')) + "\\WSOCK32.DLL";
    ASSERT_TRUE(CopyFileA(partial.c_str(), planted.c_str(), FALSE));
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    const HMODULE module = WS32LIB_GetDLLHandle();
    ExpectLoaded(2, module);
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
    const std::string loaded = ModulePath(module);
    EXPECT_EQ(lstrcmpiA(loaded.c_str(), (std::string(system) + "\\wsock32.dll").c_str()), 0) << loaded;
    EXPECT_EQ(Address(WS32LIB_ProcTable.__WSAFDIsSet), Address(GetProcAddress(module, "__WSAFDIsSet")));
    EXPECT_EQ(Address(WS32LIB_ProcTable.recvfrom), Address(GetProcAddress(module, "recvfrom")));
    WS32LIB_UnloadDLL();
    ExpectLoaded(1, module);
    WS32LIB_UnloadDLL();
    ExpectLoaded(0, nullptr);
    EXPECT_TRUE(DeleteFileA(planted.c_str()));
}

TEST(Ws32LibPath, ABufferTooSmallGivesAnEmptyPath)
{
    char path[8] = "xxxxxxx";
    EXPECT_FALSE(WS32LIB_SystemLibraryPath(path, sizeof path));
    EXPECT_STREQ(path, "");
}




// One drive of a scenario, its watched values 0 unless extra fields say otherwise.
std::string Drive(int position, int temperature, const char* state, const char* extra = "")
{
    const std::string p = std::to_string(position);
    return "{\"position\":" + p + ",\"Temperature\":" + std::to_string(temperature) + ",\"State\":\"" + state +
           "\",\"Model\":\"MODEL-" + p + "\",\"Firmware\":\"FW1\",\"Serial\":\"SN" + p +
           "\",\"DriveNumber\":\"Disk " + p + "\"" + extra + "}";
}

std::string Scenario(std::initializer_list<std::string> drives, const char* faults = "")
{
    std::string json = "{\"drives\":[";
    for (const std::string& d : drives)
        json += (json.back() == '[' ? "" : ",") + d;
    return json + "],\"faults\":[" + faults + "]}";
}

// Each test starts without a settings file, at the default settings with TimeOut 1.
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
        Settings.Alert = 1;
        ASSERT_TRUE(CreateTrayIcons(Window()));
        TrayFixture::FillTables();
    }
    void TearDown() override { RemoveProfile(SettingsFilePath()); }

    HWND Window() const { return fixture.Window(); }
    void Serve(const std::string& scenario)
    {
        sim = std::make_unique<SimServer>(scenario);
        ASSERT_TRUE(sim->Running());
        Settings.Port = sim->Port();
    }
    void StartUp(int expectedDrives)
    {
        ASSERT_EQ(LoadDriveList(), expectedDrives);
        ASSERT_EQ(RefreshDrives(Window(), 0), 1);
    }
    static const char* Tip(unsigned s) { return DriveSlots[s].TrayIcon.m_nid.szTip; }
    // The positions whose alert the shell took since the last call: balloon filled, icon held.
    static std::string Alerts()
    {
        std::string shown;
        for (unsigned s = 0; s < SLOT_COUNT; ++s) {
            char* info = DriveSlots[s].TrayIcon.m_nid.szInfo;
            shown += info[0] != '\0' && TrayFixture::ShellHasIcon(s) ? std::to_string(s) : "";
            info[0] = '\0';
        }
        return shown;
    }
    static void WriteBaseline(const char* section, const char* ac5, const char* a09 = "0")
    {
        WriteSection(section,
                     {{"Check", "1"}, {"A05", "0"}, {"A09", a09}, {"AC4", "0"}, {"AC5", ac5}, {"AC6", "0"}});
    }

    TrayFixture fixture;
    std::unique_ptr<SimServer> sim;
};

const char* const BIND_FAILED = "クライアントソケットのバインドに失敗しました。";
const char* const RECEIVE_FAILED = "クライアントソケットの受信に失敗しました。";
const char* const LOOPBACK = "127.0.0.1";
// What the caller's buffer holds before each query.
constexpr unsigned char CALLERS = 0xAB;

class ServerExchange : public Refresh {
protected:
    // In a thread and buffer of its own, so that a query without end fails the test.
    int Query(const char* host, UINT port, int showErrors = 1)
    {
        auto buffer = std::make_shared<std::vector<unsigned char>>(reply_);
        std::packaged_task<int()> task([=] { return QueryServer(host, port, buffer->data(), showErrors); });
        std::future<int> result = task.get_future();
        std::thread(std::move(task)).detach();
        if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ADD_FAILURE() << "QueryServer did not return";
            return -1;
        }
        reply_ = *buffer;
        return result.get();
    }

    std::vector<unsigned char> reply_ = std::vector<unsigned char>(REPLY_SIZE, CALLERS);
};

// Each attempt comes from a port of its own; the caller's buffer then holds `filled` bytes
// of reply and `rest` after them.
TEST_F(ServerExchange, EachFaultGivesItsResultBoxAttemptsAndBuffer)
{
    const struct {
        const char* faults;
        const char* host;
        UINT timeOut;
        int result;
        std::vector<std::string> boxes;
        size_t attempts, filled;
        unsigned char rest;
    } cases[] = {
        {"", "localhost", 1, 1, {}, 1, REPLY_SIZE, 0},
        {R"({"request":"all","kind":"short","bytes":204})", LOOPBACK, 1, 1, {}, 1, RECORD_SIZE, CALLERS},
        // A single byte is a reply too.
        {R"({"request":"all","kind":"garbage","bytes":1})", LOOPBACK, 1, 1, {}, 1, 1, CALLERS},
        // A reply from another port, or late in the wait, is taken.
        {R"({"request":"all","kind":"other-port"})", LOOPBACK, 1, 1, {}, 1, REPLY_SIZE, 0},
        {R"({"request":"all","kind":"delay","ms":300})", LOOPBACK, 1, 1, {}, 1, REPLY_SIZE, 0},
        // No byte of the oversize datagram (drives 0 and 3) may outlive it into the short reply.
        {R"({"request":1,"kind":"oversize"},{"request":2,"kind":"no-reply"},
            {"request":3,"kind":"short","bytes":204})", LOOPBACK, 1, 1, {}, 3, RECORD_SIZE, 0},
        {R"({"request":1,"kind":"oversize","bytes":4000},{"request":2,"kind":"short","bytes":0},
            {"request":3,"kind":"no-reply"})", LOOPBACK, 1, 0, {RECEIVE_FAILED}, 3, 0, 0},
        // Only time-outs: by design no box. TimeOut 0 must still end each wait.
        {R"({"request":"all","kind":"no-reply"})", LOOPBACK, 0, 0, {}, 3, 0, CALLERS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        Serve(Scenario({Drive(0, 38, "good"), Drive(3, 57, "danger")}, c.faults));
        MsgBoxWatcher watcher;
        Settings.TimeOut = c.timeOut;
        reply_.assign(REPLY_SIZE, CALLERS);
        EXPECT_EQ(Query(c.host, sim->Port()), c.result);
        EXPECT_TRUE(c.filled < RECORD_SIZE || RecordAt(reply_.data(), 0).Temperature == 38);
        EXPECT_TRUE(c.filled < REPLY_SIZE || RecordAt(reply_.data(), 3).State == DS_DNGR);
        EXPECT_EQ(static_cast<size_t>(std::count(reply_.begin() + c.filled, reply_.end(), c.rest)),
                  REPLY_SIZE - c.filled);
        ExpectBoxes(watcher.Boxes(), "エラー情報", nullptr, true, c.boxes);
        ASSERT_TRUE(sim->WaitForRequests(c.attempts, 5000));
        const std::vector<unsigned> ports = sim->RequestPorts();
        EXPECT_EQ(std::set<unsigned>(ports.begin(), ports.end()).size(), c.attempts);
    }
}

TEST_F(ServerExchange, AnUnresolvableHostShowsTheBindTextOnceUnlessABoxIsOpen)
{
    const struct {
        int flag;
        INT32 boxOpen;
        std::vector<std::string> boxes;
    } cases[] = {{1, 0, {BIND_FAILED}}, {1, 1, {}}, {0, 0, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flag);
        MsgBoxWatcher watcher;
        AppState.errorBoxOpen = c.boxOpen;
        EXPECT_EQ(Query("no-such-host.invalid", 10008, c.flag), 0);
        ExpectBoxes(watcher.Boxes(), "エラー情報", nullptr, true, c.boxes);
        EXPECT_EQ(AppState.errorBoxOpen, c.boxOpen);
    }
}

// Drive 0 hid its caution mark and only its power-on hours changed: nothing is saved.
// Drive 1 hid it but a watched attribute changed, drive 2 is new: both show it, saved Check 0.
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
    EXPECT_EQ(IniValue("MODEL-2:FW1:SN2", "Check"), "<missing>");
    ASSERT_EQ(RefreshDrives(Window(), 0), 1);
    for (unsigned s = 0; s < 3; ++s) {
        EXPECT_TRUE(TrayFixture::ShellHasIcon(s)) << s;
        EXPECT_EQ(DriveSlots[s].TrayIcon.m_nCurrentImage, static_cast<INT32>(DriveSlots[s].ShownImage)) << s;
        EXPECT_NE(DriveSlots[s].TrayIcon.m_nid.uFlags & NIF_TIP, 0u) << s;
    }
    const struct { unsigned slot; const char* ac5; } saved[] = {{1, "5"}, {2, "7"}};
    for (const auto& c : saved) {
        const std::string section = "MODEL-" + std::to_string(c.slot) + ":FW1:SN" + std::to_string(c.slot);
        EXPECT_EQ(DriveSlots[c.slot].ShownImage, 240u + c.slot);
        EXPECT_EQ(IniValue(section.c_str(), "Check"), "0") << c.slot;
        EXPECT_EQ(IniValue(section.c_str(), "AC5"), c.ac5) << c.slot;
    }
    EXPECT_EQ(DriveSlots[0].ShownImage, 40u) << "caution mark hidden";
    EXPECT_STREQ(Tip(0), "Disk 0 注意") << "the state text stays";
    EXPECT_EQ(IniValue("MODEL-0:FW1:SN0", "Check"), "1");
    EXPECT_EQ(DriveSlots[0].Record.A09, 100);
    EXPECT_EQ(IniValue("MODEL-0:FW1:SN0", "A09"), "90");
    EXPECT_FALSE(TrayFixture::ShellHasIcon(3));
    EXPECT_EQ(sim->RequestCount(), 2u);
}

TEST_F(Refresh, ADriveNewToItsPositionKeepsItsSavedHiddenStatusAlertsAsNewAndFirstShowsTheOldDriveNumber)
{
    // Saved hidden: drive 5, which appears later, and the drive that replaces drive 0.
    WriteBaseline("MODEL-5:FW1:SN5", "7");
    WriteBaseline("MODEL-0:FW1:SNX", "7");
    Serve(Scenario({Drive(0, 50, "good")}));
    StartUp(1);
    EXPECT_EQ(Alerts(), "0");
    ASSERT_TRUE(sim->SetScenario(Scenario({Drive(0, 50, "caution", ",\"Serial\":\"SNX\",\"AC5\":7"),
                                           Drive(5, 35, "caution", ",\"AC5\":7")})));
    ASSERT_EQ(RefreshDrives(Window(), 0), 1);
    EXPECT_TRUE(TrayFixture::ShellHasIcon(5));
    EXPECT_EQ(DriveSlots[5].ShownImage, 35u) << "caution mark hidden";
    EXPECT_EQ(DriveSlots[0].ShownImage, 150u) << "caution mark hidden";
    EXPECT_EQ(Alerts(), "0") << "the new drive is hot, whatever the old one was";
    EXPECT_EQ(IniValue("MODEL-5:FW1:SN5", "Check") + IniValue("MODEL-0:FW1:SNX", "Check"), "11");
    EXPECT_STREQ(Tip(5), " 注意");
    ASSERT_EQ(RefreshDrives(Window(), 0), 1);
    EXPECT_STREQ(Tip(5), "Disk 5 注意");
    EXPECT_EQ(Alerts(), "");
}

// Drive 0 was hot once (its maximum) but is not now; drive 1 is in caution, drive 3 hot.
TEST_F(Refresh, ADriveThatLeavesLosesItsIconKeepsItsRecordAndComingBackIsShownAndAlertsAgain)
{
    const std::string both = Scenario({Drive(0, 30, "good", ",\"MaxTemperature\":60"), Drive(1, 31, "caution"),
                                       Drive(3, 50, "good")});
    Serve(both);
    StartUp(3);
    EXPECT_EQ(Alerts(), "13");
    // A reply that ends after record 0 leaves no trace of the last one's records.
    const char* shortReply = R"({"request":"all","kind":"short","bytes":204})";
    ASSERT_TRUE(sim->SetScenario(Scenario({Drive(0, 30, "good"), Drive(1, 31, "caution")}, shortReply)));
    ASSERT_EQ(RefreshDrives(Window(), 0), 1);
    ASSERT_FALSE(TrayFixture::ShellHasIcon(1));
    EXPECT_EQ(DriveSlots[1].Record.InUse, 1);
    EXPECT_EQ(DriveSlots[1].ShownImage, 231u);
    // A failed poll shows the error image, keeps tooltips and records, and no removed icon.
    const DriveRecord before = DriveSlots[0].Record;
    Settings.Port = 1;
    EXPECT_EQ(RefreshDrives(Window(), 0), 0);
    EXPECT_EQ(DriveSlots[1].ShownImage, static_cast<UINT>(ICON_ERROR));
    EXPECT_EQ(DriveSlots[0].ShownImage, static_cast<UINT>(ICON_ERROR));
    EXPECT_EQ(DriveSlots[0].TrayIcon.m_nid.hIcon, ErrorImage());
    EXPECT_TRUE(TrayFixture::ShellHasIcon(0));
    EXPECT_STREQ(Tip(0), "Disk 0 正常");
    EXPECT_EQ(std::memcmp(&DriveSlots[0].Record, &before, sizeof before), 0);
    EXPECT_FALSE(TrayFixture::ShellHasIcon(1));
    Settings.Port = sim->Port();
    // Back with the same InUse byte while host-number mode (asking nothing) goes on and off.
    ASSERT_TRUE(sim->SetScenario(both));
    const size_t asked = sim->RequestCount();
    AppState.hostNumberMode = 1;
    EXPECT_EQ(Redisplay(Window(), 0), 1);
    EXPECT_FALSE(TrayFixture::ShellHasIcon(1));
    EXPECT_EQ(DriveSlots[0].TrayIcon.m_nid.hIcon, HostImage());
    EXPECT_EQ(DriveSlots[2].ShownImage, 0u) << "an empty position shows no host number";
    EXPECT_EQ(sim->RequestCount(), asked);
    AppState.hostNumberMode = 0;
    ASSERT_EQ(Redisplay(Window(), 0), 1);
    EXPECT_TRUE(TrayFixture::ShellHasIcon(1));
    EXPECT_EQ(DriveSlots[0].ShownImage, 30u) << "the computed image is back";
    EXPECT_EQ(DriveSlots[1].ShownImage, 231u);
    EXPECT_STREQ(Tip(1), "Disk 1 注意");
    EXPECT_EQ(Alerts(), "13") << "back, both are judged as new";
    // The shell forgets it without "TaskbarCreated": the refused modify marks it not shown,
    // and the alert it refused comes once the icon is added again, once.
    NOTIFYICONDATAA copy = DriveSlots[1].TrayIcon.m_nid;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &copy));
    ASSERT_TRUE(sim->SetScenario(Scenario({Drive(0, 30, "good"), Drive(1, 32, "danger")})));
    ASSERT_EQ(RefreshDrives(Window(), 0), 1);
    EXPECT_FALSE(DriveSlots[1].TrayIcon.IsShown());
    EXPECT_EQ(Alerts(), "");
    ASSERT_EQ(RefreshDrives(Window(), 0), 1);
    EXPECT_TRUE(TrayFixture::ShellHasIcon(1));
    EXPECT_EQ(Alerts(), "1");
    ASSERT_EQ(RefreshDrives(Window(), 0), 1);
    EXPECT_EQ(Alerts(), "");
}

TEST_F(Refresh, ANewPictureOrTooltipForTheSameImageIsHandedToTheShell)
{
    Serve(Scenario({Drive(0, 30, "good")}));
    StartUp(1);
    TaskTrayIcon& tray = DriveSlots[0].TrayIcon;
    ASSERT_EQ(tray.m_nid.hIcon, PlainImage());
    // A rebuilt icon set: the same index, another icon.
    tray.SetImage(30, HostImage(), FALSE);
    ASSERT_EQ(RefreshDrives(Window(), 0), 1);
    EXPECT_EQ(tray.m_nid.hIcon, HostImage());
    // Another label: the same image, another tooltip.
    std::strcpy(Settings.Label, "server-2");
    ASSERT_EQ(RefreshDrives(Window(), 0), 1);
    EXPECT_STREQ(Tip(0), "Disk 0 正常 (server-2)");
    EXPECT_TRUE(TrayFixture::ShellHasIcon(0));
}

// Two drives whose host numbers show when a redisplay runs.
class PollTimer : public Refresh {
protected:
    void SetUp() override
    {
        Refresh::SetUp();
        Settings.Timer = 30;
        DriveSlots[0].Record = TrayFixture::Drive(40, DS_GOOD, "Disk 0");
        DriveSlots[2].Record = TrayFixture::Drive(41, DS_WARN, "Disk 2");
        AppState.hostNumberMode = 1;
    }

    static bool Redisplayed() { return DriveSlots[0].ShownImage == 600 && DriveSlots[2].ShownImage == 602; }
    static void ForgetRedisplay() { DriveSlots[0].ShownImage = DriveSlots[2].ShownImage = 0; }
    bool TimerRuns()
    {
        if (!KillTimer(Window(), POLL_TIMER_ID))
            return false;
        SetTimer(Window(), POLL_TIMER_ID, 30000, nullptr);   // put it back
        return true;
    }

};

// A failed kill (of a timer this window never had) leaves the id and sets no timer.
TEST_F(PollTimer, ARestartAfterAFailedKillSetsNoTimer)
{
    AppState.pollTimerId = 5;
    EXPECT_EQ(RestartPollTimer(Window()), 0);
    EXPECT_EQ(AppState.pollTimerId, 5u);
    EXPECT_FALSE(TimerRuns());
}

// Each message with the timer id before and after it; `redisplay` shows host numbers.
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
        EXPECT_EQ(AppState.pollTimerId, c.after);
        EXPECT_EQ(TimerRuns(), c.runs);
        ExpectBoxes(watcher.Boxes(), "エラー情報", Window(), true,
                    std::vector<std::string>(c.box ? 1 : 0, "未知のタイマーイベントを検出しました。"));
    }
}

// 4294968 s would wrap to 704 ms in 32 bits; held at the limit, it does not fire in the wait.
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
