// The agent's run once its options are read: shared by the console's main
// and the Windows service.
#pragma once
#include "agent_options.h"

#include <functional>

constexpr int EXIT_RUNTIME = 1;
constexpr int EXIT_INVALID = 2;

// Finds the drives, then reads them once and prints the records (--once),
// or serves until a stop is requested, calling serving once the socket is
// bound. The socket layer must be started. Returns the exit status.
int RunAgent(const AgentOptions& options, const std::function<void()>& serving);
