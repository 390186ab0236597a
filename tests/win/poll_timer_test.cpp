// The polling timer and the power events, through the program's window
// procedure on a real hidden window. Host-number mode stands in for the
// refresh: a tick or a resume then shows host numbers without a server.
#include "app/app_state.h"
#include "app/poll_timer.h"
#include "app/tray_set.h"
#include "config/settings.h"
#include "link/drive_slot.h"
#include "msgbox_watcher.h"
#include "tray_fixture.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

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
    void Tick(WPARAM id) { SendMessageA(Window(), WM_TIMER, id, 0); }
    void Power(WPARAM event) { EXPECT_EQ(SendMessageA(Window(), WM_POWERBROADCAST, event, 0), 0); }

    TrayFixture fixture;
};

TEST_F(PollTimer, RestartSetsOrReplacesTimerOneAndATickRedisplays)
{
    EXPECT_EQ(RestartPollTimer(Window()), 1);
    EXPECT_EQ(RestartPollTimer(Window()), 1);
    EXPECT_EQ(AppState.pollTimerId, 1u);
    EXPECT_TRUE(TimerRuns());
    Tick(1);
    EXPECT_TRUE(Redisplayed());
    // Host-number mode changes no record.
    EXPECT_EQ(DriveSlots[2].Record.State, DS_WARN);

    // A failed kill (of a timer this window never had) leaves the id and
    // sets no timer.
    KillTimer(Window(), POLL_TIMER_ID);
    AppState.pollTimerId = 5;
    EXPECT_EQ(RestartPollTimer(Window()), 0);
    EXPECT_EQ(AppState.pollTimerId, 5u);
    EXPECT_FALSE(TimerRuns());
}

TEST_F(PollTimer, AStrayTickShowsTheUnknownTimerBoxAndNothingElse)
{
    struct Case { UINT32 running; WPARAM tick; } cases[] = {
        {1, 2},                                   // another timer's id
        {0, 1},                                   // queued before a suspend stopped the timer
        {1, static_cast<WPARAM>(1) << 32 | 1},    // compared with wParam's full width
    };
    for (const Case& c : cases) {
        MsgBoxWatcher watcher;
        AppState.pollTimerId = c.running;
        ForgetRedisplay();
        Tick(c.tick);
        ASSERT_TRUE(watcher.WaitForCount(1, 5000));
        SeenBox box = watcher.Boxes()[0];
        EXPECT_EQ(box.caption, "エラー情報");
        EXPECT_EQ(box.text, "未知のタイマーイベントを検出しました。");
        EXPECT_EQ(box.owner, Window());
        // MB_TOPMOST: Wine 8 shows no WS_EX_TOPMOST on message boxes, so it is not read here.
        EXPECT_TRUE(box.errorIcon);
        EXPECT_EQ(box.buttons, 1);
        EXPECT_EQ(AppState.pollTimerId, c.running);
        EXPECT_FALSE(Redisplayed());
    }
}

// Suspend stops the timer; resume redisplays and restarts it whether or not
// it ran, but sets none after a failed kill; other events change nothing.
TEST_F(PollTimer, PowerEvents)
{
    const struct { const char* name; UINT32 before; WPARAM event; bool redisplay; UINT32 after; bool runs; } cases[] = {
        {"suspend", 1, PBT_APMSUSPEND, false, 0, false},
        {"resume while running", 1, PBT_APMRESUMESUSPEND, true, 1, true},
        {"resume when stopped", 0, PBT_APMRESUMESUSPEND, true, 1, true},
        {"resume after a failed kill", 5, PBT_APMRESUMESUSPEND, true, 5, false},
        {"automatic resume", 1, PBT_APMRESUMEAUTOMATIC, false, 1, true},
        {"power status", 0, PBT_APMPOWERSTATUSCHANGE, false, 0, false},
        {"query suspend", 1, PBT_APMQUERYSUSPEND, false, 1, true},
        {"power setting", 0, PBT_POWERSETTINGCHANGE, false, 0, false},
    };
    for (const auto& c : cases) {
        KillTimer(Window(), POLL_TIMER_ID);
        AppState.pollTimerId = 0;
        if (c.before == 1) {
            ASSERT_EQ(RestartPollTimer(Window()), 1);
        }
        AppState.pollTimerId = c.before;
        ForgetRedisplay();
        Power(c.event);
        EXPECT_EQ(Redisplayed(), c.redisplay) << c.name;
        EXPECT_EQ(AppState.pollTimerId, c.after) << c.name;
        EXPECT_EQ(TimerRuns(), c.runs) << c.name;
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
