// The request, recorded by the handler and taken by the serving loop.
#include "reread_signal.h"

#include <atomic>
#include <csignal>

namespace {
std::atomic<bool> requested{false};
}

#ifdef _WIN32
void InstallRereadSignal() {}
#else
void InstallRereadSignal()
{
    struct sigaction action = {};
    action.sa_handler = [](int) { requested = true; };
    sigemptyset(&action.sa_mask);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}
#endif

bool TakeRereadRequest()
{
    return requested.exchange(false);
}
