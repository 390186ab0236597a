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

TEST_F(PollTimer, RestartSetsTimerOneAndATickRedisplays)
{
    EXPECT_EQ(RestartPollTimer(Window()), 1);
    EXPECT_EQ(AppState.pollTimerId, 1u);
    EXPECT_TRUE(TimerRuns());
    Tick(1);
    EXPECT_TRUE(Redisplayed());
    // Host-number mode changes no record.
    EXPECT_EQ(DriveSlots[2].Record.State, DS_WARN);
}

TEST_F(PollTimer, RestartReplacesARunningTimer)
{
    ASSERT_EQ(RestartPollTimer(Window()), 1);
    EXPECT_EQ(RestartPollTimer(Window()), 1);
    EXPECT_EQ(AppState.pollTimerId, 1u);
    EXPECT_TRUE(TimerRuns());
}

TEST_F(PollTimer, AFailedKillLeavesTheIdAndSetsNoTimer)
{
    AppState.pollTimerId = 5;   // a timer this window never had
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

TEST_F(PollTimer, SuspendStopsTheTimer)
{
    ASSERT_EQ(RestartPollTimer(Window()), 1);
    Power(PBT_APMSUSPEND);
    EXPECT_EQ(AppState.pollTimerId, 0u);
    EXPECT_FALSE(TimerRuns());
    EXPECT_FALSE(Redisplayed());
}

TEST_F(PollTimer, ResumeRedisplaysAndRestartsWhetherOrNotRunning)
{
    for (bool running : {true, false}) {
        if (running)
            ASSERT_EQ(RestartPollTimer(Window()), 1);
        else
            Power(PBT_APMSUSPEND);
        ForgetRedisplay();
        Power(PBT_APMRESUMESUSPEND);
        EXPECT_TRUE(Redisplayed()) << running;
        EXPECT_EQ(AppState.pollTimerId, 1u);
        EXPECT_TRUE(TimerRuns());
    }
}

TEST_F(PollTimer, ResumeAfterAFailedKillSetsNoNewTimer)
{
    AppState.pollTimerId = 5;
    Power(PBT_APMRESUMESUSPEND);
    EXPECT_TRUE(Redisplayed());
    EXPECT_EQ(AppState.pollTimerId, 5u);
    EXPECT_FALSE(TimerRuns());
}

TEST_F(PollTimer, OtherPowerEventsChangeNothing)
{
    for (bool running : {true, false}) {
        if (running)
            ASSERT_EQ(RestartPollTimer(Window()), 1);
        else
            Power(PBT_APMSUSPEND);
        ForgetRedisplay();
        for (WPARAM event : {WPARAM(PBT_APMRESUMEAUTOMATIC), WPARAM(PBT_APMPOWERSTATUSCHANGE), WPARAM(0),
                             WPARAM(PBT_APMQUERYSUSPEND)})
            Power(event);
        EXPECT_EQ(AppState.pollTimerId, running ? 1u : 0u);
        EXPECT_EQ(TimerRuns(), running);
        EXPECT_FALSE(Redisplayed());
    }
}

TEST_F(PollTimer, TicksArriveAtTheConfiguredPeriod)
{
    Settings.Timer = 1;
    ASSERT_EQ(RestartPollTimer(Window()), 1);
    // Bounded wait for the first real tick of the one-second timer.
    for (int i = 0; i < 50 && !Redisplayed(); ++i)
        TrayFixture::Pump(100);
    EXPECT_TRUE(Redisplayed());
}

TEST_F(PollTimer, ZeroAndOverflowingTimersDoNotFireAtOnce)
{
    // 0 would be the platform's fastest timer; 4294968 s x 1000 wraps to
    // 704 ms in 32 bits. Both get a period far beyond this wait.
    for (UINT32 timer : {0u, 4294968u, 0xFFFFFFFFu}) {
        Settings.Timer = timer;
        ForgetRedisplay();
        ASSERT_EQ(RestartPollTimer(Window()), 1) << timer;
        EXPECT_EQ(AppState.pollTimerId, 1u);
        TrayFixture::Pump(1200);
        EXPECT_FALSE(Redisplayed()) << timer;
    }
}

} // namespace
