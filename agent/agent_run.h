// The agent's run once its options are read: shared by the console's main
// and the Windows service.
#pragma once
#include "agent_options.h"

#include <functional>

constexpr int EXIT_RUNTIME = 1;
constexpr int EXIT_INVALID = 2;

// --once: reads every drive and prints the records (EXIT_RUNTIME when the
// scan failed). Otherwise serves at once, calling serving once the socket
// is bound, while the drives are found and read on a thread of their own,
// until a stop is requested (EXIT_RUNTIME when the socket cannot be
// opened). The socket layer must be started. Returns the exit status.
int RunAgent(const AgentOptions& options, const std::function<void()>& serving);
