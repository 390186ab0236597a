// Stop requests, recorded by the handlers and polled by the main loop.
#include "serverkit/stop_signal.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
// Lock-free, so that a signal handler may set it.
std::atomic<const char*> stopReason{nullptr};

#ifdef _WIN32
BOOL WINAPI OnConsoleEvent(DWORD type)
{
    RequestStop(type == CTRL_C_EVENT ? "ctrl-c" : type == CTRL_BREAK_EVENT ? "ctrl-break" : "close");
    return TRUE;
}
#else
void OnSignal(int signal)
{
    RequestStop(signal == SIGINT ? "SIGINT" : "SIGTERM");
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

void RequestStop(const char* reason)
{
    const char* none = nullptr;
    stopReason.compare_exchange_strong(none, reason);
}

bool StopRequested()
{
    return stopReason.load() != nullptr;
}

const char* StopReason()
{
    const char* reason = stopReason.load();
    return reason ? reason : "";
}
