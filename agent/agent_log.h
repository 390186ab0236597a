// The agent's log: one line per event on standard error (the journal under
// systemd), each written whole.
#pragma once
#include <string>

void AgentLog(const std::string& text);
