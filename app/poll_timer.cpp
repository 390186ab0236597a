// The polling timer of the hidden window and the power events: suspend
// stops the polling, resume brings the icons up to date and starts it again.
#include "app/poll_timer.h"

#include "app/app_state.h"
#include "config/settings.h"
#include "link/drive_view.h"
#include "link/status_refresh.h"

static_assert(LONGEST_POLL_MS == USER_TIMER_MAXIMUM, "longest poll is the platform's longest timer");

namespace {

constexpr const char* UNKNOWN_TIMER_TEXT = "未知のタイマーイベントを検出しました。";

// Stops a running timer. False when KillTimer failed: pollTimerId then
// keeps its value and no new timer may be set over it.
bool StopRunningTimer(HWND window)
{
    if (AppState.pollTimerId == 0)
        return true;
    if (!KillTimer(window, AppState.pollTimerId))
        return false;
    AppState.pollTimerId = 0;
    return true;
}

void StartPollTimer(HWND window)
{
    AppState.pollTimerId =
        static_cast<UINT32>(SetTimer(window, POLL_TIMER_ID, PollPeriodMs(Settings.Timer), nullptr));
}

void OnSuspend(HWND window)
{
    StopRunningTimer(window);
}

void OnResume(HWND window)
{
    // The icons are brought up to date before the first full period starts.
    Redisplay(window, Settings.CommandError);
    if (StopRunningTimer(window))
        StartPollTimer(window);
}

struct PowerHandler {
    WPARAM event;
    void (*handle)(HWND);
};

const PowerHandler POWER_HANDLERS[] = {
    {PBT_APMSUSPEND, OnSuspend},
    {PBT_APMRESUMESUSPEND, OnResume},
};

} // namespace

void StopPollTimer(HWND window)
{
    StopRunningTimer(window);
}

int RestartPollTimer(HWND window)
{
    if (!StopRunningTimer(window))
        return 0;
    StartPollTimer(window);
    return AppState.pollTimerId != 0;
}

LRESULT OnTimer(HWND window, WPARAM timerId)
{
    if (timerId != AppState.pollTimerId) {
        MessageBoxA(window, UNKNOWN_TIMER_TEXT, ERROR_CAPTION, ERROR_BOX_TYPE);
        return 0;
    }
    Redisplay(window, Settings.CommandError);
    return 0;
}

LRESULT OnPowerBroadcast(HWND window, WPARAM event)
{
    for (const PowerHandler& h : POWER_HANDLERS)
        if (h.event == event)
            h.handle(window);
    return 0;
}
