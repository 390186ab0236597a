// The agent's log: one line per event on standard error (the journal under
// systemd), each written whole, and to a copy when one is set.
#pragma once
#include <functional>
#include <string>

void AgentLog(const std::string& text);
// Every later line, with its time stamp and "\n", also goes to copy (which
// must take lines from several threads). Set before any thread logs.
void CopyAgentLog(std::function<void(const std::string& line)> copy);
