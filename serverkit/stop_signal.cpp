// Stop requests, recorded by the handlers and polled by the main loop.
#include "serverkit/stop_signal.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
std::atomic<int> stopCause{0};

#ifdef _WIN32
const char* const CAUSES[] = {"", "ctrl-c", "ctrl-break", "close"};
BOOL WINAPI OnConsoleEvent(DWORD type)
{
    stopCause = type == CTRL_C_EVENT ? 1 : type == CTRL_BREAK_EVENT ? 2 : 3;
    return TRUE;
}
#else
const char* const CAUSES[] = {"", "SIGINT", "SIGTERM"};
void OnSignal(int signal)
{
    stopCause = signal == SIGINT ? 1 : 2;
}
#endif
} // namespace

void InstallStopHandlers()
{
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;   // no restart: the wait returns at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

bool StopRequested()
{
    return stopCause != 0;
}

const char* StopReason()
{
    return CAUSES[stopCause];
}
